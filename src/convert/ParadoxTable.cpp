// The Paradox table reader. Before pxlib sees a file, its header is checked against the file's
// size, so that a truncated or damaged header is reported instead of being followed; every
// value is decoded from the record's bytes here, so that nulls, dates and code page 1252 are
// read one way.
#include "ParadoxTable.h"

#include "Cp1252.h"
#include "DateTime.h"
#include "LegacyError.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <limits>

extern "C" {
#include <paradox.h>
}

namespace kv {

void ParadoxTable::onPxError(pxdoc_t *, int level, const char *msg, void *data)
{
    if (level == PX_Warning || !data)
        return;
    auto *table = static_cast<ParadoxTable *>(data);
    table->m_lastError = QString::fromUtf8(msg).trimmed();
}

namespace {

// Header of a Paradox table file: the places the reader checks before pxlib reads it.
constexpr int kRecordSizeAt = 0x00;
constexpr int kHeaderSizeAt = 0x02;
constexpr int kFileTypeAt = 0x04;
constexpr int kBlockKbAt = 0x05;
constexpr int kRecordCountAt = 0x06;
constexpr int kFileBlocksAt = 0x0C;
constexpr int kFirstBlockAt = 0x0E;
constexpr int kLastBlockAt = 0x10;
constexpr int kFieldCountAt = 0x21;
constexpr int kVersionAt = 0x39;
constexpr int kFieldsAtOld = 0x58; ///< field list of files before version 4
constexpr int kFieldsAt = 0x78;
constexpr int kFirstVersionWithDataHeader = 5;
constexpr int kBlockHeader = 6;
constexpr int kMaxFields = 255;
constexpr int kMaxBlockKb = 32;
constexpr int kMemoPointer = 10; ///< offset, length and modification number after the text

// Days from 1 January 0001 (day 1) to the Julian day number.
constexpr qint64 kJulianOfDayZero = 1721425;
constexpr qint64 kLastDay = 3652059; ///< 31 December 9999
constexpr qint64 kMsPerDay = 86'400'000;

quint32 u16le(const unsigned char *p)
{
    return p[0] | quint32(p[1]) << 8;
}
quint32 u32le(const unsigned char *p)
{
    return u16le(p) | u16le(p + 2) << 16;
}

quint32 u32be(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | u[3];
}

/// Integers are stored big-endian with the sign bit inverted, so that they sort as bytes.
qint32 storedInt32(const char *p)
{
    return static_cast<qint32>(u32be(p) ^ 0x80000000u);
}

qint16 storedInt16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return static_cast<qint16>((quint16(u[0]) << 8 | u[1]) ^ 0x8000u);
}

/// Doubles likewise: positive ones with the sign bit set, negative ones with every bit inverted.
double storedDouble(const char *p)
{
    quint64 bits = quint64(u32be(p)) << 32 | u32be(p + 4);
    if (bits & 0x8000000000000000ull)
        bits ^= 0x8000000000000000ull;
    else
        bits = ~bits;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

const char *typeName(int type)
{
    switch (type) {
    case pxfAlpha:
        return "alpha";
    case pxfDate:
        return "date";
    case pxfShort:
        return "short";
    case pxfLong:
        return "long";
    case pxfCurrency:
        return "currency";
    case pxfNumber:
        return "number";
    case pxfLogical:
        return "logical";
    case pxfMemoBLOb:
        return "memo";
    case pxfTime:
        return "time";
    case pxfTimestamp:
        return "timestamp";
    case pxfAutoInc:
        return "auto-increment";
    default:
        return "unsupported";
    }
}

/// Size a field of a type must have; 0 when the size is the table's choice.
int fixedSize(int type)
{
    switch (type) {
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc:
        return 4;
    case pxfShort:
        return 2;
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
        return 8;
    case pxfLogical:
        return 1;
    default:
        return 0;
    }
}

/// The file in `dir` named `fileName` without regard to letter case; empty when there is none.
QString findFileNoCase(const QDir &dir, const QString &fileName)
{
    if (dir.exists(fileName))
        return dir.filePath(fileName);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden);
    for (const QString &entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

} // namespace

ParadoxTable::ParadoxTable() = default;

ParadoxTable::~ParadoxTable()
{
    close();
}

void ParadoxTable::fail(const QString &problem) const
{
    throw LegacyError(m_name, problem);
}

void ParadoxTable::open(const QString &path)
{
    close();
    const QFileInfo info(path);
    m_name = info.fileName();
    if (!info.exists())
        fail(QStringLiteral("does not exist in %1")
                 .arg(QDir::toNativeSeparators(info.absolutePath())));
    if (!info.isFile())
        fail(QStringLiteral("is not a file"));
    FILE *fp = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!fp)
        fail(QStringLiteral("cannot be read (%1)")
                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    m_memoPath =
        findFileNoCase(info.absoluteDir(), info.completeBaseName() + QStringLiteral(".MB"));
    if (m_memoPath.isEmpty())
        m_memoPath = info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".MB"));
    openStream(fp, info.size());
}

