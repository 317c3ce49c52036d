// The rename cascade into the time log.
#include "RenameCascade.h"

#include "StoreBatch.h"
#include "StoreTable.h"

#include <QVariantList>

namespace kv {

namespace {

/// Switches the time log into search mode for the cascade and back when it ends, however it ends.
class CascadeScope
{
public:
    CascadeScope(StoreTable &t, const QString &index)
        : m_table(t), m_oldIndex(t.indexName()), m_wasFiltered(t.isFiltered())
    {
        m_table.disableControls();
        if (m_wasFiltered)
            m_table.setFiltered(false);
        m_table.setIndexName(index);
    }
    ~CascadeScope()
    {
        // Restoring must not throw out of a failure that is already on its way to the caller.
        try {
            if (m_table.state() == StoreTable::State::Edit ||
                m_table.state() == StoreTable::State::Insert)
                m_table.cancel();
            m_table.setIndexName(m_oldIndex);
            if (m_wasFiltered)
                m_table.setFiltered(true);
            m_table.refresh();
        } catch (...) {
        }
        m_table.enableControls();
    }
    CascadeScope(const CascadeScope &) = delete;
    CascadeScope &operator=(const CascadeScope &) = delete;

private:
    StoreTable &m_table;
    QString m_oldIndex;
    bool m_wasFiltered;
};

} // namespace

int renameInTimeLog(StoreTable &timeLog, Field &field, const QString &indexName,
                    const QString &oldName, const QString &newName)
{
    if (oldName.isEmpty() || oldName == newName)
        return 0;
    CascadeScope scope(timeLog, indexName);
    StoreBatch batch(timeLog);
    int renamed = 0;
    const QVariantList key{oldName};
    try {
        // Each renamed record leaves the set the search finds, so the loop ends once no record
        // carries the old name.
        while (timeLog.findKey(key)) {
            timeLog.edit();
            field.setAsString(newName);
            timeLog.post();
            ++renamed;
        }
    } catch (...) {
        // The records renamed so far stay renamed; the failing one is dropped.
        if (timeLog.state() == StoreTable::State::Edit)
            timeLog.cancel();
        try {
            batch.commit();
        } catch (...) {
            // The batch rolls back instead; the first error is the one to report.
        }
        throw;
    }
    batch.commit();
    return renamed;
}

} // namespace kv
