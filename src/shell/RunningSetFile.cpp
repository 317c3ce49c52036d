// RunningSetFile: the running set as a small JSON file, replaced by write, fsync and rename.
#include "RunningSetFile.h"

#include "PunchClock.h"
#include "Services.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace kv {

namespace {

RunningSetWriteError writeError(const QString &path)
{
    return RunningSetWriteError(path, QString::fromLocal8Bit(std::strerror(errno)));
}

/// Writes all of @p bytes to @p fd; false on an error.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

RunningSetWriteError::RunningSetWriteError(QString file, QString why)
    : std::runtime_error(QStringLiteral("Cannot write %1: %2")
                             .arg(QDir::toNativeSeparators(file), why)
                             .toStdString()),
      path(std::move(file)), reason(std::move(why))
{}

QString RunningSetFile::pathFor(const QString &dataFolder)
{
    // One file per data folder: two folders may run side by side, each with its own set.
    const QByteArray key = QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath()).toUtf8();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(12));
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Kestrova/running-set-") + hash + QStringLiteral(".json");
}

void RunningSetFile::write(const RunningSet &set) const
{
    QJsonObject o;
    o[QStringLiteral("client")] = set.client;
    o[QStringLiteral("job")] = set.job;
    o[QStringLiteral("task")] = set.task;
    o[QStringLiteral("in")] = set.inDateTime;
    o[QStringLiteral("wDate")] = set.wDate;
    o[QStringLiteral("timeIn")] = set.timeIn;
    o[QStringLiteral("billable")] = set.billable;
    o[QStringLiteral("lastSeen")] = set.lastSeen;
    const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);

    const QFileInfo info(m_path);
    QDir().mkpath(info.absolutePath());
    const QString tmp = m_path + QStringLiteral(".new");
    const QByteArray tmpName = QFile::encodeName(tmp);
    const int fd = ::open(tmpName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        throw writeError(m_path);
    const bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(tmpName.constData());
        errno = savedErrno;
        throw writeError(m_path);
    }
    if (::rename(tmpName.constData(), QFile::encodeName(m_path).constData()) != 0) {
        const int e = errno;
        ::unlink(tmpName.constData());
        errno = e;
        throw writeError(m_path);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(QFile::encodeName(info.absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

std::optional<RunningSet> RunningSetFile::read() const
{
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    RunningSet set;
    set.client = o.value(QStringLiteral("client")).toString();
    set.job = o.value(QStringLiteral("job")).toString();
    set.task = o.value(QStringLiteral("task")).toString();
    set.inDateTime = o.value(QStringLiteral("in")).toDouble();
    set.wDate = o.value(QStringLiteral("wDate")).toDouble();
    set.timeIn = o.value(QStringLiteral("timeIn")).toDouble();
    set.billable = o.value(QStringLiteral("billable")).toBool(true);
    set.lastSeen = o.value(QStringLiteral("lastSeen")).toDouble();
    if (set.client.isEmpty() || set.job.isEmpty() || set.inDateTime <= 0)
        return std::nullopt;
    // A clock set back while the program ran cannot make the span negative.
    if (set.lastSeen < set.inDateTime)
        set.lastSeen = set.inDateTime;
    return set;
}

bool RunningSetFile::exists() const
{
    return QFileInfo::exists(m_path);
}

void RunningSetFile::remove() const
{
    QFile::remove(m_path);
}

RunningSetKeeper::RunningSetKeeper(const PunchClock &clock, std::function<bool()> billable,
                                   QObject *parent)
    : QObject(parent), m_clock(clock), m_billable(std::move(billable))
{
    m_timer.setInterval(kHeartbeatMs);
    connect(&m_timer, &QTimer::timeout, this, &RunningSetKeeper::heartbeat);
}

void RunningSetKeeper::writeNow()
{
    if (m_file.path().isEmpty())
        return;
    RunningSet set;
    set.client = m_clock.LogCustName;
    set.job = m_clock.LogJobDes;
    set.inDateTime = m_clock.InDateTime;
    set.wDate = m_clock.RecWDate;
    set.timeIn = m_clock.RecTimeIn;
    set.billable = m_billable ? m_billable() : true;
    set.lastSeen = Services::instance().clock().nowValue();
    try {
        m_file.write(set);
        m_written = true;
        m_warned = false; // a later failure is news again
    } catch (const RunningSetWriteError &e) {
        // The clock runs on; only its protection against a crash is missing. The user hears it
        // once, not at every heartbeat, and the heartbeat keeps trying.
        qWarning("%s", e.what());
        if (m_warned)
            return;
        m_warned = true;
        Services::instance().messages().warning(
            tr("Kestrova cannot save the running clock to the file %1: %2.\r\n"
               "Should Kestrova end unexpectedly, it could not offer the time since you clocked "
               "in for posting at its next start. It tries again every minute.")
                .arg(QDir::toNativeSeparators(e.path), e.reason));
    }
}

void RunningSetKeeper::clockChanged()
{
    if (m_clock.IsClockedIn) {
        writeNow();
        if (!m_timer.isActive())
            m_timer.start();
        return;
    }
    m_timer.stop();
    // Only a file of this run goes: one left by an earlier run waits for the start-up question.
    if (m_written) {
        m_file.remove();
        m_written = false;
    }
}

void RunningSetKeeper::billableChanged()
{
    if (m_clock.IsClockedIn)
        writeNow();
}

void RunningSetKeeper::heartbeat()
{
    if (m_clock.IsClockedIn)
        writeNow();
}

void RunningSetKeeper::discard()
{
    m_timer.stop();
    if (m_written)
        m_file.remove();
    m_written = false;
}

} // namespace kv