void ParadoxTable::openBytes(const QString &name, const QByteArray &table,
                             const std::optional<QByteArray> &memo)
{
    close();
    m_name = name;
    m_memoBytes = memo;
    m_tableBytes = table;
    FILE *fp = nullptr;
    if (!m_tableBytes.isEmpty())
        fp = fmemopen(m_tableBytes.data(), static_cast<size_t>(m_tableBytes.size()), "rb");
    if (!fp)
        fail(QStringLiteral("is empty"));
    openStream(fp, m_tableBytes.size());
}

void ParadoxTable::openStream(FILE *fp, qint64 fileSize)
{
    m_fp = fp;
    try {
        checkHeader(fp, fileSize);
    } catch (...) {
        close();
        throw;
    }
    std::rewind(fp);
    m_doc = PX_new3(&ParadoxTable::onPxError, nullptr, nullptr, nullptr, this);
    if (!m_doc) {
        close();
        fail(QStringLiteral("cannot be opened (out of memory)"));
    }
    if (PX_open_fp(m_doc, fp) < 0) {
        const QString why = m_lastError;
        // When a data block cannot be read, pxlib frees the block list it was building but
        // leaves the pointer behind for PX_delete to free again.
        m_doc->px_indexdata = nullptr;
        m_doc->px_indexdatalen = 0;
        close();
        fail(QStringLiteral("is not a Paradox table (%1)").arg(why));
    }
    // The header check and pxlib must agree on the layout of the records.
    const int fieldCount = PX_get_num_fields(m_doc);
    pxfield_t *fields = PX_get_fields(m_doc);
    if (fieldCount != static_cast<int>(m_fields.size()) || !fields ||
        PX_get_recordsize(m_doc) != m_recordSize || PX_get_num_records(m_doc) != m_recordCount) {
        close();
        fail(QStringLiteral("has a damaged header"));
    }
    for (int i = 0; i < fieldCount; ++i) {
        const char *fname = fields[i].px_fname;
        m_fields[i].name = fname ? cp1252::decode(fname, qstrnlen(fname, 64)) : QString();
    }
    m_record = QByteArray(m_recordSize, '\0');
    m_current = -1;
    m_eof = true;
}

