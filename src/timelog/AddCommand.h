// AddCommand: `kestrova add`, one time record posted from a terminal (a forgotten hour) through
// the data module, so it gets the same hours rule, key check and after-post work as a record the
// clock or the time-log window posts.
#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace kv {

/// The usage lines of `kestrova add`.
QString addCommandUsage();

/// Runs `add` with @p args (the options after "add") over @p folder and returns the exit code:
/// 0 posted (the billed hours are printed on @p out), 1 the store refused the record (its message
/// is on @p err), 2 bad arguments (the message names the argument).
int runAddCommand(const QStringList &args, const QString &folder, QTextStream &out,
                  QTextStream &err);

} // namespace kv
