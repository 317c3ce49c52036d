// The version-1.1 table writer over pxlib.
#include "LegacyWriter.h"

#include <QDate>
#include <QFile>
#include <QTime>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <paradox.h>
}

namespace kv::test {

namespace {

[[noreturn]] void die(const char *what, const QString &path)
{
    std::fprintf(stderr, "LegacyWriter: %s %s\n", what, qPrintable(path));
    std::abort();
}

char pxType(LegacyType t)
{
    switch (t) {
    case LegacyType::Alpha:
        return pxfAlpha;
    case LegacyType::Date:
        return pxfDate;
    case LegacyType::Time:
        return pxfTime;
    case LegacyType::Logical:
        return pxfLogical;
    case LegacyType::Short:
        return pxfShort;
    case LegacyType::Number:
        return pxfNumber;
    case LegacyType::Memo:
        return pxfMemoBLOb;
    case LegacyType::AutoInc:
        return pxfAutoInc;
    }
    return pxfAlpha;
}

int pxSize(const LegacyField &f)
{
    switch (f.type) {
    case LegacyType::Alpha:
    case LegacyType::Memo:
        return f.size;
    case LegacyType::Logical:
        return 1;
    case LegacyType::Short:
        return 2;
    case LegacyType::Number:
        return 8;
    default:
        return 4;
    }
}

/// Code page 1252 bytes of `text`: Latin-1 and the two characters above it the tests use.
QByteArray cp1252(const QString &text)
{
    QByteArray out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0x20AC)
            out.append('\x80'); // euro sign
        else if (u == 0x2013)
            out.append('\x96'); // en dash
        else
            out.append(u < 0x100 ? static_cast<char>(u) : '?');
    }
    return out;
}

} // namespace

void writeParadoxTable(const QString &path, const std::vector<LegacyField> &fields,
                       const std::vector<LegacyRecord> &records)
{
    QFile::remove(path);
    const QString memoPath = path.left(path.lastIndexOf(u'.')) + QStringLiteral(".MB");
    QFile::remove(memoPath);

    PX_boot();
    pxdoc_t *doc = PX_new();
    // PX_delete frees the field array and its names: they come from malloc and strdup.
    auto *px = static_cast<pxfield_t *>(std::malloc(sizeof(pxfield_t) * fields.size()));
    bool hasMemo = false;
    for (size_t i = 0; i < fields.size(); ++i) {
        px[i].px_fname = strdup(fields[i].name.toLatin1().constData());
        px[i].px_ftype = pxType(fields[i].type);
        px[i].px_flen = pxSize(fields[i]);
        px[i].px_fdc = 0;
        hasMemo = hasMemo || fields[i].type == LegacyType::Memo;
    }
    const QByteArray file = QFile::encodeName(path);
    if (PX_create_file(doc, px, static_cast<int>(fields.size()), file.constData(),
                       pxfFileTypNonIndexDB) < 0)
        die("cannot create", path);
    PX_set_parameter(doc, "targetencoding", "CP1252");
    PX_set_inputencoding(doc, "UTF-8");
    if (hasMemo && PX_set_blob_file(doc, QFile::encodeName(memoPath).constData()) < 0)
        die("cannot create", memoPath);

    const int recordSize = PX_get_recordsize(doc);
    std::vector<char> buf(static_cast<size_t>(recordSize));
    for (const LegacyRecord &r : records) {
        std::fill(buf.begin(), buf.end(), 0);
        int offset = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            const LegacyField &f = fields[i];
            const int size = pxSize(f);
            char *at = buf.data() + offset;
            offset += size;
            const QVariant v =
                i < static_cast<size_t>(r.size()) ? r[static_cast<int>(i)] : QVariant();
            if (!v.isValid() || f.type == LegacyType::AutoInc)
                continue;
            switch (f.type) {
            case LegacyType::Alpha: {
                QByteArray utf8 = v.toString().toUtf8();
                PX_put_data_alpha(doc, at, size, utf8.data());
                break;
            }
            case LegacyType::Date:
                PX_put_data_long(doc, at, 4, static_cast<int>(v.toDate().toJulianDay() - 1721425));
                break;
            case LegacyType::Time:
                PX_put_data_long(doc, at, 4, v.toTime().msecsSinceStartOfDay());
                break;
            case LegacyType::Logical:
                PX_put_data_byte(doc, at, 1, v.toBool() ? 1 : 0);
                break;
            case LegacyType::Short:
                PX_put_data_short(doc, at, 2, static_cast<short>(v.toInt()));
                break;
            case LegacyType::Number:
                PX_put_data_double(doc, at, 8, v.toDouble());
                break;
            case LegacyType::Memo: {
                QByteArray bytes = cp1252(v.toString());
                PX_put_data_blob(doc, at, size, bytes.data(), static_cast<int>(bytes.size()));
                break;
            }
            case LegacyType::AutoInc:
                break;
            }
        }
        if (PX_put_record(doc, buf.data()) < 0)
            die("cannot write a record to", path);
    }
    PX_close(doc);
    PX_delete(doc);
}

std::vector<LegacyField> kvdefFields()
{
    using T = LegacyType;
    return {
        {QStringLiteral("CustName"), T::Alpha, 40},  {QStringLiteral("JobDes"), T::Alpha, 30},
        {QStringLiteral("GetTask"), T::Logical},     {QStringLiteral("Tray"), T::Logical},
        {QStringLiteral("InOnStartup"), T::Logical}, {QStringLiteral("IsOpen"), T::Logical},
        {QStringLiteral("GroupTotal"), T::Logical},  {QStringLiteral("ReportTitle"), T::Alpha, 40},
        {QStringLiteral("ShowTotal"), T::Logical},   {QStringLiteral("BillingIncr"), T::Short},
        {QStringLiteral("MinBillTime"), T::Short}};
}

std::vector<LegacyField> customerFields()
{
    using T = LegacyType;
    return {{QStringLiteral("CustNo"), T::Alpha, 10},   {QStringLiteral("CustName"), T::Alpha, 40},
            {QStringLiteral("State"), T::Alpha, 2},     {QStringLiteral("City"), T::Alpha, 30},
            {QStringLiteral("Zip"), T::Alpha, 10},      {QStringLiteral("Address1"), T::Alpha, 30},
            {QStringLiteral("Address2"), T::Alpha, 30}, {QStringLiteral("Phone"), T::Alpha, 12},
            {QStringLiteral("FAX"), T::Alpha, 12},      {QStringLiteral("Email"), T::Alpha, 30},
            {QStringLiteral("Contact"), T::Alpha, 30},  {QStringLiteral("Notes"), T::Memo, 20}};
}

std::vector<LegacyField> tinoutFields()
{
    using T = LegacyType;
    return {{QStringLiteral("InoutID"), T::AutoInc},
            {QStringLiteral("WDate"), T::Date},
            {QStringLiteral("TimeIn"), T::Time},
            {QStringLiteral("TimeOut"), T::Time},
            {QStringLiteral("CustName"), T::Alpha, 40},
            {QStringLiteral("JobDes"), T::Alpha, 30},
            {QStringLiteral("TaskDes"), T::Alpha, 30},
            {QStringLiteral("Hours"), T::Number},
            {QStringLiteral("Billable"), T::Logical},
            {QStringLiteral("Notes"), T::Memo, kTinoutNotesInline + 10}};
}

std::vector<LegacyField> jobCodeFields()
{
    return {{QStringLiteral("JobCode"), LegacyType::Alpha, 5},
            {QStringLiteral("JobDes"), LegacyType::Alpha, 30}};
}

} // namespace kv::test
