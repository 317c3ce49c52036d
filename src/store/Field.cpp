// Field: typed reading and writing of one field of the table's current record, and the value
// conversions between callers, the record buffer and the table file.
#include "Field.h"

#include "DateTime.h"
#include "FieldValue.h"
#include "FormatSettings.h"
#include "StoreError.h"
#include "StoreTable.h"

#include <QDateTime>
#include <cmath>
#include <limits>

namespace kv {

namespace fieldvalue {

namespace {

[[noreturn]] void invalid(const QString &text, const QString &what, const QString &label)
{
    throw StoreError(QStringLiteral("'%1' is not a valid %2 for field '%3'").arg(text, what, label),
                     StoreError::kInvalidValue);
}

QString rightTrimmed(const QString &s)
{
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1).isSpace())
        --n;
    return s.left(n);
}

QString cutToSize(const QString &s, int size)
{
    if (size <= 0 || s.size() <= size)
        return s;
    qsizetype n = size;
    if (s.at(n - 1).isHighSurrogate()) // never split a character in two
        --n;
    return s.left(n);
}

qint64 timeOfDayMs(double v)
{
    const qint64 ms = dt::toMsOfDay(v);
    return ms >= dt::kMsPerDay ? 0 : ms; // 24:00 is stored as midnight
}

} // namespace

QVariant fromString(FieldType type, int size, const QString &v, const QString &label)
{
    const FormatSettings &fs = FormatSettings::instance();
    if (type == FieldType::String) {
        // Cutting can expose blanks that were inside the text: trim again after the cut.
        const QString s = rightTrimmed(cutToSize(rightTrimmed(v), size));
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    if (type == FieldType::Memo)
        return v.isEmpty() ? QVariant() : QVariant(v);
    const QString t = v.trimmed();
    if (t.isEmpty())
        return QVariant();
    switch (type) {
    case FieldType::Date:
        if (const auto d = fs.parseDate(t))
            return QVariant(qint64(dt::datePart(*d)));
        invalid(v, QStringLiteral("date"), label);
    case FieldType::Time:
        if (const auto d = fs.parseTime(t))
            return QVariant(timeOfDayMs(*d));
        invalid(v, QStringLiteral("time"), label);
    case FieldType::Float:
        if (const auto d = fs.parseFloat(t))
            return QVariant(*d);
        invalid(v, QStringLiteral("floating point value"), label);
    case FieldType::Boolean: {
        const QString l = t.toLower();
        if (l == u"true" || l == u"t" || l == u"yes" || l == u"y")
            return QVariant(true);
        if (l == u"false" || l == u"f" || l == u"no" || l == u"n")
            return QVariant(false);
        invalid(v, QStringLiteral("Boolean value"), label);
    }
    default: {
        bool ok = false;
        const qint64 n = t.toLongLong(&ok);
        if (!ok)
            invalid(v, QStringLiteral("integer value"), label);
        return fromInteger(type, size, n, label);
    }
    }
}

QVariant fromFloat(FieldType type, int size, double v, const QString &label)
{
    if (!std::isfinite(v))
        invalid(QString::number(v), QStringLiteral("number"), label);
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return fromString(type, size, FormatSettings::instance().formatFloat(v, QString()), label);
    case FieldType::Date:
        return QVariant(qint64(dt::datePart(v)));
    case FieldType::Time:
        return QVariant(timeOfDayMs(v));
    case FieldType::Float:
        return QVariant(v);
    case FieldType::Boolean:
        return QVariant(v != 0.0);
    default: {
        const double r = dt::roundHalfEven(v);
        if (r < -9.0e18 || r > 9.0e18)
            invalid(QString::number(v), QStringLiteral("integer value"), label);
        return fromInteger(type, size, static_cast<qint64>(r), label);
    }
    }
}

QVariant fromInteger(FieldType type, int size, qint64 v, const QString &label)
{
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return fromString(type, size, QString::number(v), label);
    case FieldType::Date:
    case FieldType::Time:
        return fromFloat(type, size, static_cast<double>(v), label);
    case FieldType::Float:
        return QVariant(static_cast<double>(v));
    case FieldType::Boolean:
        return QVariant(v != 0);
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc: {
        const qint64 lo = type == FieldType::SmallInt ? std::numeric_limits<qint16>::min()
                                                      : std::numeric_limits<qint32>::min();
        const qint64 hi = type == FieldType::SmallInt ? std::numeric_limits<qint16>::max()
                                                      : std::numeric_limits<qint32>::max();
        if (v < lo || v > hi)
            throw StoreError(QStringLiteral("%1 is not a valid value for field '%2'. The allowed "
                                            "range is %3 to %4")
                                 .arg(v)
                                 .arg(label)
                                 .arg(lo)
                                 .arg(hi),
                             StoreError::kInvalidValue);
        return QVariant(v);
    }
    }
    return QVariant();
}

