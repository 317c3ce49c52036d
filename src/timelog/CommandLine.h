// CommandLine: `kestrova export ...` and `kestrova report ...`, the time log of the configured
// data folder written to a file without opening a window (monthly invoicing from scripts).
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QTextStream;

namespace kv {

/// Exit codes of the command line.
enum CommandLineExit {
    kExitOk = 0,
    kExitFailed = 1,      ///< the command failed or was refused; the reason is on stderr
    kExitUsage = 2,       ///< bad arguments; the usage text is on stderr
    kExitRowsLeftOut = 3, ///< a worksheet could not hold every record; the count is on stderr
};

class TDMKV;

/// `report --layout todo`: writes the to-do list of @p dm in the order named by @p order (empty
/// for the list's order at start) as the PDF file @p output. Throws std::invalid_argument for an
/// order it does not know. The program registers it: the to-do list is built on this library.
using TodoListWriter = std::function<int(TDMKV &dm, const QString &order, const QString &output)>;
void setTodoListWriter(TodoListWriter writer);

/// True when @p command is one the command line runs ("export", "report", "add").
bool isCommandLineCommand(const QString &command);

/// True when a first argument @p firstArgument is for the command line (a command, --help,
/// --version, or something it refuses with the usage), false for the options Qt takes.
bool startsCommandLine(const QString &firstArgument);

/// The usage text.
QString commandLineUsage();

/// The options of `command` in `args` from index `from` on, written `--name value` or
/// `--name=value`: each must be one of `allowed` and given once. Returns the values by name; on a
/// fault returns nothing and sets `problem` to the words for the user. With `helpStops`, a
/// `--help` or `-h` where an option name stands ends the reading and sets `help`. With `places`,
/// where each value stands (OptionPlace).
struct OptionPlace
{
    qsizetype argument = -1; ///< index in the arguments
    qsizetype offset = 0;    ///< where the value begins in it: after "--name=", or 0
};
std::optional<QMap<QString, QString>>
readCommandOptions(const QStringList &args, qsizetype from, const QStringList &allowed,
                   const QString &command, QString &problem, bool *help = nullptr,
                   QMap<QString, OptionPlace> *places = nullptr);

/// Runs @p args (the arguments after the program name, the command first) over the data
/// folder @p dataFolder gives (the configured one when empty) and returns the exit code.
/// @p nativeArgs are the same arguments as the bytes the program was given, when known: the
/// output file gets the very bytes of its name, also a name that is not text (CommandOutput).
/// Messages the export component would show in boxes go to @p err instead: the command line
/// replaces the message service for the rest of the process.
///
///     kestrova export --format csv|tab|text|detailed|dif|sylk|xls|html|rtf|doc --output FILE
///                     [--order date|client|job] [--client NAME] [--job NAME]
///                     [--from DATE] [--to DATE]
///     kestrova report [--layout full|group] [--order date|client|job] --output FILE.pdf
///                     [--client NAME] [--job NAME] [--from DATE] [--to DATE]
///     kestrova report --layout todo [--order ORDER] --output FILE.pdf
int runCommandLine(const QStringList &args, QTextStream &out, QTextStream &err,
                   const std::function<QString()> &dataFolder = {},
                   const QList<QByteArray> &nativeArgs = {});

/// The whole process of a command-line run, for main(): the application on the offscreen
/// platform (fonts and PDF output need one; no window opens and no display is needed), Qt's own
/// warnings kept off stderr, then runCommandLine over stdout and stderr. Returns the exit code.
int commandLineMain(int argc, char **argv);

} // namespace kv
