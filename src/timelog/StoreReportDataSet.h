// StoreReportDataSet: puts a StoreTable behind the report engine's data-set interface, so that a
// report walks the table's current view (its index order and active filter).
#pragma once

#include "ReportDataSet.h"

#include <QHash>

namespace kv {

class Field;
class StoreTable;

/// Report data set over a table component. The expression name is the table's object name
/// ("TBInout"); field names are the table's own. Store errors pass through as StoreError.
class StoreReportDataSet : public ReportDataSet
{
public:
    explicit StoreReportDataSet(StoreTable &table);

    StoreTable &table() const { return m_table; }

    QString name() const override;
    bool hasField(const QString &field) const override;

    void first() override;
    void next() override;
    bool eof() const override;

    QString displayText(const QString &field) const override;
    bool asBoolean(const QString &field) const override;
    double asFloat(const QString &field) const override;

    Bookmark getBookmark() const override;
    void gotoBookmark(Bookmark bookmark) override;
    void freeBookmark(Bookmark bookmark) override;

    void disableControls() override;
    void enableControls() override;

private:
    /// The field of that name; throws StoreError when the table has none.
    Field &fieldOf(const QString &name) const;

    StoreTable &m_table;
    mutable QHash<QString, Field *> m_fields; ///< looked up once per name
};

} // namespace kv
