// The export component's view of a table component.
#include "StoreExportDataSet.h"

#include "StoreTable.h"

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
class StoreExportField : public ExportField
{
public:
    explicit StoreExportField(Field &field) : m_field(field), m_type(exportTypeOf(field.dataType()))
    {}

    ExportFieldType dataType() const override { return m_type; }
    QString fieldName() const override { return m_field.fieldName(); }
    QString displayName() const override { return m_field.displayLabel(); }
    int displayWidth() const override { return m_field.displayWidth(); }
    bool isVisible() const override { return m_field.isVisible(); }
    QString displayFormat() const override { return m_field.displayFormat(); }
    bool isNull() const override { return m_field.isNull(); }
    QString asString() const override { return m_field.asString(); }
    QString displayText() const override { return m_field.displayText(); }
    QVariant value() const override { return m_field.value(); }

private:
    Field &m_field;
    ExportFieldType m_type;
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
