// SingleInstance: one Kestrova per user and data folder. The first start claims a lock on a file
// beside its clock socket before anything else of its start-up (a lock the kernel drops when the
// process ends, however it ends) and listens on the socket at once, so a start while the first
// one still shows its start-up questions finds it. A later start that finds the lock taken asks
// the running one to come forward and exits. Two users (their own runtime folders) and two data
// folders (a lock and a socket each) run side by side.
#pragma once

#include <QString>

namespace kv {

class InstanceLock
{
public:
    /// The lock of the program running over the data folder whose lock file is @p path.
    explicit InstanceLock(QString path);
    /// Releases the lock (the file stays: removing it could let two starts lock two files).
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    /// Takes the lock without waiting. True when this process holds it now; false when another
    /// one holds it. Throws std::runtime_error naming the file when it cannot be opened or
    /// locked for another reason.
    bool tryLock();
    const QString &path() const { return m_path; }

private:
    QString m_path;
    int m_fd = -1;
};

/// A later start: asks the program on @p socketPath to bring its window forward. The running
/// program may still be between its lock and its socket: asks again every @p retryMs until
/// @p timeoutMs have passed. True when it answered.
bool showRunningInstance(const QString &socketPath, int timeoutMs, int retryMs = 100);

} // namespace kv
