// DIF, SYLK and BIFF worksheets, and the number formats and serial numbers they share.
#include "EC_SheetFormats.h"

#include "EC_View.h"

#include <QDate>

#include <QRegularExpression>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace kv {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr double kSecondsPerDay = 86400.0;
constexpr double kMinutesPerDay = 1440.0;
/// Two-digit years below this are read as 20xx, others as 19xx.
constexpr int kTwoDigitYearPivot = 50;

QDate kEpoch()
{
    return QDate(1899, 12, 30);
}

double fraction(double v)
{
    return v - std::floor(v);
}

QString serialText(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

// ---- number format codes ----

QString TCustomExport::DateFormatCode() const
{
    const QString f = m_locale.shortDateFormat.toLower();
    QString r;
    for (QChar c : f) {
        if (c == u'm' || c == u'd' || c == u'y' || QStringView(&c, 1) == m_locale.dateSeparator)
            r += c;
    }
    return r;
}

QString TCustomExport::TimeFormatCode() const
{
    QString r = QStringLiteral("h:mm");
    if (has(TimeDisplaySeconds))
        r += QStringLiteral(":ss");
    if (!has(Time24HourFormat) && IsNotBlank(m_locale.amText) && IsNotBlank(m_locale.pmText))
        r += QStringLiteral("\\ AM/PM");
    return r;
}

QString TCustomExport::DateTimeFormatCode() const
{
    return DateFormatCode() + QLatin1Char(' ') + TimeFormatCode();
}

QString TCustomExport::CurrencyFormatCode() const
{
    // {S} is the symbol, {Z} the decimal zeros.
    static const char *const kPositive[] = {"\"{S}\"#,##0.{Z}", "#,##0.{Z}\"{S}\"",
                                            "\"{S} \"#,##0.{Z}", "#,##0.{Z}\" {S}\""};
    static const char *const kNegative[] = {
        "\\(\"{S}\"#,##0.{Z}\\)", "\"-{S}\"#,##0.{Z}",      "\"{S}-\"#,##0.{Z}",
        "\"{S}\"#,##0.{Z}\\-",    "\\(#,##0.{Z}\"{S}\"\\)", "\\-#,##0.{Z}\"{S}\"",
        "#,##0.{Z}\"-{S}\"",      "#,##0.{Z}\"{S}-\"",      "\\-#,##0.{Z}\" {S}\"",
        "\"-{S} \"#,##0.{Z}",     "#,##0.{Z}\" {S}-\"",     "\"{S} \"#,##0.{Z}\\-",
        "\"{S} -\"#,##0.{Z}",     "#,##0.{Z}\"- {S}\"",     "\\(\"{S} \"#,##0.{Z}\\)",
        "\\(#,##0.{Z}\" {S}\"\\)"};
    const QString zeros(std::max(m_locale.currencyDecimals, 0), u'0');
    auto fill = [&](const char *t) {
        QString s = QString::fromLatin1(t);
        s.replace(QStringLiteral("{S}"), m_locale.currencySymbol);
        s.replace(QStringLiteral("{Z}"), zeros);
        return s;
    };
    const int p = m_locale.positiveCurrencyFormat;
    const int n = m_locale.negativeCurrencyFormat;
    const QString pos = p >= 0 && p < 4 ? fill(kPositive[p]) : QString();
    const QString neg = n >= 0 && n < 16 ? fill(kNegative[n]) : QString();
    return pos + QStringLiteral("_);[Red]") + neg;
}

// ---- reading values back ----

double TCustomExport::ParseDateText(const QString &s) const
{
    QString kept;
    for (QChar c : s) {
        if ((c.isDigit() && c.unicode() < 128) || c == u' ' ||
            QStringView(&c, 1) == m_locale.dateSeparator)
            kept += c;
    }
    const QStringList parts = kept.split(m_locale.dateSeparator, Qt::SkipEmptyParts);
    // The order of day, month and year in the locale's short date format.
    QString order;
    for (QChar c : m_locale.shortDateFormat) {
        const QChar l = c.toLower();
        if ((l == u'd' || l == u'm' || l == u'y') && !order.contains(l))
            order += l;
    }
    if (parts.size() != 3 || order.size() != 3)
        throw ExportError(QStringLiteral("'%1' is not a valid date").arg(s));
    int day = 0, month = 0, year = 0;
    for (int k = 0; k < 3; ++k) {
        bool ok = false;
        const int v = parts[k].trimmed().toInt(&ok);
        if (!ok)
            throw ExportError(QStringLiteral("'%1' is not a valid date").arg(s));
        (order[k] == u'd' ? day : order[k] == u'm' ? month : year) = v;
    }
    if (parts[order.indexOf(u'y')].trimmed().size() <= 2)
        year += year < kTwoDigitYearPivot ? 2000 : 1900;
    const QDate d(year, month, day);
    if (!d.isValid())
        throw ExportError(QStringLiteral("'%1' is not a valid date").arg(s));
    return static_cast<double>(kEpoch().daysTo(d));
}

double TCustomExport::ParseTimeText(const QString &s) const
{
    static const QRegularExpression kNumbers(QStringLiteral("\\d+"));
    QList<int> n;
    for (auto it = kNumbers.globalMatch(s); it.hasNext();)
        n << it.next().captured().toInt();
    if (n.isEmpty() || n.size() > 3)
        throw ExportError(QStringLiteral("'%1' is not a valid time").arg(s));
    int h = n[0];
    const int m = n.size() > 1 ? n[1] : 0;
    const int sec = n.size() > 2 ? n[2] : 0;
    const QString lower = s.toLower();
    const bool pm = IsNotBlank(m_locale.pmText) && lower.contains(m_locale.pmText.toLower());
    const bool am = IsNotBlank(m_locale.amText) && lower.contains(m_locale.amText.toLower());
    if (pm && h < 12)
        h += 12;
    else if (am && h == 12)
        h = 0;
    if (h > 23 || m > 59 || sec > 59)
        throw ExportError(QStringLiteral("'%1' is not a valid time").arg(s));
    return (h * 3600.0 + m * 60.0 + sec) / kSecondsPerDay;
}

double TCustomExport::ParseDateTimeText(const QString &s) const
{
    const QString t = s.trimmed();
    const qsizetype timeAt = t.indexOf(m_locale.timeSeparator);
    if (timeAt < 0)
        return ParseDateText(t);
    const qsizetype blank = t.lastIndexOf(u' ', timeAt);
    if (blank < 0)
        return ParseTimeText(t);
    return ParseDateText(t.left(blank)) + ParseTimeText(t.mid(blank + 1));
}

double TCustomExport::CellSerial(int kind, const ExportValue &v, const QString &text) const
{
    if (!v.hasSerial) {
        switch (kind) {
        case ckDate:
            return ParseDateText(text);
        case ckTime:
            return ParseTimeText(text);
        case ckDateTimeAsDate:
            return std::floor(ParseDateTimeText(text));
        case ckDateTimeAsTime:
            return fraction(ParseDateTimeText(text));
        default:
            return ParseDateTimeText(text);
        }
    }
    // Give the same serial number as the text read back: a time shown without seconds loses
    // its seconds.
    const bool seconds = text.count(m_locale.timeSeparator) >= 2;
    auto shown = [seconds](double t) {
        const double units = seconds ? kSecondsPerDay : kMinutesPerDay;
        return std::floor(t * units + 1e-6) / units;
    };
    switch (kind) {
    case ckDate:
    case ckDateTimeAsDate:
        return std::floor(v.serial);
    case ckTime:
    case ckDateTimeAsTime:
        return shown(fraction(v.serial));
    default:
        return std::floor(v.serial) + shown(fraction(v.serial));
    }
}

double TCustomExport::ReadNumber(const QString &s) const
{
    bool ok = false;
    const double v = DotDecimal(s.trimmed()).toDouble(&ok);
    if (!ok)
        throw ExportError(QStringLiteral("'%1' is not a valid number").arg(s));
    return v;
}

// ---- DIF ----

TDIFExport::~TDIFExport()
{
    if (m_temp) {
        m_temp->close();
        m_temp->remove();
    }
}

void TDIFExport::tempLine(QStringView s)
{
    // Lines gather in one buffer that goes to the file in blocks: a tuple is a dozen lines.
    appendCp1252(m_tempBytes, s);
    endTempLine();
}

void TDIFExport::endTempLine()
{
    constexpr qsizetype kBlock = 1 << 16;
    appendBytes(m_tempBytes, "\r\n");
    if (m_tempBytes.size() >= kBlock)
        flushTemp();
}

void TDIFExport::flushTemp()
{
    if (m_tempBytes.isEmpty())
        return;
    if (m_temp->write(m_tempBytes) != m_tempBytes.size())
        throw ExportError(m_temp->errorString());
    m_tempBytes.resize(0);
}

void TDIFExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    m_temp = std::make_unique<QFile>(TempFileName(QStringLiteral("z93")));
    if (!m_temp->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw ExportError(m_temp->errorString());
    m_tempBytes.resize(0);
    const QString dq = QStringLiteral("\"\"");
    tempLine(QStringLiteral("TABLE"));
    tempLine(QStringLiteral("0,1"));
    // Quotes in the title are doubled like those of values, so the string stays one string.
    tempLine(QLatin1Char('"') + InsertBefore(component().Title(), u'"', u'"') + QLatin1Char('"'));
    tempLine(QStringLiteral("VECTORS"));
    tempLine(QStringLiteral("0,%1").arg(titles.size()));
    tempLine(dq);
    tempLine(QStringLiteral("TUPLES"));
    tempLine(dq);
    tempLine(QStringLiteral("DATA"));
    tempLine(QStringLiteral("0,0"));
    tempLine(dq);
    if (has(ShowColHeaders)) {
        ExportRow row;
        for (const QString &t : titles)
            row.push_back(ExportValue::plain(t));
        writeTuple(row);
    }
}

void TDIFExport::writeTuple(const ExportRow &values)
{
    tempLine(QStringLiteral("-1,0"));
    tempLine(QStringLiteral("BOT"));
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        const ExportValue &value = values[static_cast<size_t>(i)];
        // A text field's bytes, or the item number: in plain ASCII they are the cell's bytes.
        if (value.isUtf8 && IsAscii(value.utf8)) {
            const int k = CellKind(i, QString());
            if (k == ckNumber || k == ckCurrency) { // the item number, as it is
                appendBytes(m_tempBytes, "0,");
                appendBytes(m_tempBytes, value.utf8.constData(), value.utf8.size());
                endTempLine();
                tempLine(u"V");
            } else {
                tempLine(u"1,0");
                AppendStrippedUtf8(m_tempBytes, QByteArrayView(value.utf8), '"', true);
                endTempLine();
            }
            continue;
        }
        const QString v =
            StripControlChars(value.isUtf8 ? QString::fromUtf8(value.utf8) : value.text);
        const int k = CellKind(i, v);
        // A blank number is written as an empty string: a numeric tuple entry without a value
        // ("0," then "V") makes readers stop at that record and drop the rest of the file.
        if ((k == ckNumber || k == ckCurrency) && IsNotBlank(v)) {
            m_value.resize(0);
            m_value += QStringLiteral("0,");
            m_value += DotDecimal(NumericText(v, value));
            tempLine(m_value);
            tempLine(u"V");
        } else {
            tempLine(u"1,0");
            m_value.resize(0);
            m_value += QLatin1Char('"');
            AppendStripped(m_value, v, u'"');
            m_value += QLatin1Char('"');
            tempLine(m_value);
        }
    }
}

void TDIFExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    writeTuple(values);
}

void TDIFExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    tempLine(QStringLiteral("-1,0"));
    tempLine(QStringLiteral("EOD"));
    flushTemp();
    if (!m_temp->flush())
        throw ExportError(m_temp->errorString());
    m_temp->close();
    if (!m_temp->open(QIODevice::ReadOnly))
        throw ExportError(m_temp->errorString());
    constexpr int kLinesBeforeCount = 7;
    for (int i = 0; i < kLinesBeforeCount; ++i)
        writeBytes(m_temp->readLine());
    const int tuples = RecordNo() + (has(ShowColHeaders) ? 1 : 0);
    writeLine(QStringLiteral("0,%1").arg(tuples));
    constexpr qint64 kBlock = 1 << 16;
    while (!m_temp->atEnd()) {
        const QByteArray block = m_temp->read(kBlock);
        if (block.isEmpty())
            throw ExportError(m_temp->errorString());
        writeBytes(block);
    }
    m_temp->close();
    m_temp->remove();
    m_temp.reset();
}

// ---- SYLK ----

namespace {
/// Appends the decimal digits of `n` without a string of their own.
void appendInteger(QByteArray &out, qint64 n)
{
    char digits[24];
    int i = 24;
    const bool negative = n < 0;
    quint64 u = negative ? 0 - static_cast<quint64>(n) : static_cast<quint64>(n);
    do {
        digits[--i] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (negative)
        digits[--i] = '-';
    appendBytes(out, digits + i, 24 - i);
}
} // namespace

void TSYLKExport::WriteHeader(const QStringList &titles)
{
    TCustomTextExport::WriteHeader(titles);
    writeLine(QStringLiteral("ID;PTEXPORTX"));
    writeLine(QStringLiteral("P;P") + DateFormatCode());
    writeLine(QStringLiteral("P;P") + TimeFormatCode());
    writeLine(QStringLiteral("P;P") + DateTimeFormatCode());
    writeLine(QStringLiteral("P;P") + InsertBefore(CurrencyFormatCode(), u';', u';'));
    if (has(ShowColHeaders)) {
        ExportRow row;
        for (const QString &t : titles)
            row.push_back(ExportValue::plain(t));
        writeRow(row);
    }
}

void TSYLKExport::writeRow(const ExportRow &values)
{
    const int y = RecordNo() + (has(ShowColHeaders) ? 1 : 0);
    // Every line of the record goes into one buffer, in UTF-8 as it is built, written once.
    m_bytes.resize(0);
    // ";Y<y>" is the same for every line of the record, ";X<x>" for every record of a column.
    m_rowPart.resize(0);
    appendBytes(m_rowPart, ";Y");
    appendInteger(m_rowPart, y);
    while (m_columnParts.size() < values.size()) {
        QByteArray part(";X");
        appendInteger(part, static_cast<qint64>(m_columnParts.size()) + 1);
        m_columnParts.push_back(part);
    }
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        const ExportValue &value = values[static_cast<size_t>(i)];
        // A text field's bytes, or the item number; a text too long to be surely within the
        // cell's 255 characters goes the way of the others.
        const bool bytes = value.isUtf8 && value.utf8.size() <= 255;
        const QString v = bytes          ? QString()
                          : value.isUtf8 ? StripControlChars(QString::fromUtf8(value.utf8))
                                         : StripControlChars(value.text);
        const int k = CellKind(i, v);
        // "C;X<x>;Y<y>;K<content>" and "F;P<picture>;FG0G;X<x>;Y<y>".
        auto appendPlace = [&] {
            const QByteArray &column = m_columnParts[static_cast<size_t>(i)];
            appendBytes(m_bytes, column.constData(), column.size());
            appendBytes(m_bytes, m_rowPart.constData(), m_rowPart.size());
        };
        auto cellStart = [&] {
            appendBytes(m_bytes, "C");
            appendPlace();
            appendBytes(m_bytes, ";K");
        };
        auto formatLine = [&](int picture) {
            appendBytes(m_bytes, "F;P");
            appendInteger(m_bytes, picture);
            appendBytes(m_bytes, ";FG0G");
            appendPlace();
            appendBytes(m_bytes, "\r\n");
        };
        if (bytes) {
            cellStart();
            if (k == ckNumber || k == ckCurrency) { // the item number, as it is
                appendBytes(m_bytes, value.utf8.constData(), value.utf8.size());
                appendBytes(m_bytes, "\r\n");
            } else {
                appendBytes(m_bytes, "\"");
                AppendStrippedUtf8(m_bytes, QByteArrayView(value.utf8), ';');
                appendBytes(m_bytes, "\"\r\n");
            }
            continue;
        }
        const bool blank = !IsNotBlank(v);
        switch (k) {
        case ckNumber:
            if (!blank) {
                cellStart();
                appendUtf8(m_bytes, DotDecimal(NumericText(v, value)));
                appendBytes(m_bytes, "\r\n");
            }
            break;
        case ckCurrency:
            if (!blank) {
                formatLine(3);
                cellStart();
                appendUtf8(m_bytes, DotDecimal(v));
                appendBytes(m_bytes, "\r\n");
            }
            break;
        case ckDate:
        case ckTime:
        case ckDateTime:
            if (!blank) {
                formatLine(k == ckDate ? 0 : k == ckTime ? 1 : 2);
                cellStart();
                appendUtf8(m_bytes, serialTextOf(CellSerial(k, value, v)));
                appendBytes(m_bytes, "\r\n");
            }
            break;
        default:
            cellStart();
            appendBytes(m_bytes, "\"");
            AppendStrippedUtf8(m_bytes, QStringView(v).left(255), ';');
            appendBytes(m_bytes, "\"\r\n");
            break;
        }
    }
    writeBytes(m_bytes);
}

