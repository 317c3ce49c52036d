// The command line for scripts: argument parsing, the data module over the configured folder,
// the view (order and filter) and the run of the export or the report.
#include "CommandLine.h"

#include "AddCommand.h"
#include "Application.h"
#include "ClockCommand.h"
#include "CommandOutput.h"
#include "DateTime.h"
#include "KVDM.h"
#include "Schemas.h"
#include "Services.h"
#include "Settings.h"
#include "TimeLogExport.h"
#include "TimeLogReport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QTextStream>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace kv {

namespace {

const QString kExport = QStringLiteral("export");
const QString kReport = QStringLiteral("report");
const QString kAdd = QStringLiteral("add");
const QString kClock = QStringLiteral("clock");
const QString kProgram = QStringLiteral("kestrova");

TodoListWriter &todoListWriter()
{
    static TodoListWriter writer;
    return writer;
}

/// Message boxes of the export component, written as lines to a sink instead.
class LineMessages : public Messages
{
public:
    explicit LineMessages(std::function<void(const QString &)> sink) : m_sink(std::move(sink)) {}

    MsgAnswer show(MsgKind, const QString &text, MsgButtons buttons, int, const QString &) override
    {
        QString line = text;
        line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        m_sink(kProgram + QStringLiteral(": ") + line);
        ++shown;
        // Nobody is there to answer a question.
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }

