// SingleInstance: the instance lock (flock on a file in the user's runtime folder) and the
// request of a later start.
#include "SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <unistd.h>

namespace kv {

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool InstanceLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    const auto failure = [this](int err) {
        return std::runtime_error(
            QStringLiteral("Cannot use the lock file %1: %2")
                .arg(QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(std::strerror(err)))
                .toStdString());
    };
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const int fd =
        ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        throw failure(errno);
    // flock belongs to this open file: a second open, even in this process, is refused, and
    // the lock goes with the process.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EINTR)
            continue;
        ::close(fd);
        if (err == EWOULDBLOCK)
            return false;
        throw failure(err);
    }
    m_fd = fd;
    return true;
}

bool showRunningInstance(const QString &socketPath, int timeoutMs, int retryMs)
{
    const QByteArray request =
        QJsonDocument(QJsonObject{{QStringLiteral("cmd"), QStringLiteral("show")}})
            .toJson(QJsonDocument::Compact) +
        '\n';
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(socketPath);
        const int left = int(std::max<qint64>(0, timeoutMs - waited.elapsed()));
        if (socket.waitForConnected(std::max(left, 1))) {
            socket.write(request);
            socket.waitForBytesWritten(std::max(left, 1));
            while (!socket.canReadLine() && socket.waitForReadyRead(std::max(left, 1))) {
            }
            if (socket.canReadLine())
                return true;
        }
        if (waited.elapsed() >= timeoutMs)
            return false;
        QThread::msleep(static_cast<unsigned long>(retryMs));
    }
}

} // namespace kv
