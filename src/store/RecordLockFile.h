// RecordLockFile: the record locks of one table file, kept as byte locks in a sidecar file
// next to it ("Customer.DAT.lck"), so that processes sharing the table keep out of each
// other's records.
#pragma once

#include <QHash>
#include <QString>

namespace kv {

/// Record locks of one table file for this process. One instance per open table file (it is
/// owned by the shared StoreConnection), so every StoreTable of the process over that file
/// shares the locks; within the process a lock is counted, between processes it excludes.
///
/// Errors are reported by throwing StoreError: kWriteFailed when the lock file cannot be
/// opened or created, or when the file system refuses a lock for another reason than a lock
/// held elsewhere (no lock support, a permission error).
class RecordLockFile
{
public:
    /// Opens (creating when missing) the lock file at `lockPath`; `tablePath` names the table
    /// file in error messages.
    RecordLockFile(const QString &lockPath, const QString &tablePath);
    ~RecordLockFile();
    RecordLockFile(const RecordLockFile &) = delete;
    RecordLockFile &operator=(const RecordLockFile &) = delete;

    /// Takes the lock of record `rowId` without waiting. True when this process now holds it
    /// (again); false while another process holds it. Any other failure of the lock call
    /// throws at once, naming the file and the system's reason: waiting would not help.
    bool tryLock(qint64 rowId);
    /// Gives back one hold of the lock of `rowId`; the last one releases it.
    void unlock(qint64 rowId);
    /// Number of holds this process has on `rowId`.
    int holds(qint64 rowId) const { return m_holds.value(rowId); }

private:
    QString m_lockPath;
    QString m_tablePath;
    int m_fd = -1;
    QHash<qint64, int> m_holds;
};

} // namespace kv