void ParadoxTable::checkHeader(FILE *fp, qint64 fileSize)
{
    unsigned char head[kFieldsAt + 2 * kMaxFields];
    std::memset(head, 0, sizeof head);
    const size_t got = std::fread(head, 1, sizeof head, fp);
    if (got < kFieldsAtOld)
        fail(QStringLiteral("is too short to be a Paradox table (the file may be truncated)"));

    const int recordSize = static_cast<int>(u16le(head + kRecordSizeAt));
    const qint64 headerSize = u16le(head + kHeaderSizeAt);
    const int fileType = head[kFileTypeAt];
    const int blockKb = head[kBlockKbAt];
    const qint64 records = u32le(head + kRecordCountAt);
    const qint64 fileBlocks = u16le(head + kFileBlocksAt);
    const qint64 firstBlock = u16le(head + kFirstBlockAt);
    const qint64 lastBlock = u16le(head + kLastBlockAt);
    const int fieldCount = static_cast<int>(u16le(head + kFieldCountAt));
    const int version = head[kVersionAt];

    if (fileType != pxfFileTypIndexDB && fileType != pxfFileTypNonIndexDB)
        fail(QStringLiteral("is not a Paradox table file"));
    if (blockKb < 1 || blockKb > kMaxBlockKb)
        fail(QStringLiteral("has a damaged header (block size)"));
    const qint64 blockSize = blockKb * 1024;
    const int fieldsAt = version >= kFirstVersionWithDataHeader ? kFieldsAt : kFieldsAtOld;
    if (fieldCount < 1 || fieldCount > kMaxFields)
        fail(QStringLiteral("has a damaged header (number of fields)"));
    if (headerSize < fieldsAt + 2 * fieldCount || headerSize > fileSize ||
        static_cast<qint64>(got) < fieldsAt + 2 * fieldCount)
        fail(QStringLiteral("has a damaged header (the file may be truncated)"));
    if (recordSize < 1 || recordSize > blockSize - kBlockHeader)
        fail(QStringLiteral("has a damaged header (record size)"));

    std::vector<FieldInfo> fields(static_cast<size_t>(fieldCount));
    int offset = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const int type = head[fieldsAt + 2 * i];
        const int size = head[fieldsAt + 2 * i + 1];
        const int fixed = fixedSize(type);
        if (size < 1 || (fixed && size != fixed) || (type == pxfMemoBLOb && size <= kMemoPointer))
            fail(QStringLiteral("has a damaged header (field %1)").arg(i + 1));
        fields[i].type = type;
        fields[i].offset = offset;
        fields[i].size = size;
        offset += size;
    }
    if (offset != recordSize)
        fail(QStringLiteral("has a damaged header (the fields do not fill the record)"));

    // Every record the header counts must fit into the blocks the file holds.
    const qint64 blocksInFile = (fileSize - headerSize) / blockSize;
    const qint64 perBlock = (blockSize - kBlockHeader) / recordSize;
    if (fileBlocks > blocksInFile || lastBlock > blocksInFile || firstBlock > blocksInFile ||
        records > blocksInFile * perBlock || records > std::numeric_limits<int>::max() ||
        (records > 0 && (firstBlock < 1 || lastBlock < 1)))
        fail(QStringLiteral("is shorter than its header says (the file may be truncated)"));

    // pxlib follows the chain of data blocks from the first; a chain that leaves the file,
    // visits a block twice or holds a block with an impossible record count is refused here.
    std::vector<bool> seen(static_cast<size_t>(blocksInFile) + 1, false);
    qint64 block = records > 0 || fileBlocks > 0 ? firstBlock : 0;
    qint64 inBlocks = 0;
    while (block != 0) {
        if (block > blocksInFile || seen[static_cast<size_t>(block)])
            fail(QStringLiteral("has a damaged chain of data blocks"));
        seen[static_cast<size_t>(block)] = true;
        unsigned char blockHead[kBlockHeader];
        if (std::fseek(fp, static_cast<long>(headerSize + (block - 1) * blockSize), SEEK_SET) !=
                0 ||
            std::fread(blockHead, 1, kBlockHeader, fp) != kBlockHeader)
            fail(QStringLiteral("is shorter than its header says (the file may be truncated)"));
        const auto added = static_cast<qint16>(u16le(blockHead + 4));
        if (added % recordSize != 0 || added / recordSize + 1 < 0 ||
            added / recordSize + 1 > perBlock)
            fail(QStringLiteral("has a damaged data block (%1)").arg(block));
        inBlocks += added / recordSize + 1;
        block = u16le(blockHead);
    }
    if (inBlocks != records)
        fail(QStringLiteral("has a damaged header (it counts %1 records, its blocks hold %2)")
                 .arg(records)
                 .arg(inBlocks));

    m_fields = std::move(fields);
    m_recordSize = recordSize;
    m_recordCount = static_cast<int>(records);
}