    int shown = 0;

private:
    std::function<void(const QString &)> m_sink;
};

struct FormatChoice
{
    const char *name;
    TExportType type;
    bool detailed;
};

const FormatChoice kFormats[] = {
    {"csv", xText_Comma_Delimited, false},
    {"tab", xText_Tab_Delimited, false},
    {"text", xText, false},
    {"detailed", xText, true},
    {"dif", xDIF, false},
    {"sylk", xSYLK, false},
    {"xls", xMicrosoft_Excel, false},
    {"html", xHTML, false},
    {"rtf", xRichText, false},
    {"doc", xMicrosoft_Word, false},
};

/// Index of TBInout for each --order.
const QMap<QString, QString> kOrders = {
    {QStringLiteral("date"), QStringLiteral("Tinout01")},
    {QStringLiteral("client"), QStringLiteral("Tinout02")},
    {QStringLiteral("job"), QStringLiteral("Tinout03")},
};

const QStringList kExportOptions = {QStringLiteral("format"), QStringLiteral("output"),
                                    QStringLiteral("order"),  QStringLiteral("client"),
                                    QStringLiteral("job"),    QStringLiteral("from"),
                                    QStringLiteral("to")};
const QStringList kReportOptions = {QStringLiteral("layout"), QStringLiteral("output"),
                                    QStringLiteral("order"),  QStringLiteral("client"),
                                    QStringLiteral("job"),    QStringLiteral("from"),
                                    QStringLiteral("to")};

/// What the arguments ask for.
struct Request
{
    QString command;
    QString output;          ///< the name the writer writes
    QByteArray outputNative; ///< the output's name as given, byte for byte
    QString index = QStringLiteral("Tinout01");
    QString client, job;
    std::optional<double> from, to; ///< date values
    TExportType type = xText_Comma_Delimited;
    bool detailed = false;
    TimeLogLayout layout = TimeLogLayout::Full;
    bool todo = false; ///< the to-do list instead of the time log
    QString todoOrder;
    bool help = false;
};

class UsageError
{
public:
    explicit UsageError(QString message) : text(std::move(message)) {}
    QString text;
};

std::optional<double> isoDate(const QString &option, const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    const QDate d = QDate::fromString(text, Qt::ISODate);
    if (!pattern.match(text).hasMatch())
        throw UsageError(QStringLiteral("--%1 needs a date written as YYYY-MM-DD, not \"%2\"")
                             .arg(option, text));
    // The calendar has no year 0: 0001-01-01 is the first day there is.
    if (text.startsWith(QStringLiteral("0000-")))
        throw UsageError(
            QStringLiteral("--%1 %2 is before the first valid date, 0001-01-01").arg(option, text));
    if (!d.isValid())
        throw UsageError(QStringLiteral("--%1 %2 is not a day of the calendar").arg(option, text));
    return dt::fromDate(d);
}

Request parse(const QStringList &args, const QList<QByteArray> &nativeArgs)
{
    Request r;
    if (args.isEmpty() || (args.first() != kExport && args.first() != kReport))
        throw UsageError(args.isEmpty()
                             ? QStringLiteral("no command given")
                             : QStringLiteral("unknown command \"%1\"").arg(args.first()));
    r.command = args.first();
    const QStringList &allowed = r.command == kExport ? kExportOptions : kReportOptions;

    QString problem;
    QMap<QString, OptionPlace> places;
    const std::optional<QMap<QString, QString>> read =
        readCommandOptions(args, 1, allowed, r.command, problem, &r.help, &places);
    if (!read)
        throw UsageError(problem);
    if (r.help)
        return r;
    const QMap<QString, QString> &values = *read;
    for (auto it = values.begin(); it != values.end(); ++it)
        if (it.value().trimmed().isEmpty())
            throw UsageError(QStringLiteral("--%1 needs a value").arg(it.key()));

    r.output = values.value(QStringLiteral("output"));
    if (r.output.isEmpty())
        throw UsageError(QStringLiteral("--output is missing"));
    // The name's own bytes: those of its argument, after "--output=" when written so (the
    // option's name is ASCII, so the offset counts bytes too).
    const OptionPlace place = places.value(QStringLiteral("output"));
    if (nativeArgs.size() == args.size() && place.argument >= 0) {
        r.outputNative = nativeArgs.at(place.argument).mid(place.offset);
    } else {
        r.outputNative = QFile::encodeName(r.output);
    }

    if (r.command == kReport && values.value(QStringLiteral("layout")) == QStringLiteral("todo")) {
        r.todo = true;
        for (const char *option : {"client", "job", "from", "to"})
            if (values.contains(QString::fromLatin1(option)))
                throw UsageError(QStringLiteral("--%1 is not an option of the to-do list")
                                     .arg(QString::fromLatin1(option)));
        r.todoOrder = values.value(QStringLiteral("order"));
        return r;
    }

    if (values.contains(QStringLiteral("order"))) {
        const QString order = values.value(QStringLiteral("order"));
        if (!kOrders.contains(order))
            throw UsageError(
                QStringLiteral("--order is date, client or job, not \"%1\"").arg(order));
        r.index = kOrders.value(order);
    }
    r.client = values.value(QStringLiteral("client"));
    r.job = values.value(QStringLiteral("job"));
    if (values.contains(QStringLiteral("from")))
        r.from = isoDate(QStringLiteral("from"), values.value(QStringLiteral("from")));
    if (values.contains(QStringLiteral("to")))
        r.to = isoDate(QStringLiteral("to"), values.value(QStringLiteral("to")));
    if (r.from && r.to && *r.from > *r.to)
        throw UsageError(QStringLiteral("--from is later than --to"));

    if (r.command == kExport) {
        if (!values.contains(QStringLiteral("format")))
            throw UsageError(QStringLiteral("--format is missing"));
        const QString format = values.value(QStringLiteral("format"));
        bool found = false;
        for (const FormatChoice &f : kFormats) {
            if (format == QLatin1String(f.name)) {
                r.type = f.type;
                r.detailed = f.detailed;
                found = true;
            }
        }
        if (!found)
            throw UsageError(QStringLiteral("unknown format \"%1\"").arg(format));
    } else if (values.contains(QStringLiteral("layout"))) {
        const QString layout = values.value(QStringLiteral("layout"));
        if (layout == QStringLiteral("full"))
            r.layout = TimeLogLayout::Full;
        else if (layout == QStringLiteral("group"))
            r.layout = TimeLogLayout::Group;
        else
            throw UsageError(
                QStringLiteral("--layout is full, group or todo, not \"%1\"").arg(layout));
    }
    return r;
}

/// The view of the time log the request asks for: its order and, when any of the filter
/// options is given, the records that match all of them. Names compare exactly.
void setUpView(TDMKV &dm, const Request &r)
{
    dm.TBInout->setIndexName(r.index);
    if (!r.client.isEmpty() || !r.job.isEmpty() || r.from || r.to) {
        Field *cust = dm.TBInoutCustName, *job = dm.TBInoutJobDes, *date = dm.TBInoutWDate;
        // The store reads the options as filter terms and finds the records through its
        // indexes; the predicate says the same and is kept only when the store cannot decide
        // every term itself.
        std::vector<FilterTerm> terms;
        const auto named = [&](Field *field, const QString &name) {
            FilterTerm t;
            t.fieldName = field->fieldName();
            t.match = FilterTerm::Match::Whole;
            t.caseSensitive = true;
            t.anyOf = {{FilterTerm::Operand{false, name, 0}}};
            terms.push_back(t);
        };
        if (!r.client.isEmpty())
            named(cust, r.client);
        if (!r.job.isEmpty())
            named(job, r.job);
        if (r.from || r.to) {
            FilterTerm t;
            t.fieldName = date->fieldName();
            t.match = FilterTerm::Match::Range;
            t.hasLower = r.from.has_value();
            t.hasUpper = r.to.has_value();
            t.lower.number = r.from.value_or(0);
            t.upper.number = r.to.value_or(0);
            terms.push_back(t);
        }
        StoreTable::Predicate predicate = [r, cust, job, date](const StoreTable &) {
            if (!r.client.isEmpty() && cust->asString() != r.client)
                return false;
            if (!r.job.isEmpty() && job->asString() != r.job)
                return false;
            if (r.from || r.to) {
                const double day = date->asDateTime();
                if ((r.from && day < *r.from) || (r.to && day > *r.to))
                    return false;
            }
            return true;
        };
        bool decided = true;
        for (const FilterTerm &t : terms)
            decided = decided && dm.TBInout->decidesExactly(t);
        dm.TBInout->setFilter(decided ? StoreTable::Predicate() : std::move(predicate),
                              std::move(terms));
        dm.TBInout->setFiltered(true);
    }
    dm.TBInout->first();
}

/// Opens what the export and the report read, for reading only: the time log and, when the
/// folder has one, the configuration (without it the settings are the defaults, as for an empty
/// configuration). Nothing in the folder is created or changed. A rename an earlier run left
/// unfinished is only reported: finishing it would write.
void openTimeLogForReading(TDMKV &dm, const QString &folder, QTextStream &err)
{
    dm.TBInout->open();
    if (QFileInfo::exists(QDir(folder).filePath(schemas::kConfigFile)))
        dm.TBDef->open();
    const struct
    {
        RenameJournal::Kind kind;
        const char *what;
    } renames[] = {{RenameJournal::Kind::Client, "client"},
                   {RenameJournal::Kind::JobType, "job type"}};
    for (const auto &r : renames) {
        if (const std::optional<RenameJournal::Entry> e = dm.renameJournal().pending(r.kind))
            err << kProgram
                << QStringLiteral(": warning: the rename of the %1 \"%2\" to \"%3\" was "
                                  "interrupted; records of the time log may still carry the old "
                                  "name until Kestrova starts once over this folder\n")
                       .arg(QString::fromLatin1(r.what), e->oldName, e->newName);
    }
}

int runExport(TDMKV &dm, const Request &r, const LineMessages &messages, QTextStream &err)
{
    TimeLogExport exporter(dm);
    if (!exporter.exportToFile(r.type, r.detailed, r.output)) {
        if (messages.shown == 0)
            err << kProgram << QStringLiteral(": the export to ")
                << QFile::decodeName(r.outputNative) << QStringLiteral(" failed\n");
        return kExitFailed;
    }
    // The warning with the number of records left out is on stderr already.
    return exporter.ExportTable().RecordsLeftOut() > 0 ? kExitRowsLeftOut : kExitOk;
}

int runReport(TDMKV &dm, const Request &r)
{
    TimeLogReports reports(dm);
    reports.exportPdf(r.layout, r.output);
    return kExitOk;
}

void writeToStderr(const QString &line)
{
    const QByteArray bytes = (line + u'\n').toLocal8Bit();
    std::fputs(bytes.constData(), stderr);
}

} // namespace

