// ImportCommand: `kestrova import-v1 --from FOLDER`, the conversion of the version-1.1 tables in
// FOLDER into the configured data folder, for scripts and for machines without the version-1.1
// engine: no window, no registration, the same steps, checks and outcome as the window's.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QTextStream;

namespace kv {

/// Exit codes of import-v1.
enum ImportExit {
    kImportOk = 0,
    kImportFailed = 1, ///< a file could not be read or a record not written; stderr names it
    kImportUsage = 2,  ///< bad arguments; the usage text is on stderr
};

/// True for "import-v1".
bool isImportCommand(const QString &command);

QString importUsage();

/// Runs `args` (the command first) over the data folder `dataFolder` gives (the configured one
/// when empty). Writes a line per table to `out` ("Clients: 12 added, 3 already there") and
/// errors to `err`; returns the exit code. Records converted before an error stay.
int runImportCommand(const QStringList &args, QTextStream &out, QTextStream &err,
                     const std::function<QString()> &dataFolder = {});

/// The whole process of an import-v1 run, for main().
int importCommandMain(int argc, char **argv);

} // namespace kv