void ParadoxTable::close()
{
    if (m_doc) {
        PX_close(m_doc);
        PX_delete(m_doc);
        m_doc = nullptr;
    }
    if (m_fp) {
        std::fclose(m_fp);
        m_fp = nullptr;
    }
    m_fields.clear();
    m_memo.reset();
    m_memoBytes.reset();
    m_memoPath.clear();
    m_tableBytes.clear();
    m_recordCount = 0;
    m_current = -1;
    m_eof = true;
}

void ParadoxTable::readRecord()
{
    m_eof = m_current >= m_recordCount;
    if (m_eof)
        return;
    m_lastError.clear();
    if (!PX_get_record(m_doc, m_current, m_record.data())) {
        m_eof = true;
        fail(
            QStringLiteral("record %1 cannot be read%2")
                .arg(m_current + 1)
                .arg(m_lastError.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(m_lastError)));
    }
}

void ParadoxTable::first()
{
    if (!m_doc)
        fail(QStringLiteral("is not open"));
    m_current = 0;
    readRecord();
}

void ParadoxTable::next()
{
    if (!m_doc)
        fail(QStringLiteral("is not open"));
    if (m_eof)
        return;
    ++m_current;
    readRecord();
}

const ParadoxTable::FieldInfo &ParadoxTable::field(const QString &name) const
{
    if (!m_doc)
        fail(QStringLiteral("is not open"));
    for (const FieldInfo &f : m_fields) {
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) {
            if (m_eof)
                fail(QStringLiteral("has no current record to read %1 from").arg(name));
            return f;
        }
    }
    fail(QStringLiteral("has no field %1").arg(name));
}

const char *ParadoxTable::bytes(const FieldInfo &f) const
{
    return m_record.constData() + f.offset;
}

bool ParadoxTable::isNull(const FieldInfo &f) const
{
    const char *p = bytes(f);
    for (int i = 0; i < f.size; ++i) {
        if (p[i] != 0)
            return false;
    }
    return true;
}

void ParadoxTable::wrongType(const FieldInfo &f, const char *wanted) const
{
    fail(QStringLiteral("the field %1 is a %2 field, not %3")
             .arg(f.name, QLatin1String(typeName(f.type)), QLatin1String(wanted)));
}

QString ParadoxTable::memoText(const FieldInfo &f) const
{
    const char *p = bytes(f);
    const int inlineSize = f.size - kMemoPointer;
    const char *pointer = p + inlineSize;
    const auto *u = reinterpret_cast<const unsigned char *>(pointer);
    const quint32 offset = u32le(u);
    const qint64 length = u32le(u + 4);
    if (length <= inlineSize)
        return cp1252::decode(p, qstrnlen(p, static_cast<size_t>(length)));
    if (!m_memo) {
        const QString memoName = QFileInfo(m_name).completeBaseName() + QStringLiteral(".MB");
        if (m_memoBytes)
            m_memo.emplace(memoName, *m_memoBytes);
        else if (!m_memoPath.isEmpty() && QFileInfo::exists(m_memoPath))
            m_memo.emplace(MemoFile::load(m_memoPath, QFileInfo(m_memoPath).fileName()));
        else
            throw LegacyError(
                memoName,
                QStringLiteral("is missing; %1 keeps its longer memos there").arg(m_name));
    }
    const QByteArray text = m_memo->read(
        offset, length, QStringLiteral("%1 of record %2").arg(f.name).arg(m_current + 1));
    return cp1252::decode(text.constData(),
                          qstrnlen(text.constData(), static_cast<size_t>(text.size())));
}