const QString &TSYLKExport::serialTextOf(double serial)
{
    // Dates and times of a time log repeat; their 15-digit texts cost far more than a lookup.
    constexpr qsizetype kMaxSerials = 8192;
    auto it = m_serials.constFind(serial);
    if (it != m_serials.constEnd())
        return *it;
    if (m_serials.size() >= kMaxSerials)
        m_serials.clear();
    return *m_serials.insert(serial, serialText(serial));
}

void TSYLKExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomTextExport::WriteRecord(values, recordNo);
    writeRow(values);
}

void TSYLKExport::WriteFooter()
{
    TCustomTextExport::WriteFooter();
    for (int i = 1; i <= columnCount(); ++i) {
        const int w = std::min(m_textLengths[static_cast<size_t>(i - 1)], 255);
        writeLine(QStringLiteral("F;W%1 %2 %3").arg(i).arg(i).arg(w));
    }
    writeLine(QStringLiteral("E"));
}

// ---- BIFF ----

namespace {

enum : quint16 {
    kBof = 0x0009,
    kDimensions = 0x0000,
    kHeader = 0x0014,
    kFooter = 0x0015,
    kPrintHeaders = 0x002A,
    kPrintGridlines = 0x002B,
    kFont = 0x0031,
    kFormat = 0x001E,
    kXf = 0x0043,
    kNumber = 0x0003,
    kLabel = 0x0004,
    kBoolErr = 0x0005,
    kColWidth = 0x0024,
    kEof = 0x000A,
};

constexpr quint16 kWorksheet = 0x0010;
constexpr int kMaxStringLength = 255;

// XF records: font index, format number, style byte.
struct XfRow
{
    quint8 font;
    quint8 format;
    quint8 style;
};
constexpr XfRow kXfs[] = {{5, 0, 0}, {5, 0, 0}, {5, 1, 0}, {5, 2, 0},   {5, 3, 0},
                          {5, 4, 0}, {7, 0, 0}, {6, 0, 0}, {8, 0, 0x60}};
enum Xf {
    kXfDefault = 0,
    kXfCell = 1,
    kXfDate = 2,
    kXfTime = 3,
    kXfDateTime = 4,
    kXfCurrency = 5,
    kXfTitle = 6,
    kXfFooter = 7,
    kXfColumnTitle = 8
};

void put16(QByteArray &b, quint16 v)
{
    const char raw[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    appendBytes(b, raw, 2);
}

void put8(QByteArray &b, int v)
{
    const char raw = static_cast<char>(v & 0xFF);
    appendBytes(b, &raw, 1);
}

void putDouble(QByteArray &b, double v)
{
    quint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    char raw[8];
    qToLittleEndian(bits, raw);
    appendBytes(b, raw, 8);
}

QByteArray cut(const QString &s)
{
    return toCp1252(s).left(kMaxStringLength);
}

} // namespace

TBIFFExport::~TBIFFExport() = default;

void TBIFFExport::OpenOutput()
{
    TCustomShellViewExport::OpenOutput();
    openStream();
}

void TBIFFExport::closeOutput()
{
    // The gathered records go out before the file closes (what a failed or cancelled run wrote
    // stays in the file, as it did record by record); should that fail, the file still closes
    // and the failure is reported.
    try {
        flushRecords();
    } catch (...) {
        closeStream();
        throw;
    }
    closeStream();
}

void TBIFFExport::record(quint16 type, const QByteArray &data)
{
    // Records gather in one buffer that goes out in blocks: a row is a dozen small records.
    constexpr qsizetype kBlock = 1 << 16;
    put16(m_pending, type);
    put16(m_pending, static_cast<quint16>(data.size()));
    appendBytes(m_pending, data.constData(), data.size());
    if (m_pending.size() >= kBlock)
        flushRecords();
}

void TBIFFExport::flushRecords()
{
    if (m_pending.isEmpty())
        return;
    const bool written = m_out && m_out->write(m_pending) == m_pending.size();
    m_pending.resize(0);
    if (!written)
        throw ExportError(m_out ? m_out->errorString() : failureMessage());
}

qint64 TBIFFExport::position()
{
    flushRecords();
    return m_out->pos();
}

void TBIFFExport::stringRecord(quint16 type, const QString &text)
{
    const QByteArray s = cut(text);
    QByteArray d;
    put8(d, static_cast<int>(s.size()));
    d.append(s);
    record(type, d);
}

QByteArray &TBIFFExport::cellHead(int row, int col, int xf)
{
    QByteArray &d = m_cell;
    d.resize(0);
    put16(d, static_cast<quint16>(row));
    put16(d, static_cast<quint16>(col));
    put8(d, 0x40 + xf);
    // The cell's number format as well, for readers that take it from the cell.
    put8(d, kXfs[xf].format);
    put8(d, 0);
    return d;
}

void TBIFFExport::numberCell(int row, int col, int xf, double v)
{
    QByteArray &d = cellHead(row, col, xf);
    putDouble(d, v);
    record(kNumber, d);
}

void TBIFFExport::labelCell(int row, int col, int xf, const QString &text)
{
    QByteArray &d = cellHead(row, col, xf);
    const QByteArray s = cut(StripControlChars(text));
    put8(d, static_cast<int>(s.size()));
    d.append(s);
    record(kLabel, d);
}

int TBIFFExport::rowXf(int row) const
{
    if (row == m_titleRow)
        return kXfTitle;
    if (row == m_firstFooterRow)
        return kXfFooter;
    if (row == m_columnTitleRow)
        return kXfColumnTitle;
    return kXfCell;
}

void TBIFFExport::cell(const QString &text, int row, int col, const ExportValue *value, int kind)
{
    if (row >= kMaxRows || col >= kMaxColumns)
        return;
    m_lastRow = std::max(m_lastRow, row);
    const bool blank = !IsNotBlank(text);
    switch (kind) {
    case ckNumber:
        if (!blank) {
            const QString t = value ? NumericText(text, *value) : text;
            numberCell(row, col, rowXf(row), ReadNumber(t));
        }
        break;
    case ckCurrency:
        if (!blank)
            numberCell(row, col, kXfCurrency, ReadNumber(text));
        break;
    case ckBoolean: {
        const int state = value ? value->info.BoolState : 0;
        if (state == 0)
            break;
        QByteArray &d = cellHead(row, col, rowXf(row));
        put8(d, state == 2 ? 1 : 0);
        put8(d, 0);
        record(kBoolErr, d);
        break;
    }
    case ckDate:
    case ckTime:
    case ckDateTime:
    case ckDateTimeAsDate:
    case ckDateTimeAsTime:
        if (!blank) {
            const int xf = kind == ckDate || kind == ckDateTimeAsDate   ? kXfDate
                           : kind == ckTime || kind == ckDateTimeAsTime ? kXfTime
                                                                        : kXfDateTime;
            const ExportValue none = ExportValue::plain(text);
            numberCell(row, col, xf, CellSerial(kind, value ? *value : none, text));
        }
        break;
    default:
        labelCell(row, col, rowXf(row), text);
        break;
    }
}

void TBIFFExport::WriteHeader(const QStringList &titles)
{
    TCustomShellViewExport::WriteHeader(titles);
    QByteArray bof;
    put16(bof, 0);
    put16(bof, kWorksheet);
    record(kBof, bof);
    m_dimensionsPos = position();
    record(kDimensions, QByteArray(8, '\0'));
    const TXL_Options &xl = component().XL_Options();
    stringRecord(kHeader, xl.PageHeader);
    stringRecord(kFooter, xl.PageFooter);
    QByteArray flag;
    put16(flag, xl.PrintHeadings ? 1 : 0);
    record(kPrintHeaders, flag);
    flag.clear();
    put16(flag, xl.PrintGridlines ? 1 : 0);
    record(kPrintGridlines, flag);

    struct FontRow
    {
        quint16 height;
        quint16 flags;
    };
    constexpr quint16 kBold = 1, kItalic = 2, kUnderline = 4;
    constexpr FontRow kFonts[] = {{200, 0},
                                  {200, 0},
                                  {200, 0},
                                  {200, 0},
                                  {200, 0},
                                  {200, kItalic},
                                  {320, kBold | kUnderline},
                                  {200, kBold}};
    for (const FontRow &f : kFonts) {
        QByteArray d;
        put16(d, f.height);
        put16(d, f.flags);
        const QByteArray name("Arial");
        put8(d, static_cast<int>(name.size()));
        d.append(name);
        record(kFont, d);
    }
    for (const QString &code : {QStringLiteral("General"), DateFormatCode(), TimeFormatCode(),
                                DateTimeFormatCode(), CurrencyFormatCode()})
        stringRecord(kFormat, code);
    for (const XfRow &x : kXfs) {
        QByteArray d;
        put8(d, x.font);
        put8(d, 0);
        put8(d, 0x40 + x.format);
        put8(d, x.style);
        record(kXf, d);
    }

    const bool title = IsNotBlank(component().Title());
    const bool stamp = has(TimeStamp);
    const QStringList &header = component().Header();
    const bool headerPresent = IsNotBlank(headerText());
    m_RowCursor = 0;
    if (title) {
        m_titleRow = 0;
        m_RowCursor = 1;
    }
    if (stamp)
        m_timeStampRow = m_RowCursor++;
    if (headerPresent) {
        if (title || stamp)
            ++m_RowCursor;
        m_firstHeaderRow = m_RowCursor;
    }
    if (title || stamp || headerPresent)
        ++m_RowCursor;
    if (title)
        cell(component().Title(), m_titleRow, 0, nullptr, ckText);
    if (stamp)
        cell(CreatedLine(), m_timeStampRow, 0, nullptr, ckText);
    if (headerPresent) {
        for (int j = 0; j < header.size(); ++j) {
            cell(header[j], m_firstHeaderRow + j, 0, nullptr, ckText);
            ++m_RowCursor;
        }
    }
    if (has(ShowColHeaders)) {
        m_columnTitleRow = m_RowCursor;
        for (int i = 0; i < titles.size(); ++i)
            cell(titles[i], m_RowCursor, i, nullptr, ckText);
    } else {
        --m_RowCursor;
    }
}

void TBIFFExport::WriteRecord(const ExportRow &values, int recordNo)
{
    TCustomShellViewExport::WriteRecord(values, recordNo);
    const int row = m_RowCursor + recordNo;
    if (row >= kMaxRows) {
        ++m_leftOut;
        return;
    }
    for (int i = 0; i < static_cast<int>(values.size()); ++i) {
        const ExportValue &v = values[static_cast<size_t>(i)];
        cell(v.text, row, i, &v, CellKind(i, v.text));
    }
}

void TBIFFExport::WriteFooter()
{
    TCustomShellViewExport::WriteFooter();
    if (IsNotBlank(LinesText(component().Footer()))) {
        m_firstFooterRow = component().ItemsExported() + m_RowCursor + 2;
        const QStringList &lines = component().FormattedFooter();
        for (int j = 0; j < lines.size(); ++j)
            cell(lines[j], m_firstFooterRow + j, 0, nullptr, ckText);
    }
    for (int i = 0; i < columnCount() && i < kMaxColumns; ++i) {
        QByteArray d;
        put8(d, i);
        put8(d, i);
        put16(d,
              static_cast<quint16>(std::min(m_textLengths[static_cast<size_t>(i)] + 2, 255) * 256));
        record(kColWidth, d);
    }
    record(kEof, QByteArray());

    // The true extent, now that it is known. A full sheet's 65,536 rows do not fit the 16-bit
    // field; the largest value stands for it.
    const qint64 end = position();
    if (!m_out->seek(m_dimensionsPos))
        throw ExportError(m_out->errorString());
    QByteArray dim;
    put16(dim, 0);
    put16(dim, static_cast<quint16>(std::min(m_lastRow + 1, 0xFFFF)));
    put16(dim, 0);
    put16(dim, static_cast<quint16>(std::min(columnCount(), kMaxColumns)));
    record(kDimensions, dim);
    flushRecords();
    if (!m_out->seek(end))
        throw ExportError(m_out->errorString());
    component().setRecordsLeftOut(m_leftOut);
    closeOutput();
}

} // namespace kv
