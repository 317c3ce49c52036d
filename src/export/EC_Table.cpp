// The export component over a data set: readiness checks and the record loop's moves.
#include "EC_Table.h"

#include "Services.h"

namespace kv {

TExportTable::TExportTable(QObject *owner) : TExportDataSet(owner)
{
    if (owner) {
        for (QObject *child : owner->children()) {
            if (auto *ds = dynamic_cast<ExportDataSource *>(child)) {
                m_dataSet = ds;
                break;
            }
        }
    }
}

int TExportTable::GetFieldCount() const
{
    return m_dataSet ? m_dataSet->fieldCount() : 0;
}

ExportField *TExportTable::GetField(int index) const
{
    return m_dataSet ? m_dataSet->field(index) : nullptr;
}

bool TExportTable::CheckReady()
{
    if (!m_dataSet)
        throw ExportError(ExportText::dataSetNotAssigned());
    if (!m_dataSet->isActive())
        throw ExportError(ExportText::dataSetNotActive());
    if (m_dataSet->isBof() && m_dataSet->isEof()) {
        Services::instance().messages().warning(ExportText::noData());
        return false;
    }
    bool anyTitle = false;
    for (int i : exportedFieldIndices()) {
        if (!GetColumnCaption(i).trimmed().isEmpty()) {
            anyTitle = true;
            break;
        }
    }
    if (!anyTitle) {
        Services::instance().messages().warning(ExportText::noColumns());
        return false;
    }
    return true;
}

int TExportTable::GetItemCount()
{
    if (Options().testFlag(SelectedRowsOnly))
        return 1;
    if (m_dataSet && m_dataSet->isRecordCountReliable())
        return m_dataSet->recordCount();
    return -1;
}

int TExportTable::GetColumnWidth(int column)
{
    if (m_widthFields.empty())
        m_widthFields = exportedFieldIndices();
    if (column < 0 || static_cast<size_t>(column) >= m_widthFields.size())
        return 0;
    const ExportField *f = GetField(m_widthFields[static_cast<size_t>(column)]);
    return f ? std::max(f->displayWidth(), 0) : 0;
}

void TExportTable::BeginExport()
{
    TExportDataSet::BeginExport();
    m_widthFields = exportedFieldIndices();
    m_bookmark = m_dataSet->getBookmark();
    m_hasBookmark = true;
    m_dataSet->disableControls();
    if (SelectionCount() != 1)
        m_dataSet->first();
}

void TExportTable::EndExport()
{
    TExportDataSet::EndExport();
    m_widthFields.clear();
    if (!m_dataSet || !m_hasBookmark)
        return;
    m_hasBookmark = false;
    m_dataSet->gotoBookmark(m_bookmark);
    m_dataSet->enableControls();
    m_dataSet->freeBookmark(m_bookmark);
    m_bookmark = ExportDataSource::Bookmark();
}

void TExportTable::NextItem(ExportRow &row)
{
    TExportDataSet::NextItem(row);
    m_dataSet->next();
}

bool TExportTable::HasMoreItems()
{
    if (Options().testFlag(SelectedRowsOnly))
        return ItemsExported() < ItemTotal();
    return !m_dataSet->isEof();
}

} // namespace kv
