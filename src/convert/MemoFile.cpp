// The memo-file reader. Every offset and length taken from the file is checked against the
// file's size before it is used.
#include "MemoFile.h"

#include "LegacyError.h"

#include <QFile>

namespace kv {

namespace {

constexpr char kHeaderBlock = 0;
constexpr char kSingleBlock = 2;
constexpr char kSubBlock = 3;
constexpr int kSingleHeader = 9;
constexpr int kSubHeader = 12;
constexpr int kSlots = 64;
constexpr int kSlotSize = 5;
constexpr int kUnit = 16;
constexpr quint32 kSingleSlot = 0xFF;

quint32 u16le(const char *p)
{
    return static_cast<quint32>(static_cast<unsigned char>(p[0])) |
           static_cast<quint32>(static_cast<unsigned char>(p[1])) << 8;
}

quint32 u32le(const char *p)
{
    return u16le(p) | u16le(p + 2) << 16;
}

} // namespace

MemoFile::MemoFile(QString name, QByteArray data) : m_name(std::move(name)), m_data(std::move(data))
{
    if (m_data.isEmpty() || m_data.at(0) != kHeaderBlock)
        throw LegacyError(m_name, QStringLiteral("is not a memo file"));
}

MemoFile MemoFile::load(const QString &path, const QString &name)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw LegacyError(name, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
    QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw LegacyError(name, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
    return MemoFile(name, std::move(data));
}

void MemoFile::damaged(const QString &what, const QString &problem) const
{
    throw LegacyError(m_name, QStringLiteral("the memo %1 %2").arg(what, problem));
}

QByteArray MemoFile::read(quint32 pointer, qint64 length, const QString &what) const
{
    const qint64 size = m_data.size();
    const qint64 block = pointer & ~quint32(0xFF);
    const quint32 slot = pointer & 0xFF;
    if (length <= 0)
        return QByteArray();
    if (block == 0 || block % kBlockSize != 0 || block + kSubHeader > size)
        damaged(what, QStringLiteral("points outside the file (the file may be truncated)"));
    const char *head = m_data.constData() + block;

    if (slot == kSingleSlot) {
        if (head[0] != kSingleBlock)
            damaged(what, QStringLiteral("points to a block of another kind"));
        const qint64 chunks = u16le(head + 1);
        const qint64 stored = u32le(head + 3);
        if (stored != length)
            damaged(what, QStringLiteral("has another length in the memo file"));
        if (kSingleHeader + length > chunks * kBlockSize)
            damaged(what, QStringLiteral("is longer than its block"));
        if (block + kSingleHeader + length > size)
            damaged(what,
                    QStringLiteral("runs past the end of the file (the file may be truncated)"));
        return QByteArray(head + kSingleHeader, length);
    }

    if (head[0] != kSubBlock)
        damaged(what, QStringLiteral("points to a block of another kind"));
    if (slot >= kSlots)
        damaged(what, QStringLiteral("points to a slot that does not exist"));
    if (block + kSubHeader + (slot + 1) * kSlotSize > size)
        damaged(what, QStringLiteral("points outside the file (the file may be truncated)"));
    const char *entry = head + kSubHeader + slot * kSlotSize;
    const qint64 start = static_cast<unsigned char>(entry[0]) * qint64(kUnit);
    const qint64 units = static_cast<unsigned char>(entry[1]);
    const qint64 lastUnit = static_cast<unsigned char>(entry[4]);
    if (units == 0 || lastUnit == 0 || lastUnit > kUnit)
        damaged(what, QStringLiteral("points to an empty slot"));
    if ((units - 1) * kUnit + lastUnit != length)
        damaged(what, QStringLiteral("has another length in the memo file"));
    if (start < kSubHeader + kSlots * kSlotSize || start + length > kBlockSize)
        damaged(what, QStringLiteral("lies outside its block"));
    if (block + start + length > size)
        damaged(what, QStringLiteral("runs past the end of the file (the file may be truncated)"));
    return QByteArray(head + start, length);
}

} // namespace kv