QString ParadoxTable::asString(const QString &name) const
{
    const FieldInfo &f = field(name);
    if (isNull(f))
        return QString();
    const char *p = bytes(f);
    switch (f.type) {
    case pxfAlpha:
        return cp1252::decode(p, qstrnlen(p, static_cast<size_t>(f.size)));
    case pxfMemoBLOb:
        return memoText(f);
    case pxfLogical:
        return asBoolean(name) ? QStringLiteral("True") : QStringLiteral("False");
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
        return QString::number(asInteger(name));
    case pxfNumber:
    case pxfCurrency:
        return QString::number(asFloat(name), 'g', 15);
    case pxfDate:
        return dt::toDate(asDateTime(name)).toString(Qt::ISODate);
    case pxfTime:
        return dt::toTime(asDateTime(name)).toString(QStringLiteral("HH:mm:ss"));
    case pxfTimestamp:
        return dt::toDateTime(asDateTime(name)).toString(Qt::ISODate);
    default:
        wrongType(f, "text");
    }
}

bool ParadoxTable::asBoolean(const QString &name) const
{
    const FieldInfo &f = field(name);
    if (f.type != pxfLogical)
        wrongType(f, "Boolean");
    if (isNull(f))
        return false;
    const auto b = static_cast<unsigned char>(*bytes(f));
    if (b != 0x80 && b != 0x81)
        fail(QStringLiteral("the field %1 of record %2 holds no Boolean")
                 .arg(f.name)
                 .arg(m_current + 1));
    return b == 0x81;
}

int ParadoxTable::asInteger(const QString &name) const
{
    const FieldInfo &f = field(name);
    if (f.type != pxfShort && f.type != pxfLong && f.type != pxfAutoInc)
        wrongType(f, "integer");
    if (isNull(f))
        return 0;
    return f.type == pxfShort ? storedInt16(bytes(f)) : storedInt32(bytes(f));
}

double ParadoxTable::asFloat(const QString &name) const
{
    const FieldInfo &f = field(name);
    if (f.type == pxfShort || f.type == pxfLong || f.type == pxfAutoInc)
        return asInteger(name);
    if (f.type != pxfNumber && f.type != pxfCurrency)
        wrongType(f, "float");
    if (isNull(f))
        return 0.0;
    const double v = storedDouble(bytes(f));
    if (!std::isfinite(v))
        fail(QStringLiteral("the field %1 of record %2 holds no number")
                 .arg(f.name)
                 .arg(m_current + 1));
    return v;
}

double ParadoxTable::asDateTime(const QString &name) const
{
    const FieldInfo &f = field(name);
    if (f.type != pxfDate && f.type != pxfTime && f.type != pxfTimestamp)
        wrongType(f, "date-time");
    if (isNull(f))
        return 0.0;
    auto impossible = [&] {
        fail(QStringLiteral("the field %1 of record %2 holds an impossible %3")
                 .arg(f.name)
                 .arg(m_current + 1)
                 .arg(QLatin1String(typeName(f.type))));
    };
    auto dayValue = [&](qint64 days) {
        if (days < 1 || days > kLastDay)
            impossible();
        return dt::fromDate(QDate::fromJulianDay(days + kJulianOfDayZero));
    };
    if (f.type == pxfDate)
        return dayValue(storedInt32(bytes(f)));
    if (f.type == pxfTime) {
        const qint64 ms = storedInt32(bytes(f));
        if (ms < 0 || ms >= kMsPerDay)
            impossible();
        return dt::fromMsOfDay(ms);
    }
    const double stamp = storedDouble(bytes(f));
    if (!std::isfinite(stamp) || stamp < 0 || stamp > double(kLastDay + 1) * kMsPerDay)
        impossible();
    const auto ms = static_cast<qint64>(std::llround(stamp));
    return dayValue(ms / kMsPerDay) + dt::fromMsOfDay(ms % kMsPerDay);
}

} // namespace kv
