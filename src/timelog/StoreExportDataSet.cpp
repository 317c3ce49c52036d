// The export component's view of a table component.
#include "StoreExportDataSet.h"

#include "StoreTable.h"

#include <QHash>

namespace kv {

namespace {

ExportFieldType exportTypeOf(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return ExportFieldType::String;
    case FieldType::Memo:
        return ExportFieldType::Memo;
    case FieldType::Date:
        return ExportFieldType::Date;
    case FieldType::Time:
        return ExportFieldType::Time;
    case FieldType::Float:
        return ExportFieldType::Float;
    case FieldType::Boolean:
        return ExportFieldType::Boolean;
    case FieldType::SmallInt:
        return ExportFieldType::Smallint;
    case FieldType::Integer:
        return ExportFieldType::Integer;
    case FieldType::AutoInc:
        return ExportFieldType::AutoInc;
    }
    return ExportFieldType::Unknown;
}

} // namespace

/// One field of the table as the export component sees it.
///
/// Dates, times and numbers are formatted through the process-wide formats, which costs far
/// more than reading the record. A time log repeats the same few hundred dates, minutes and
/// hours values over and over, so their texts are kept by value for the length of one export
/// (the data source forgets them when an export takes its bookmark, so a change of the formats
/// between exports is seen).
class StoreExportField : public ExportField
{
public:
    explicit StoreExportField(Field &field)
        : m_field(field), m_type(exportTypeOf(field.dataType())), m_cached(isFormatted(field))
    {}

    ExportFieldType dataType() const override { return m_type; }
    QString fieldName() const override { return m_field.fieldName(); }
    QString displayName() const override { return m_field.displayLabel(); }
    int displayWidth() const override { return m_field.displayWidth(); }
    bool isVisible() const override { return m_field.isVisible(); }
    QString displayFormat() const override { return m_field.displayFormat(); }
    bool isNull() const override { return m_field.isNull(); }
    QString asString() const override
    {
        return m_cached && !m_field.isNull() ? texts().plain : m_field.asString();
    }
    QString displayText() const override
    {
        return m_cached && !m_field.isNull() ? texts().display : m_field.displayText();
    }
    QVariant value() const override { return m_field.value(); }

    void forgetTexts()
    {
        m_texts.clear();
        m_hasLast = false;
    }

private:
    struct Texts
    {
        QString plain, display;
    };
    /// Bounds the memory of a column of mostly distinct values (hours of odd lengths).
    static constexpr qsizetype kMaxCached = 4096;

    static bool isFormatted(const Field &f)
    {
        switch (f.dataType()) {
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::Float:
            return !f.isCalculated();
        default:
            return false;
        }
    }

    /// Both texts of the current value. The record loop asks for the plain text and then the
    /// display text of one value, and a log in date order repeats a date many records in a
    /// row: the last value answers those without a lookup.
    const Texts &texts() const
    {
        const double v = m_field.asFloat();
        if (m_hasLast && v == m_lastValue)
            return m_last;
        auto it = m_texts.constFind(v);
        if (it == m_texts.constEnd()) {
            if (m_texts.size() >= kMaxCached)
                m_texts.clear();
            it = m_texts.insert(v, {m_field.asString(), m_field.displayText()});
        }
        m_lastValue = v;
        m_last = *it;
        m_hasLast = true;
        return m_last;
    }

    Field &m_field;
    ExportFieldType m_type;
    bool m_cached;
    mutable QHash<double, Texts> m_texts;
    mutable bool m_hasLast = false;
    mutable double m_lastValue = 0;
    mutable Texts m_last;
};

StoreExportDataSet::StoreExportDataSet(StoreTable &table, QObject *parent)
    : ExportDataSource(parent), m_table(table)
{
    for (const std::unique_ptr<Field> &f : table.fields())
        m_fields.push_back(std::make_unique<StoreExportField>(*f));
}

StoreExportDataSet::~StoreExportDataSet() = default;

bool StoreExportDataSet::isActive() const
{
    return m_table.isActive();
}

bool StoreExportDataSet::isBof() const
{
    return m_table.bof() || m_table.isEmpty();
}

bool StoreExportDataSet::isEof() const
{
    return m_table.eof() || m_table.isEmpty();
}

int StoreExportDataSet::fieldCount() const
{
    return static_cast<int>(m_fields.size());
}

ExportField *StoreExportDataSet::field(int index) const
{
    if (index < 0 || index >= fieldCount())
        return nullptr;
    return m_fields[static_cast<size_t>(index)].get();
}

void StoreExportDataSet::first()
{
    m_table.first();
}

void StoreExportDataSet::next()
{
    m_table.next();
}

ExportDataSource::Bookmark StoreExportDataSet::getBookmark()
{
    // An export starts here: texts kept from an earlier one may follow formats since changed.
    for (const std::unique_ptr<StoreExportField> &f : m_fields)
        f->forgetTexts();
    return QVariant::fromValue(m_table.getBookmark());
}

void StoreExportDataSet::gotoBookmark(const Bookmark &b)
{
    // No record was current (an empty view): there is nothing to return to.
    const StoreTable::Bookmark row = b.toLongLong();
    if (row != 0 && m_table.bookmarkValid(row))
        m_table.gotoBookmark(row);
}

void StoreExportDataSet::freeBookmark(const Bookmark &b)
{
    m_table.freeBookmark(b.toLongLong());
}

void StoreExportDataSet::disableControls()
{
    m_table.disableControls();
}

void StoreExportDataSet::enableControls()
{
    m_table.enableControls();
}

} // namespace kv
