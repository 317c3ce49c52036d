// The import-v1 command: arguments, the data module over the data folder, the conversion and
// its summary.
#include "ImportCommand.h"

#include "KVDM.h"
#include "LegacyConversion.h"
#include "LegacyError.h"
#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <memory>

namespace kv {

namespace {

const QString kCommand = QStringLiteral("import-v1");
const QString kProgram = QStringLiteral("kestrova");

class UsageError
{
public:
    explicit UsageError(QString message) : text(std::move(message)) {}
    QString text;
};

/// The folder --from names; empty with --help.
QString parse(const QStringList &args, bool &help)
{
    help = false;
    QString from;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QStringLiteral("--help") || arg == QStringLiteral("-h")) {
            help = true;
            return QString();
        }
        QString value;
        if (arg == QStringLiteral("--from")) {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("--from needs a folder"));
            value = args[++i];
        } else if (arg.startsWith(QStringLiteral("--from="))) {
            value = arg.mid(7);
        } else if (arg.startsWith(QStringLiteral("--"))) {
            throw UsageError(QStringLiteral("unknown option %1 for %2").arg(arg, kCommand));
        } else {
            throw UsageError(QStringLiteral("unexpected argument \"%1\"").arg(arg));
        }
        if (!from.isEmpty())
            throw UsageError(QStringLiteral("--from is given twice"));
        if (value.trimmed().isEmpty())
            throw UsageError(QStringLiteral("--from needs a folder"));
        from = value;
    }
    if (from.isEmpty())
        throw UsageError(QStringLiteral("--from is missing"));
    return from;
}

/// A line per table; after a failure only for the tables the conversion got to.
void summarize(const LegacyConversion &conversion, QTextStream &out, bool completed)
{
    for (const ConvertedTable &t : conversion.tables()) {
        if (!completed && !t.found)
            continue;
        out << t.what << QStringLiteral(": ");
        if (!t.found)
            out << QStringLiteral("no %1").arg(t.tableName);
        else if (t.what == QStringLiteral("Configuration"))
            out << (t.added > 0 ? QStringLiteral("copied from %1").arg(t.tableName)
                                : QStringLiteral("%1 holds none").arg(t.tableName));
        else
            out << QStringLiteral("%1 added, %2 already there").arg(t.added).arg(t.present);
        out << u'\n';
    }
}

} // namespace

bool isImportCommand(const QString &command)
{
    return command == kCommand;
}

QString importUsage()
{
    return QStringLiteral(
        "Usage:\n"
        "  kestrova import-v1 --from FOLDER\n"
        "\n"
        "Copies the data of Kestrova v1.1 from its tables in FOLDER (kvdef.DB, Customer.DB,\n"
        "Tinout.DB, JobCode.DB and their .MB memo files) into the configured data folder:\n"
        "the configuration, then the clients, time records and job types that are not there yet.\n"
        "Tables missing from FOLDER are skipped. Running it again adds nothing twice.\n"
        "\n"
        "Exit codes: 0 done; 1 a file could not be read or a record could not be written\n"
        "(stderr names the file; what was copied before stays), or FOLDER holds none of the\n"
        "tables; 2 bad arguments.\n");
}

int runImportCommand(const QStringList &args, QTextStream &out, QTextStream &err,
                     const std::function<QString()> &dataFolder)
{
    QString from;
    bool help = false;
    try {
        if (args.isEmpty() || !isImportCommand(args.first()))
            throw UsageError(QStringLiteral("no import command given"));
        from = parse(args, help);
    } catch (const UsageError &e) {
        err << kProgram << QStringLiteral(": ") << e.text << u'\n' << importUsage();
        err.flush();
        return kImportUsage;
    }
    if (help) {
        out << importUsage();
        out.flush();
        return kImportOk;
    }

    int rc = kImportFailed;
    std::unique_ptr<LegacyConversion> conversion;
    try {
        // The version-1.1 folder first: a wrong --from leaves the data folder untouched.
        const LegacyDatabase source(from);
        source.checkReadable();
        QString folder;
        if (dataFolder) {
            folder = dataFolder();
        } else {
            folder = settings::regDataPath();
            if (settings::usesDefaultDataFolder())
                QDir().mkpath(folder);
        }
        if (!QFileInfo(folder).isDir())
            throw LegacyError(QDir::toNativeSeparators(folder),
                              QStringLiteral("the data folder does not exist"));
        TDMKV dm([folder] { return folder; });
        conversion = std::make_unique<LegacyConversion>(dm, source);
        if (conversion->run()) {
            rc = kImportOk;
        } else {
            err << kProgram << QStringLiteral(": No Kestrova Tables Found. ")
                << QStringLiteral("(%1 holds none of %2, %3, %4, %5)\n")
                       .arg(QDir::toNativeSeparators(from), LegacyConversion::kConfigTable,
                            LegacyConversion::kClientTable, LegacyConversion::kTimeLogTable,
                            LegacyConversion::kJobTable);
        }
        summarize(*conversion, out, true);
    } catch (const std::exception &e) {
        if (conversion)
            summarize(*conversion, out, false);
        err << kProgram << QStringLiteral(": ") << QString::fromUtf8(e.what()) << u'\n';
        rc = kImportFailed;
    }
    out.flush();
    err.flush();
    return rc;
}

int importCommandMain(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    return runImportCommand(QCoreApplication::arguments().mid(1), out, err);
}

} // namespace kv
