// ForeignRecordLock: a record lock held the way another program holds it, for tests of windows
// that meet a locked record. The store locks a record by write-locking the byte at its row id in
// the table's lock file with an open-file-description lock; a description of our own on that
// file conflicts with the store's as another process's would.
#pragma once

#include <QString>
#include <fcntl.h>
#include <unistd.h>

class ForeignRecordLock
{
public:
    ForeignRecordLock(const QString &tableFile, qint64 rowId)
    {
        m_fd = ::open((tableFile + QStringLiteral(".lck")).toLocal8Bit().constData(),
                      O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_fd < 0)
            return;
        struct flock lock = {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = static_cast<off_t>(rowId);
        lock.l_len = 1;
        m_held = ::fcntl(m_fd, F_OFD_SETLK, &lock) == 0;
    }
    ~ForeignRecordLock() { release(); }
    ForeignRecordLock(const ForeignRecordLock &) = delete;
    ForeignRecordLock &operator=(const ForeignRecordLock &) = delete;

    bool held() const { return m_held; }
    /// The other program lets go (closing the description drops its locks).
    void release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_held = false;
    }

private:
    int m_fd = -1;
    bool m_held = false;
};