void setTodoListWriter(TodoListWriter writer)
{
    todoListWriter() = std::move(writer);
}

bool isCommandLineCommand(const QString &command)
{
    return command == kExport || command == kReport || command == kAdd || command == kClock;
}

std::optional<QMap<QString, QString>> readCommandOptions(const QStringList &args, qsizetype from,
                                                         const QStringList &allowed,
                                                         const QString &command, QString &problem,
                                                         bool *help,
                                                         QMap<QString, OptionPlace> *places)
{
    QMap<QString, QString> values;
    for (qsizetype i = from; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (help && (arg == QStringLiteral("--help") || arg == QStringLiteral("-h"))) {
            *help = true;
            return values;
        }
        if (!arg.startsWith(QStringLiteral("--"))) {
            problem = QStringLiteral("unexpected argument \"%1\"").arg(arg);
            return std::nullopt;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(u'=');
        OptionPlace place{i, 0};
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
            place.offset = 2 + eq + 1;
        } else {
            if (i + 1 >= args.size()) {
                problem = QStringLiteral("--%1 needs a value").arg(name);
                return std::nullopt;
            }
            place.argument = ++i;
            value = args[i];
        }
        if (!allowed.contains(name)) {
            problem = QStringLiteral("unknown option --%1 for %2").arg(name, command);
            return std::nullopt;
        }
        if (values.contains(name)) {
            problem = QStringLiteral("--%1 is given twice").arg(name);
            return std::nullopt;
        }
        values.insert(name, value);
        if (places)
            places->insert(name, place);
    }
    return values;
}

