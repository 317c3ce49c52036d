// The report engine's view of a table component.
#include "StoreReportDataSet.h"

#include "StoreTable.h"

namespace kv {

StoreReportDataSet::StoreReportDataSet(StoreTable &table) : m_table(table) {}

QString StoreReportDataSet::name() const
{
    return m_table.objectName();
}

bool StoreReportDataSet::hasField(const QString &field) const
{
    return m_table.findField(field) != nullptr;
}

Field &StoreReportDataSet::fieldOf(const QString &name) const
{
    auto it = m_fields.constFind(name);
    if (it != m_fields.constEnd())
        return **it;
    Field &f = m_table.fieldByName(name);
    m_fields.insert(name, &f);
    return f;
}

void StoreReportDataSet::first()
{
    m_table.first();
}

void StoreReportDataSet::next()
{
    m_table.next();
}

bool StoreReportDataSet::eof() const
{
    return m_table.eof();
}

QString StoreReportDataSet::displayText(const QString &field) const
{
    return fieldOf(field).displayText();
}

bool StoreReportDataSet::asBoolean(const QString &field) const
{
    return fieldOf(field).asBoolean();
}

double StoreReportDataSet::asFloat(const QString &field) const
{
    return fieldOf(field).asFloat();
}

ReportDataSet::Bookmark StoreReportDataSet::getBookmark() const
{
    return m_table.getBookmark();
}

void StoreReportDataSet::gotoBookmark(Bookmark bookmark)
{
    // An empty view has no record to return to (bookmark 0).
    if (bookmark != 0 && m_table.bookmarkValid(bookmark))
        m_table.gotoBookmark(bookmark);
}

void StoreReportDataSet::freeBookmark(Bookmark bookmark)
{
    if (bookmark != 0)
        m_table.freeBookmark(bookmark);
}

void StoreReportDataSet::disableControls()
{
    m_table.disableControls();
}

void StoreReportDataSet::enableControls()
{
    m_table.enableControls();
}

} // namespace kv
