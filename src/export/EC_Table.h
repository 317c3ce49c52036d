// TExportTable: the export component bound to a data set (the time-log table in the program),
// with the readiness checks and the moves of the record loop.
#pragma once

#include "EC_DataSet.h"

#include <QPointer>

namespace kv {

class TExportTable : public TExportDataSet
{
public:
    /// Takes the first data set among the owner's children, if any.
    explicit TExportTable(QObject *owner = nullptr);

    ExportDataSource *DataSet() const { return m_dataSet.data(); }
    /// The component forgets the data set when it is destroyed.
    void setDataSet(ExportDataSource *dataSet) { m_dataSet = dataSet; }

    bool CheckReady() override;
    int GetItemCount() override;
    int GetColumnWidth(int column) override;
    void BeginExport() override;
    void EndExport() override;
    void NextItem(ExportRow &row) override;
    bool HasMoreItems() override;
    int GetFieldCount() const override;
    ExportField *GetField(int index) const override;

private:
    QPointer<ExportDataSource> m_dataSet;
    ExportDataSource::Bookmark m_bookmark;
    bool m_hasBookmark = false;
    std::vector<int> m_widthFields; ///< exported fields, for GetColumnWidth
};

} // namespace kv