bool startsCommandLine(const QString &firstArgument)
{
    // The options Qt itself takes (a session manager restarts the program with -session) still
    // start the windows; anything else is for the command line, which refuses what it does not
    // know.
    static const QStringList qtOptions = {QStringLiteral("-platform"),
                                          QStringLiteral("-platformpluginpath"),
                                          QStringLiteral("-platformtheme"),
                                          QStringLiteral("-plugin"),
                                          QStringLiteral("-qwindowgeometry"),
                                          QStringLiteral("-qwindowicon"),
                                          QStringLiteral("-qwindowtitle"),
                                          QStringLiteral("-reverse"),
                                          QStringLiteral("-session"),
                                          QStringLiteral("-display"),
                                          QStringLiteral("-geometry"),
                                          QStringLiteral("-style"),
                                          QStringLiteral("-stylesheet"),
                                          QStringLiteral("-widgetcount"),
                                          QStringLiteral("-name"),
                                          QStringLiteral("-title"),
                                          QStringLiteral("-sync"),
                                          QStringLiteral("-nograb"),
                                          QStringLiteral("-dograb")};
    return !qtOptions.contains(firstArgument);
}

QString commandLineUsage()
{
    // clang-format off
    return QStringLiteral(
        "Usage:\n"
        "  kestrova export --format csv|tab|text|detailed|dif|sylk|xls|html|rtf|doc --output FILE\n"
        "                  [--order date|client|job] [--client NAME] [--job NAME]\n"
        "                  [--from DATE] [--to DATE]\n"
        "  kestrova report [--layout full|group] [--order date|client|job] --output FILE.pdf\n"
        "                  [--client NAME] [--job NAME] [--from DATE] [--to DATE]\n"
        "  kestrova report --layout todo [--order due|priority|priority-done|in|done-in|\n"
        "                  done-done|task] --output FILE.pdf\n") +
           addCommandUsage() + clockCommandUsage() +
           QStringLiteral(
        "  kestrova import-v1 --from FOLDER   the data of Kestrova 1.1 into the data folder\n"
        "  kestrova --help | -h      this text\n"
        "  kestrova --version        the program's version\n"
        "  kestrova                  the program's windows\n"
        "\n"
        "Writes the time log of the configured data folder with the time-log window's settings.\n"
        "The order is by date unless --order says otherwise; --client and --job match names\n"
        "exactly; --from and --to include their days and are written YYYY-MM-DD (2026-03-31).\n"
        "The report's layout is the complete listing unless --layout group is given.\n"
        "--layout todo prints the to-do list in one of its seven orders, by due date unless\n"
        "--order says otherwise.\n"
        "add posts one time record with the billing rules and prints its billed hours.\n"
        "clock drives the running program's clock; exit 3 when none runs.\n"
        "\n"
        "Exit codes: 0 done; 1 the command failed (the reason is on stderr);\n"
        "2 bad arguments; 3 the worksheet (xls) could not hold every record, and those\n"
        "left out are counted on stderr.\n");
    // clang-format on
}

