// RecordLockFile: open-file-description byte locks in a sidecar file, one byte per record.
//
// Design notes
// ------------
// Invariants:
//   * The byte at offset `rowid` of "<table file>.lck" is write-locked by a process exactly
//     while that process edits or deletes the record with that row id, or writes it as a new
//     record. The file's contents are never read or written; it may stay empty.
//   * Locks are open-file-description locks (F_OFD_SETLK): they belong to the one open file
//     description this object holds, not to the process. They vanish when the description is
//     closed, and the kernel closes it when the process dies, however it dies, so a crashed
//     program never leaves a record locked. The descriptor is opened close-on-exec, so a child
//     process started by the program (a viewer, a mail client) never inherits the locks.
//   * Within the process all StoreTable objects over one file share this object, and a lock is
//     counted (m_holds): two table objects of one process do not exclude each other, and the
//     byte is unlocked only when the last hold is given back.
//
// Transitions of one record's byte (the callers are StoreTable's edit(), deleteRecord(),
// post() and cancel(); the retry loop around tryLock lives in StoreTable::lockRecord):
//
//   from        event                          to          function
//   unlocked    tryLock, no other holder       held(1)     tryLock -> fcntl(F_OFD_SETLK, F_WRLCK)
//   unlocked    tryLock, another process       unlocked    tryLock returns false
//   held(n)     tryLock                        held(n+1)   tryLock (count only)
//   held(n>1)   unlock                         held(n-1)   unlock (count only)
//   held(1)     unlock                         unlocked    unlock -> fcntl(F_OFD_SETLK, F_UNLCK)
//   held(n)     process ends / object dies     unlocked    ~RecordLockFile or the kernel
#include "RecordLockFile.h"

#include "StoreError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace kv {

namespace {

/// 0 on success, else the errno of the lock call.
int setLock(int fd, qint64 offset, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = static_cast<off_t>(offset);
    lock.l_len = 1;
    lock.l_pid = 0; // must be 0 for open-file-description locks
    for (;;) {
        if (::fcntl(fd, F_OFD_SETLK, &lock) == 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

} // namespace

RecordLockFile::RecordLockFile(const QString &lockPath, const QString &tablePath)
    : m_lockPath(lockPath), m_tablePath(tablePath)
{
    const QByteArray path = lockPath.toLocal8Bit();
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        const int err = errno;
        throw StoreError(QStringLiteral("Cannot open data file %1: its lock file %2 cannot be "
                                        "opened (%3)")
                             .arg(tablePath, lockPath, QString::fromLocal8Bit(std::strerror(err))),
                         StoreError::kWriteFailed);
    }
}

RecordLockFile::~RecordLockFile()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases every lock of this description
}

bool RecordLockFile::tryLock(qint64 rowId)
{
    auto it = m_holds.find(rowId);
    if (it != m_holds.end()) {
        ++it.value();
        return true;
    }
    const int err = setLock(m_fd, rowId, F_WRLCK);
    if (err == EAGAIN || err == EACCES)
        return false; // another process holds it
    if (err != 0)
        throw StoreError(
            QStringLiteral("Cannot lock a record of data file %1: the lock file %2 "
                           "refuses locks (%3)")
                .arg(m_tablePath, m_lockPath, QString::fromLocal8Bit(std::strerror(err))),
            StoreError::kWriteFailed);
    m_holds.insert(rowId, 1);
    return true;
}

void RecordLockFile::unlock(qint64 rowId)
{
    auto it = m_holds.find(rowId);
    if (it == m_holds.end())
        return;
    if (--it.value() > 0)
        return;
    m_holds.erase(it);
    setLock(m_fd, rowId, F_UNLCK);
}

} // namespace kv