QVariant fromBoolean(FieldType type, int size, bool v, const QString &label)
{
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return fromString(type, size, v ? QStringLiteral("True") : QStringLiteral("False"), label);
    case FieldType::Boolean:
        return QVariant(v);
    case FieldType::Float:
        return QVariant(v ? 1.0 : 0.0);
    case FieldType::Date:
    case FieldType::Time:
        invalid(v ? QStringLiteral("True") : QStringLiteral("False"), QStringLiteral("date-time"),
                label);
    default:
        return fromInteger(type, size, v ? 1 : 0, label);
    }
}

QVariant fromVariant(FieldType type, int size, const QVariant &v, const QString &label)
{
    if (!v.isValid() || v.isNull())
        return QVariant();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return fromBoolean(type, size, v.toBool(), label);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return fromInteger(type, size, v.toLongLong(), label);
    case QMetaType::Double:
    case QMetaType::Float:
        return fromFloat(type, size, v.toDouble(), label);
    case QMetaType::QDate:
        return fromFloat(type, size, dt::fromDate(v.toDate()), label);
    case QMetaType::QTime:
        return fromFloat(type, size, dt::fromTime(v.toTime()), label);
    case QMetaType::QDateTime:
        return fromFloat(type, size, dt::fromDateTime(v.toDateTime()), label);
    default:
        return fromString(type, size, v.toString(), label);
    }
}

QVariant fromColumn(FieldType type, const QVariant &raw)
{
    if (!raw.isValid() || raw.isNull())
        return QVariant();
    const bool isText = raw.typeId() == QMetaType::QString;
    switch (type) {
    case FieldType::String:
    case FieldType::Memo:
        return QVariant(raw.toString());
    case FieldType::Float:
        return QVariant(raw.toDouble());
    case FieldType::Boolean:
        if (isText)
            return QVariant(raw.toString().compare(u"true", Qt::CaseInsensitive) == 0 ||
                            raw.toString() == u"1");
        return QVariant(raw.toDouble() != 0.0);
    case FieldType::Time: {
        const qint64 ms =
            raw.typeId() == QMetaType::Double ? std::llround(raw.toDouble()) : raw.toLongLong();
        return QVariant(((ms % dt::kMsPerDay) + dt::kMsPerDay) % dt::kMsPerDay);
    }
    default: {
        if (raw.typeId() == QMetaType::Double)
            return QVariant(qint64(std::llround(raw.toDouble())));
        bool ok = true;
        const qint64 n = raw.toLongLong(&ok);
        return ok ? QVariant(n) : QVariant();
    }
    }
}

} // namespace fieldvalue

// ---- Field ----

Field::Field(StoreTable &table, QString name, FieldType type, int size, FieldKind kind)
    : m_table(table), m_name(std::move(name)), m_type(type), m_size(size), m_kind(kind)
{
    // The store numbers auto-increment fields itself; nobody writes them.
    m_readOnly = type == FieldType::AutoInc;
}

void Field::setVisible(bool v)
{
    if (m_visible == v)
        return;
    m_visible = v;
    m_table.notifyLayoutChanged();
}

bool Field::isNull() const
{
    return m_table.fieldIsNull(m_index);
}

QString Field::asString() const
{
    const QVariant &v = m_table.fieldData(m_index);
    if (!v.isValid())
        return QString();
    const FormatSettings &fs = FormatSettings::instance();
    switch (m_type) {
    case FieldType::String:
    case FieldType::Memo:
        return v.toString();
    case FieldType::Date:
        return fs.formatDate(static_cast<double>(v.toLongLong()));
    case FieldType::Time:
        return fs.formatTime(dt::fromMsOfDay(v.toLongLong()));
    case FieldType::Float:
        return fs.formatFloat(v.toDouble(), QString());
    case FieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return QString::number(v.toLongLong());
    }
}

bool Field::readUtf8(QByteArray &out) const
{
    return (m_type == FieldType::String || m_type == FieldType::Memo) &&
           m_table.fieldUtf8(m_index, out);
}

bool Field::readNumber(double &out, bool &null) const
{
    return m_type != FieldType::String && m_type != FieldType::Memo &&
           m_table.fieldNumber(m_index, out, null);
}

bool Field::asBoolean() const
{
    const QVariant &v = m_table.fieldData(m_index);
    if (!v.isValid())
        return false;
    switch (m_type) {
    case FieldType::Boolean:
        return v.toBool();
    case FieldType::String:
    case FieldType::Memo: {
        const QString s = v.toString().trimmed().toLower();
        if (s.startsWith(u't') || s.startsWith(u'y'))
            return true;
        if (s.isEmpty() || s.startsWith(u'f') || s.startsWith(u'n'))
            return false;
        throw StoreError(QStringLiteral("'%1' is not a valid Boolean value for field '%2'")
                             .arg(v.toString(), displayLabel()),
                         StoreError::kInvalidValue);
    }
    case FieldType::Float:
        return v.toDouble() != 0.0;
    default:
        return v.toLongLong() != 0;
    }
}

