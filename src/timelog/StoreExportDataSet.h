// StoreExportDataSet: puts a StoreTable behind the export component's data-source interface, so
// that an export writes the table's current view (its index order and active filter).
#pragma once

#include "ExportDataSource.h"

#include <memory>
#include <vector>

namespace kv {

class StoreTable;
class StoreExportField;

/// Export data source over a table component. The table reports no reliable record count, so
/// exports of it run with an unknown total. Store errors pass through as StoreError.
class StoreExportDataSet : public ExportDataSource
{
public:
    explicit StoreExportDataSet(StoreTable &table, QObject *parent = nullptr);
    ~StoreExportDataSet() override;

    StoreTable &table() const { return m_table; }

    bool isActive() const override;
    bool isBof() const override;
    bool isEof() const override;

    int fieldCount() const override;
    ExportField *field(int index) const override;

    void first() override;
    void next() override;

    Bookmark getBookmark() override;
    void gotoBookmark(const Bookmark &b) override;
    void freeBookmark(const Bookmark &b) override;

    void disableControls() override;
    void enableControls() override;

    int recordCount() const override { return -1; }
    bool isRecordCountReliable() const override { return false; }

private:
    StoreTable &m_table;
    std::vector<std::unique_ptr<StoreExportField>> m_fields;
};

} // namespace kv
