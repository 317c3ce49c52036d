// RunningSetFile: the running time set kept on disk while the clock runs, so that a crash, a
// killed session or a power cut loses at most the time since the last heartbeat. The file lives
// beside the user's settings, one per data folder, and is replaced atomically (a temporary file
// written and synced, then renamed over the old one), so a reader sees the old set or the new one,
// never half of either.
//
// RunningSetKeeper follows the punch clock: it writes the file when a set starts or switches,
// rewrites the last-seen time once a minute while the set runs, and removes the file when the
// clock goes idle or the program ends normally. A file it cannot write is said once, in a
// warning box, and tried again at every heartbeat.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>
#include <stdexcept>

namespace kv {

class PunchClock;

/// What is needed to post a set that was left running.
struct RunningSet
{
    QString client;
    QString job;
    QString task;          ///< the task text, when it was already asked
    double inDateTime = 0; ///< start of the set (date-time value)
    double wDate = 0;      ///< date and in time of its first record
    double timeIn = 0;
    bool billable = true;
    double lastSeen = 0; ///< the last moment the program was known to run
};

/// The state file could not be written: the file (the one the user knows, not its temporary
/// twin) and the system's reason.
class RunningSetWriteError : public std::runtime_error
{
public:
    RunningSetWriteError(QString file, QString why);
    QString path;
    QString reason;
};

class RunningSetFile
{
public:
    explicit RunningSetFile(QString path) : m_path(std::move(path)) {}

    /// The file for the data folder @p dataFolder, in the user's settings folder.
    static QString pathFor(const QString &dataFolder);

    const QString &path() const { return m_path; }
    /// Writes @p set atomically. Throws RunningSetWriteError when the file cannot be written.
    void write(const RunningSet &set) const;
    /// The set in the file; none when there is no file or it cannot be read as a set.
    std::optional<RunningSet> read() const;
    bool exists() const;
    void remove() const;

private:
    QString m_path;
};

class RunningSetKeeper : public QObject
{
    Q_OBJECT
public:
    static constexpr int kHeartbeatMs = 60 * 1000;

    /// @p billable reads the billable box the set's records will get.
    RunningSetKeeper(const PunchClock &clock, std::function<bool()> billable,
                     QObject *parent = nullptr);

    /// The file kept; set before the first clock-in (the data folder is known by then).
    void setFile(const QString &path) { m_file = RunningSetFile(path); }
    const RunningSetFile &file() const { return m_file; }

    /// The clock changed: a running set is written (now as its last-seen time), an idle clock
    /// removes the file this keeper wrote.
    void clockChanged();
    /// The billable box changed: a running set is written at once with the new state.
    void billableChanged();
    /// The heartbeat: the running set again, with now as last-seen time. A file that could not
    /// be written is tried again here.
    void heartbeat();
    /// The program ends normally (the close was allowed): the file goes.
    void discard();

private:
    void writeNow();

    const PunchClock &m_clock;
    std::function<bool()> m_billable;
    RunningSetFile m_file{QString()};
    QTimer m_timer;
    bool m_written = false;
    bool m_warned = false; ///< the user was told that the file cannot be written
};

} // namespace kv
