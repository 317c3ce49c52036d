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

} // namespace kv
