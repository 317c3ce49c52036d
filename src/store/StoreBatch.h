// StoreBatch: scope guard for a batch of posts on one table file (migration, rename cascades,
// conversion): one transaction, committed on commit(), rolled back when the guard dies first.
#pragma once

#include "StoreTable.h"

namespace kv {

/// Begins a batch on `table`'s file; all posts and deletes through any table object over that
/// file become one transaction. Errors of begin and commit are thrown as StoreError; the
/// rollback of an abandoned batch never throws.
class StoreBatch
{
public:
    explicit StoreBatch(StoreTable &table) : m_table(table) { m_table.beginBatch(); }
    ~StoreBatch()
    {
        if (m_open) {
            try {
                m_table.rollbackBatch();
            } catch (...) {
                // Nothing of the batch is kept; the connection rolls back when it closes.
            }
        }
    }
    StoreBatch(const StoreBatch &) = delete;
    StoreBatch &operator=(const StoreBatch &) = delete;

    void commit()
    {
        m_table.commitBatch();
        m_open = false;
    }

private:
    StoreTable &m_table;
    bool m_open = true;
};

/// Deletes every record of `table`'s current view (its index order, narrowed by its filter) in
/// one batch, with bound widgets switched off; records outside the view stay. Deleting the
/// view's last record puts the cursor on the one before it, so the loop runs until the view is
/// empty. After a failure the records deleted before it stay deleted and the StoreError reaches
/// the caller.
inline void deleteAllInView(StoreTable &table)
{
    table.disableControls();
    table.beginBatch();
    try {
        table.first();
        while (!table.isEmpty())
            table.deleteRecord();
    } catch (...) {
        try {
            table.commitBatch();
        } catch (...) {
            // The batch rolls back instead; the first error is the one to report.
        }
        table.enableControls();
        throw;
    }
    table.commitBatch();
    table.enableControls();
}

} // namespace kv