int Field::asInteger() const
{
    const QVariant &v = m_table.fieldData(m_index);
    if (!v.isValid())
        return 0;
    switch (m_type) {
    case FieldType::Boolean:
        return v.toBool() ? 1 : 0;
    case FieldType::Float:
        return static_cast<int>(dt::roundHalfEven(v.toDouble()));
    case FieldType::String:
    case FieldType::Memo: {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        if (!ok)
            throw StoreError(QStringLiteral("'%1' is not a valid integer value for field '%2'")
                                 .arg(v.toString(), displayLabel()),
                             StoreError::kInvalidValue);
        return n;
    }
    default:
        return static_cast<int>(v.toLongLong());
    }
}

double Field::asFloat() const
{
    const QVariant &v = m_table.fieldData(m_index);
    if (!v.isValid())
        return 0.0;
    switch (m_type) {
    case FieldType::Float:
        return v.toDouble();
    case FieldType::Boolean:
        return v.toBool() ? 1.0 : 0.0;
    case FieldType::Time:
        return dt::fromMsOfDay(v.toLongLong());
    case FieldType::String:
    case FieldType::Memo:
        if (const auto d = FormatSettings::instance().parseFloat(v.toString()))
            return *d;
        throw StoreError(QStringLiteral("'%1' is not a valid floating point value for field '%2'")
                             .arg(v.toString(), displayLabel()),
                         StoreError::kInvalidValue);
    default:
        return static_cast<double>(v.toLongLong());
    }
}

double Field::asDateTime() const
{
    const QVariant &v = m_table.fieldData(m_index);
    if (!v.isValid())
        return 0.0;
    switch (m_type) {
    case FieldType::String:
    case FieldType::Memo: {
        const FormatSettings &fs = FormatSettings::instance();
        if (const auto d = fs.parseDate(v.toString()))
            return *d;
        if (const auto t = fs.parseTime(v.toString()))
            return *t;
        throw StoreError(QStringLiteral("'%1' is not a valid date-time value for field '%2'")
                             .arg(v.toString(), displayLabel()),
                         StoreError::kInvalidValue);
    }
    default:
        return asFloat();
    }
}

QVariant Field::value() const
{
    const QVariant &v = m_table.fieldData(m_index);
    if (!v.isValid())
        return QVariant();
    switch (m_type) {
    case FieldType::String:
    case FieldType::Memo:
        return v;
    case FieldType::Boolean:
        return QVariant(v.toBool());
    case FieldType::Float:
    case FieldType::Date:
    case FieldType::Time:
        return QVariant(asFloat());
    default:
        return QVariant(static_cast<int>(v.toLongLong()));
    }
}

QString Field::displayText() const
{
    if (isNull())
        return QString();
    const FormatSettings &fs = FormatSettings::instance();
    switch (m_type) {
    case FieldType::Float:
    case FieldType::SmallInt:
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (!m_displayFormat.isEmpty() || m_type == FieldType::Float)
            return fs.formatFloat(asFloat(), m_displayFormat);
        return asString();
    case FieldType::Date:
    case FieldType::Time:
        if (!m_displayFormat.isEmpty())
            return fs.formatDateTime(m_displayFormat, asDateTime());
        return asString();
    default:
        return asString();
    }
}

void Field::setAsString(const QString &v)
{
    m_table.checkWritable(*this);
    m_table.setFieldData(*this, fieldvalue::fromString(m_type, m_size, v, displayLabel()));
}

void Field::setAsBoolean(bool v)
{
    m_table.checkWritable(*this);
    m_table.setFieldData(*this, fieldvalue::fromBoolean(m_type, m_size, v, displayLabel()));
}

void Field::setAsInteger(int v)
{
    m_table.checkWritable(*this);
    m_table.setFieldData(*this, fieldvalue::fromInteger(m_type, m_size, v, displayLabel()));
}

void Field::setAsFloat(double v)
{
    m_table.checkWritable(*this);
    m_table.setFieldData(*this, fieldvalue::fromFloat(m_type, m_size, v, displayLabel()));
}

void Field::setAsDateTime(double v)
{
    setAsFloat(v);
}

void Field::setValue(const QVariant &v)
{
    m_table.checkWritable(*this);
    m_table.setFieldData(*this, fieldvalue::fromVariant(m_type, m_size, v, displayLabel()));
}

void Field::clear()
{
    m_table.checkWritable(*this);
    m_table.setFieldData(*this, QVariant());
}

} // namespace kv