int runCommandLine(const QStringList &args, QTextStream &out, QTextStream &err,
                   const std::function<QString()> &dataFolder, const QList<QByteArray> &nativeArgs)
{
    if (!args.isEmpty() &&
        (args.first() == QStringLiteral("--help") || args.first() == QStringLiteral("-h"))) {
        out << commandLineUsage();
        out.flush();
        return kExitOk;
    }
    if (!args.isEmpty() && args.first() == QStringLiteral("--version")) {
        out << kProgram << u' ' << QStringLiteral(KV_PROGRAM_VERSION) << u'\n';
        out.flush();
        return kExitOk;
    }
    if (!args.isEmpty() && args.first() == kClock) {
        const QString folder = dataFolder ? dataFolder() : settings::regDataPath();
        return runClockCommand(args.mid(1), settings::clockSocketPath(folder), out, err);
    }
    if (!args.isEmpty() && args.first() == kAdd) {
        const QString folder = dataFolder ? dataFolder() : settings::regDataPath();
        Services::instance().setMessages(std::make_unique<LineMessages>(writeToStderr));
        return runAddCommand(args.mid(1), folder, out, err);
    }
    Request request;
    try {
        request = parse(args, nativeArgs);
    } catch (const UsageError &e) {
        err << kProgram << QStringLiteral(": ") << e.text << u'\n' << commandLineUsage();
        err.flush();
        return kExitUsage;
    }
    if (request.help) {
        out << commandLineUsage();
        out.flush();
        return kExitOk;
    }

    auto *messages = new LineMessages([&err](const QString &line) {
        err << line << u'\n';
        err.flush();
    });
    Services::instance().setMessages(std::unique_ptr<Messages>(messages));

    int rc = kExitFailed;
    CommandOutput output(request.outputNative);
    try {
        const QString folder = dataFolder ? dataFolder() : settings::regDataPath();
        request.output = output.writeName();
        if (request.todo && !todoListWriter()) {
            err << kProgram << QStringLiteral(": the to-do list cannot be printed here\n");
        } else if (request.todo) {
            if (!QFileInfo::exists(QDir(folder).filePath(schemas::kTodoFile))) {
                err << kProgram << QStringLiteral(": there is no to-do list in ")
                    << QDir::toNativeSeparators(folder) << u'\n';
            } else {
                TDMKV dm([folder] { return folder; }, TDMKV::Access::ReadOnly);
                dm.TBTodo->open();
                try {
                    todoListWriter()(dm, request.todoOrder, request.output);
                    dm.TBTodo->checkFileUnchanged();
                    rc = kExitOk;
                } catch (const std::invalid_argument &) {
                    err << kProgram << QStringLiteral(": unknown order \"") << request.todoOrder
                        << QStringLiteral("\" of the to-do list\n") << commandLineUsage();
                    rc = kExitUsage;
                }
            }
        } else if (!QFileInfo::exists(QDir(folder).filePath(schemas::kTimeLogFile))) {
            err << kProgram << QStringLiteral(": there is no time log in ")
                << QDir::toNativeSeparators(folder) << u'\n';
        } else {
            TDMKV dm([folder] { return folder; }, TDMKV::Access::ReadOnly);
            openTimeLogForReading(dm, folder, err);
            setUpView(dm, request);
            rc = request.command == kExport ? runExport(dm, request, *messages, err)
                                            : runReport(dm, request);
            // What was written must come from one state of the files.
            dm.TBInout->checkFileUnchanged();
            dm.TBDef->checkFileUnchanged();
        }
        if (rc == kExitOk || rc == kExitRowsLeftOut)
            output.commit();
    } catch (const std::exception &e) {
        err << kProgram << QStringLiteral(": ") << QString::fromUtf8(e.what()) << u'\n';
        rc = kExitFailed;
    }
    err.flush();
    out.flush();
    // The streams may not outlive this call; later messages go straight to stderr.
    Services::instance().setMessages(std::make_unique<LineMessages>(writeToStderr));
    return rc;
}

int commandLineMain(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Scripts read stderr for our messages only; Qt's remarks about the session (no runtime
    // folder, no display) are none of their business. Critical and fatal messages still pass.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            writeToStderr(msg);
    });
    Application app(argc, argv);
    QTextStream out(stdout), err(stderr);
    // argv as it is now (Qt took its own options out) is what arguments() holds, as text.
    QList<QByteArray> nativeArgs;
    for (int i = 1; i < argc; ++i)
        nativeArgs << QByteArray(argv[i]);
    return runCommandLine(QCoreApplication::arguments().mid(1), out, err, {}, nativeArgs);
}

} // namespace kv
