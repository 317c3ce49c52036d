// An in-memory data set behind ExportDataSource, for the export tests: typed fields with the
// presentation properties of the time-log table, rows of values, bookmarks and a control-update
// counter that tests check.
#pragma once

#include <stdexcept>

#include "ExportDataSource.h"

#include <QDate>
#include <QLocale>
#include <QTime>
#include <cmath>
#include <memory>
#include <vector>

namespace kv::test {

class MemoryDataSet;

struct FieldDef
{
    QString name;
    ExportFieldType type = ExportFieldType::String;
    QString label;
    int width = 10;
    bool visible = true;
    QString displayFormat;
    bool currency = false;

    static FieldDef named(const QString &name, ExportFieldType type = ExportFieldType::String)
    {
        FieldDef d;
        d.name = name;
        d.type = type;
        return d;
    }
};

class MemoryField : public ExportField
{
public:
    MemoryField(const MemoryDataSet &ds, int index, FieldDef def)
        : m_ds(ds), m_index(index), m_def(std::move(def))
    {}
    ExportFieldType dataType() const override { return m_def.type; }
    QString fieldName() const override { return m_def.name; }
    QString displayName() const override
    {
        return m_def.label.isEmpty() ? m_def.name : m_def.label;
    }
    int displayWidth() const override { return m_def.width; }
    bool isVisible() const override { return m_def.visible; }
    void setVisible(bool v) { m_def.visible = v; }
    QString displayFormat() const override { return m_def.displayFormat; }
    bool isCurrency() const override { return m_def.currency; }
    bool isNull() const override { return !value().isValid(); }
    QString asString() const override;
    QString displayText() const override;
    QVariant value() const override;

private:
    const MemoryDataSet &m_ds;
    int m_index;
    FieldDef m_def;
};

class MemoryDataSet : public ExportDataSource
{
public:
    explicit MemoryDataSet(const std::vector<FieldDef> &defs, QObject *parent = nullptr)
        : ExportDataSource(parent)
    {
        for (size_t i = 0; i < defs.size(); ++i)
            m_fields.push_back(std::make_unique<MemoryField>(*this, static_cast<int>(i), defs[i]));
    }

    void addRow(std::vector<QVariant> values) { m_rows.push_back(std::move(values)); }
    const QVariant &cell(int field) const
    {
        return m_rows[static_cast<size_t>(m_pos)][static_cast<size_t>(field)];
    }
    void setPosition(int p) { m_pos = p; }
    int position() const { return m_pos; }
    MemoryField *memoryField(int i) const { return m_fields[static_cast<size_t>(i)].get(); }

    bool isActive() const override { return active; }
    bool isBof() const override { return m_pos <= 0; }
    bool isEof() const override { return m_pos >= static_cast<int>(m_rows.size()); }
    int fieldCount() const override { return static_cast<int>(m_fields.size()); }
    ExportField *field(int index) const override
    {
        return m_fields[static_cast<size_t>(index)].get();
    }
    void first() override { m_pos = 0; }
    void next() override
    {
        if (m_pos + 1 == failAtRow)
            throw std::runtime_error("Cannot read data file Tinout201.DAT: database disk image is "
                                     "malformed");
        if (m_pos < static_cast<int>(m_rows.size()))
            ++m_pos;
    }
    Bookmark getBookmark() override
    {
        ++openBookmarks;
        return m_pos;
    }
    void gotoBookmark(const Bookmark &b) override { m_pos = b.toInt(); }
    void freeBookmark(const Bookmark &) override { --openBookmarks; }
    void disableControls() override { ++disabledDepth; }
    void enableControls() override { --disabledDepth; }
    int recordCount() const override { return static_cast<int>(m_rows.size()); }
    bool isRecordCountReliable() const override { return reliableCount; }

    bool active = true;
    bool reliableCount = false;
    int failAtRow = -1; ///< a move to this row fails as a damaged table does
    int disabledDepth = 0;
    int openBookmarks = 0;

private:
    std::vector<std::unique_ptr<MemoryField>> m_fields;
    std::vector<std::vector<QVariant>> m_rows;
    int m_pos = 0;
};

inline QVariant MemoryField::value() const
{
    if (m_ds.isEof())
        return QVariant();
    return m_ds.cell(m_index);
}

namespace detail {
inline QDate epoch()
{
    return QDate(1899, 12, 30);
}
inline QString dateText(double v)
{
    return QLocale().toString(epoch().addDays(static_cast<qint64>(std::floor(v))),
                              QLocale::ShortFormat);
}
inline QString timeText(double v)
{
    const double f = v - std::floor(v);
    const int ms = static_cast<int>(std::llround(f * 86400000.0)) % 86400000;
    // The time log's process-wide time format "h:nn AMPM".
    return QLocale().toString(QTime::fromMSecsSinceStartOfDay(ms), QStringLiteral("h:mm AP"));
}
inline QString floatText(double v)
{
    QLocale l;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l.toString(v, 'g', 15);
}
} // namespace detail

inline QString MemoryField::asString() const
{
    const QVariant v = value();
    if (!v.isValid())
        return QString();
    switch (m_def.type) {
    case ExportFieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case ExportFieldType::Float:
    case ExportFieldType::Currency:
    case ExportFieldType::BCD:
        return detail::floatText(v.toDouble());
    case ExportFieldType::Date:
        return detail::dateText(v.toDouble());
    case ExportFieldType::Time:
        return detail::timeText(v.toDouble());
    case ExportFieldType::DateTime:
        return detail::dateText(v.toDouble()) + QLatin1Char(' ') + detail::timeText(v.toDouble());
    default:
        return v.toString();
    }
}

inline QString MemoryField::displayText() const
{
    const QVariant v = value();
    if (!v.isValid())
        return QString();
    if ((m_def.type == ExportFieldType::Float || m_def.type == ExportFieldType::Currency) &&
        !m_def.displayFormat.isEmpty()) {
        const qsizetype dot = m_def.displayFormat.indexOf(u'.');
        const int decimals = dot < 0 ? 0 : static_cast<int>(m_def.displayFormat.size() - dot - 1);
        QLocale l;
        l.setNumberOptions(QLocale::OmitGroupSeparator);
        return l.toString(v.toDouble(), 'f', decimals);
    }
    return asString();
}

} // namespace kv::test
