// ClockCommand: `kestrova clock in|out|switch|status` for scripts and keyboard shortcuts, sent
// to the running program over its local socket.
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

class QTextStream;

namespace kv {

/// Exit code of `kestrova clock` when no program runs over the data folder.
inline constexpr int kExitNotRunning = 3;

QString clockCommandUsage();

/// Sends @p request to the program listening on @p socketPath and returns its reply; an empty
/// object when none answers.
QJsonObject sendClockRequest(const QString &socketPath, const QJsonObject &request,
                             int timeoutMs = 30000);

/// Runs `clock` with @p args (after "clock") against the program on @p socketPath.
int runClockCommand(const QStringList &args, const QString &socketPath, QTextStream &out,
                    QTextStream &err);

} // namespace kv
