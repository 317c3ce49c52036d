// `kestrova export` and `kestrova report`: arguments, exit codes and messages, the view the
// options ask for, and the program itself run as a child process.
#include "ReportExportFixture.h"

#include "CommandLine.h"
#include "CommandOutput.h"
#include "PdfProbe.h"

#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
using namespace kv::test;

namespace {

/// The names in the folder @p native as bytes, as the file system has them.
QList<QByteArray> nativeListing(const QByteArray &native)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(native.constData())) {
        while (const dirent *e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// The contents of the file named by the bytes @p native.
QByteArray nativeRead(const QByteArray &native)
{
    QFile f;
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !f.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QByteArray();
    return f.readAll();
}

/// Empties the folder @p native when it goes: QTemporaryDir cannot remove names that are not text.
struct NativeCleanup
{
    QByteArray folder;
    ~NativeCleanup() { removeAll(folder); }
    static void removeAll(const QByteArray &native)
    {
        for (const QByteArray &name : nativeListing(native)) {
            const QByteArray path = native + '/' + name;
            struct stat st = {};
            if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
                removeAll(path);
                ::rmdir(path.constData());
            } else {
                ::unlink(path.constData());
            }
        }
    }
};

/// A file name that is not UTF-8: bytes 0xff and 0xfe.
const QByteArray kNotText("\xff\xfe report.csv");

TEST(CommandOutputTest, ANameThatIsNotTextIsWrittenUnderItsOwnBytes)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    const NativeCleanup cleanup{folder};
    {
        CommandOutput text(folder + "/plain.csv");
        EXPECT_TRUE(text.isText());
        EXPECT_EQ(text.writeName(), dir.filePath(QStringLiteral("plain.csv")));
    }
    const QByteArray target = folder + '/' + kNotText;
    {
        CommandOutput output(target);
        EXPECT_FALSE(output.isText());
        const QString name = output.writeName();
        // A temporary file of text name beside it, with its extension.
        EXPECT_EQ(QFileInfo(name).absolutePath(), dir.path());
        EXPECT_TRUE(name.endsWith(QStringLiteral(".csv"))) << name.toStdString();
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("a,b\r\n");
        f.close();
        output.commit();
    }
    EXPECT_EQ(nativeListing(folder), QList<QByteArray>{kNotText});
    EXPECT_EQ(nativeRead(target), QByteArray("a,b\r\n"));

    // A write that failed leaves nothing behind, and the old file as it was.
    {
        CommandOutput output(target);
        QFile f(output.writeName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("half");
    }
    EXPECT_EQ(nativeListing(folder), QList<QByteArray>{kNotText});
    EXPECT_EQ(nativeRead(target), QByteArray("a,b\r\n"));

    // A folder whose name is not text is reached through its descriptor.
    const QByteArray odd = folder + "/\xe9t\xe9";
    ASSERT_EQ(::mkdir(odd.constData(), 0755), 0);
    {
        CommandOutput output(odd + "/log.pdf");
        EXPECT_FALSE(output.isText());
        QFile f(output.writeName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("%PDF");
        f.close();
        output.commit();
    }
    EXPECT_EQ(nativeListing(odd), QList<QByteArray>{"log.pdf"});

    // A folder that is not there: the error names the output.
    CommandOutput nowhere(folder + "/\xffmissing/x.csv");
    try {
        nowhere.writeName();
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error &e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Cannot write ")))
            << e.what();
    }
}

class CommandLine : public TimeLogFixture
{
protected:
    int run(const QStringList &args)
    {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const QString folder = m_folder;
        return runCommandLine(args, o, e, [folder] { return folder; });
    }

    QStringList lines(const QString &file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QStringList l = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"));
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }

    void postLog()
    {
        post({day(2026, 2, 27), at(9, 0), at(10, 0), QStringLiteral("Acme"),
              QStringLiteral("Design"), QStringLiteral("February")});
        post({day(2026, 3, 2), at(9, 0), at(10, 30), QStringLiteral("Acme"),
              QStringLiteral("Design"), QStringLiteral("Kickoff")});
        post({day(2026, 3, 31), at(13, 0), at(15, 15), QStringLiteral("Acme"),
              QStringLiteral("Support"), QStringLiteral("Month end")});
        post({day(2026, 3, 5), at(11, 0), at(11, 45), QStringLiteral("acme"),
              QStringLiteral("Support"), QStringLiteral("Other case")});
        post({day(2026, 3, 4), at(8, 0), at(9, 0), QStringLiteral("Bolt"), QStringLiteral("Design"),
              QStringLiteral("Bolt work")});
        post({day(2026, 4, 1), at(8, 0), at(9, 0), QStringLiteral("Acme"), QStringLiteral("Design"),
              QStringLiteral("April")});
    }

    /// Every name in the data folder, hidden ones included.
    QStringList listing() const
    {
        return QDir(m_folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    /// Ends the fixture's data module (as when the program is not running) and keeps only the
    /// time log and the configuration in the folder, as in a copy handed to an accountant.
    void keepOnlyTheTimeLog()
    {
        dm.reset();
        for (const QString &name : listing()) {
            if (name != QStringLiteral("Tinout201.DAT") && name != QStringLiteral("kvdef.DAT")) {
                ASSERT_TRUE(QFile::remove(QDir(m_folder).filePath(name))) << name.toStdString();
            }
        }
    }

    QString out, err;
};

TEST_F(CommandLine, BadArgumentsGiveTheUsageOnStderrAndExitCode2)
{
    const QString file = path(QStringLiteral("x.csv"));
    const QList<QStringList> bad = {
        {QStringLiteral("export"), QStringLiteral("--output"), file},
        {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv")},
        {QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("pdf"),
         QStringLiteral("--output"), file},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--from"), QStringLiteral("31.03.2026")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--to"), QStringLiteral("2026-02-30")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--from"), QStringLiteral("2026-3-1")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--from"), QStringLiteral("2026-04-01"), QStringLiteral("--to"),
         QStringLiteral("2026-03-01")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--order"), QStringLiteral("hours")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--layout"), QStringLiteral("full")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--format=tab"),
         QStringLiteral("--output"), file},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output")},
        {QStringLiteral("export"), QStringLiteral("--format=csv"), QStringLiteral("--output"), file,
         QStringLiteral("--client"), QStringLiteral("")},
        {QStringLiteral("export"), QStringLiteral("csv"), QStringLiteral("--output"), file},
        {QStringLiteral("report"), QStringLiteral("--layout"), QStringLiteral("tree"),
         QStringLiteral("--output"), file},
        {QStringLiteral("report"), QStringLiteral("--format"), QStringLiteral("csv"),
         QStringLiteral("--output"), file},
        {QStringLiteral("report"), QStringLiteral("--layout"), QStringLiteral("full")},
        {QStringLiteral("print")},
        {},
    };
    for (const QStringList &args : bad) {
        EXPECT_EQ(run(args), kExitUsage) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.startsWith(QStringLiteral("kestrova: "))) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("Usage:"))) << args.join(u' ').toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(CommandLine, HelpGoesToStdoutWithExitCode0)
{
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--help")}), kExitOk);
    EXPECT_TRUE(out.startsWith(QStringLiteral("Usage:")));
    EXPECT_TRUE(err.isEmpty());
}

TEST_F(CommandLine, ExportOfAClientsMonthInClientOrder)
{
    postLog();
    const QString file = path(QStringLiteral("march.csv"));
    ASSERT_EQ(
        run({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv"),
             QStringLiteral("--output"), file, QStringLiteral("--order"), QStringLiteral("client"),
             QStringLiteral("--client"), QStringLiteral("Acme"), QStringLiteral("--from"),
             QStringLiteral("2026-03-01"), QStringLiteral("--to"), QStringLiteral("2026-03-31")}),
        kExitOk)
        << err.toStdString();
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    const QStringList l = lines(file);
    ASSERT_EQ(l.size(), 3) << l.join(u'\n').toStdString();
    // Names match exactly ("acme" is another client); both ends of the range are included.
    EXPECT_TRUE(l[1].contains(QStringLiteral("\"Kickoff\""))) << l[1].toStdString();
    EXPECT_TRUE(l[2].contains(QStringLiteral("\"Month end\""))) << l[2].toStdString();
}

TEST_F(CommandLine, ExportByJobTypeWithOnlyAStartDateAndTheCustomTitle)
{
    postLog();
    setConfig(QStringLiteral("Invoice annex"), false);
    const QString file = path(QStringLiteral("jobs.txt"));
    ASSERT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=tab"),
                   QStringLiteral("--output=") + file, QStringLiteral("--order=job"),
                   QStringLiteral("--job=Design"), QStringLiteral("--from=2026-03-01")}),
              kExitOk)
        << err.toStdString();
    const QStringList l = lines(file);
    ASSERT_EQ(l.size(), 4) << l.join(u'\n').toStdString();
    // Tinout03 orders a job type's records by client, then date.
    EXPECT_TRUE(l[1].contains(QStringLiteral("Kickoff")));
    EXPECT_TRUE(l[2].contains(QStringLiteral("April")));
    EXPECT_TRUE(l[3].contains(QStringLiteral("Bolt work")));

    // The fixed-width text carries the configuration's title.
    const QString text = path(QStringLiteral("jobs-text.txt"));
    ASSERT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=text"),
                   QStringLiteral("--output=") + text}),
              kExitOk);
    EXPECT_EQ(lines(text).value(0), QStringLiteral("Invoice annex"));
}

TEST_F(CommandLine, EveryFormatWritesItsFile)
{
    postLog();
    const char *formats[] = {"csv",  "tab", "text", "detailed", "dif",
                             "sylk", "xls", "html", "rtf",      "doc"};
    for (const char *f : formats) {
        const QString file = path(QStringLiteral("log-%1").arg(QLatin1String(f)));
        EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format"), QLatin1String(f),
                       QStringLiteral("--output"), file}),
                  kExitOk)
            << f << ": " << err.toStdString();
        EXPECT_GT(QFileInfo(file).size(), 200) << f;
    }
}

TEST_F(CommandLine, NothingToExportIsAFailureWithTheComponentsMessage)
{
    postLog();
    const QString file = path(QStringLiteral("none.csv"));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=csv"),
                   QStringLiteral("--output"), file, QStringLiteral("--client=Nobody")}),
              kExitFailed);
    EXPECT_EQ(err, QStringLiteral("kestrova: There is no Data to Export.\n"));
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(CommandLine, AnOutputThatCannotBeCreatedIsAFailure)
{
    postLog();
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=xls"),
                   QStringLiteral("--output"), path(QStringLiteral("no/such/dir/log.xls"))}),
              kExitFailed);
    EXPECT_TRUE(err.startsWith(QStringLiteral("kestrova: "))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Usage:")));
    EXPECT_EQ(run({QStringLiteral("report"), QStringLiteral("--output"),
                   path(QStringLiteral("no/such/dir/log.pdf"))}),
              kExitFailed);
    EXPECT_TRUE(err.startsWith(QStringLiteral("kestrova: "))) << err.toStdString();
}

TEST_F(CommandLine, AMissingTimeLogIsAFailureAndCreatesNothing)
{
    QTemporaryDir empty;
    const QString folder = empty.filePath(QStringLiteral("Data"));
    QTextStream o(&out), e(&err);
    EXPECT_EQ(runCommandLine({QStringLiteral("report"), QStringLiteral("--output"),
                              empty.filePath(QStringLiteral("r.pdf"))},
                             o, e, [folder] { return folder; }),
              kExitFailed);
    EXPECT_TRUE(err.contains(QStringLiteral("there is no time log in"))) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(CommandLine, AWorksheetThatCannotHoldEveryRecordWarnsWithExitCode3)
{
    // Of the 65,536 rows the title, the time stamp, an empty row and the column titles take
    // four: 65,532 records fit.
    constexpr int kRecords = 65'600;
    dm->TBInout->beginBatch();
    for (int i = 0; i < kRecords; ++i)
        post({day(2000, 1, 1) + i / 10, at(8 + i % 10, 0), at(8 + i % 10, 30)});
    dm->TBInout->commitBatch();

    const QString file = path(QStringLiteral("big.xls"));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=xls"),
                   QStringLiteral("--output"), file}),
              kExitRowsLeftOut);
    EXPECT_TRUE(err.startsWith(QStringLiteral("kestrova: The worksheet holds at most 65,536 rows, "
                                              "so 68 records were left out of it.")))
        << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("CSV")));
    EXPECT_GT(QFileInfo(file).size(), 1'000'000);

    // CSV holds them all.
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=csv"),
                   QStringLiteral("--output"), path(QStringLiteral("big.csv"))}),
              kExitOk);
    EXPECT_EQ(lines(path(QStringLiteral("big.csv"))).size(), kRecords + 1);
}

TEST_F(CommandLine, ReportOfTheGroupListingByJobType)
{
    postLog();
    setConfig(QString(), true);
    const QString pdf = path(QStringLiteral("jobs.pdf"));
    ASSERT_EQ(
        run({QStringLiteral("report"), QStringLiteral("--layout"), QStringLiteral("group"),
             QStringLiteral("--order"), QStringLiteral("job"), QStringLiteral("--output"), pdf}),
        kExitOk)
        << err.toStdString();
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    const QString text = pages[0].simplified();
    EXPECT_TRUE(text.contains(QStringLiteral("Logged Time Report Group Listing (Grouped by Job "
                                             "Description - Ordered by Job Description, Client, "
                                             "Date, Time In, Time Out)")));
    // Design: 1 + 1.5 + 1 + 1 hours; Support: 2.25 + 0.75.
    EXPECT_TRUE(text.contains(QStringLiteral("4.5000")));
    EXPECT_TRUE(text.contains(QStringLiteral("3.0000")));
    EXPECT_TRUE(text.contains(QStringLiteral("Total Hours: 7.5000")));
}

TEST_F(CommandLine, ReportOfAnEmptySelectionIsStillAReport)
{
    postLog();
    const QString pdf = path(QStringLiteral("empty.pdf"));
    ASSERT_EQ(run({QStringLiteral("report"), QStringLiteral("--output"), pdf,
                   QStringLiteral("--client"), QStringLiteral("Nobody")}),
              kExitOk);
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].simplified().contains(QStringLiteral("0.0000 Page 1")));
}

TEST_F(CommandLine, ExportAndReportOnlyReadAndCreateNoFileInTheDataFolder)
{
    postLog();
    // While the program runs (its data module is open), its log holds the latest posts.
    const QStringList running = listing();
    ASSERT_TRUE(running.contains(QStringLiteral("Tinout201.DAT-wal")));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=csv"),
                   QStringLiteral("--output"), path(QStringLiteral("running.csv"))}),
              kExitOk)
        << err.toStdString();
    EXPECT_EQ(lines(path(QStringLiteral("running.csv"))).size(), 1 + 6);
    EXPECT_EQ(listing(), running);

    keepOnlyTheTimeLog();
    const QStringList before = listing();
    ASSERT_EQ(before, (QStringList{QStringLiteral("Tinout201.DAT"), QStringLiteral("kvdef.DAT")}));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=csv"),
                   QStringLiteral("--output"), path(QStringLiteral("copy.csv"))}),
              kExitOk)
        << err.toStdString();
    EXPECT_EQ(lines(path(QStringLiteral("copy.csv"))).size(), 1 + 6);
    EXPECT_EQ(run({QStringLiteral("report"), QStringLiteral("--output"),
                   path(QStringLiteral("copy.pdf"))}),
              kExitOk)
        << err.toStdString();
    EXPECT_EQ(pdfPageCount(path(QStringLiteral("copy.pdf"))), 1);
    // No table file, no lock file, no log.
    EXPECT_EQ(listing(), before);

    // Without a configuration the settings are the defaults.
    ASSERT_TRUE(QFile::remove(QDir(m_folder).filePath(QStringLiteral("kvdef.DAT"))));
    EXPECT_EQ(run({QStringLiteral("export"), QStringLiteral("--format=text"),
                   QStringLiteral("--output"), path(QStringLiteral("plain.txt"))}),
              kExitOk)
        << err.toStdString();
    EXPECT_EQ(lines(path(QStringLiteral("plain.txt"))).value(0),
              QStringLiteral("Orvelane Kestrova - Time log"));
    EXPECT_EQ(listing(), QStringList{QStringLiteral("Tinout201.DAT")});
}

TEST_F(CommandLine, AnOutputNameThatIsNotTextIsWrittenByteForByte)
{
    postLog();
    QTemporaryDir outDir;
    const QByteArray folder = QFile::encodeName(outDir.path());
    const NativeCleanup cleanup{folder};
    const QByteArray target = folder + '/' + kNotText;
    // The arguments as text (the bytes turned into replacement characters) and as given.
    const QStringList args = {QStringLiteral("export"), QStringLiteral("--format=csv"),
                              QStringLiteral("--output"), QFile::decodeName(target)};
    const QList<QByteArray> native = {"export", "--format=csv", "--output", target};
    QTextStream o(&out), e(&err);
    const QString data = m_folder;
    ASSERT_EQ(runCommandLine(
                  args, o, e, [data] { return data; }, native),
              kExitOk)
        << err.toStdString();
    EXPECT_EQ(nativeListing(folder), QList<QByteArray>{kNotText});
    EXPECT_EQ(nativeRead(target).count("\r\n"), 1 + 6);

    // --output=NAME, for the report.
    const QByteArray pdf = folder + "/\xfe.pdf";
    ASSERT_EQ(runCommandLine({QStringLiteral("report"), QFile::decodeName("--output=" + pdf)}, o, e,
                             [data] { return data; }, {"report", "--output=" + pdf}),
              kExitOk)
        << err.toStdString();
    EXPECT_TRUE(nativeRead(pdf).startsWith("%PDF"));
    EXPECT_EQ(nativeListing(folder), (QList<QByteArray>{"\xfe.pdf", kNotText}));
}

#ifdef KV_KESTROVA_BIN
/// The program itself, run with its configuration pointing at the fixture's data folder.
class Program : public CommandLine
{
protected:
    void SetUp() override
    {
        CommandLine::SetUp();
        if (!QFileInfo::exists(QStringLiteral(KV_KESTROVA_BIN)))
            GTEST_SKIP() << "the program " << KV_KESTROVA_BIN << " has not been built";
        QDir().mkpath(path(QStringLiteral("config/Kestrova")));
        QFile conf(path(QStringLiteral("config/Kestrova/Kestrova.conf")));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[Kestrovav20]\nInstallDir1=" + m_dir.path().toUtf8() + "\n");
    }

    int runProgram(const QStringList &args)
    {
        QProcess p;
        // Root may write anywhere: a read-only folder is read-only only to another user.
        if (asOthers && ::geteuid() == 0)
            p.setChildProcessModifier([] {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    ::_exit(3);
            });
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CONFIG_DIRS"), path(QStringLiteral("config")));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(KV_KESTROVA_BIN), args);
        if (!p.waitForFinished(60000))
            return -1;
        stdErr = QString::fromUtf8(p.readAllStandardError());
        stdOut = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }

    static void setMode(const QString &file, mode_t mode)
    {
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), mode), 0) << file.toStdString();
    }

    /// Makes the data folder and its files read-only, and what the program reads and writes
    /// besides (its configuration, the output folder) open to another user.
    void lockUpDataFolder()
    {
        setMode(m_dir.path(), 0755);
        setMode(path(QStringLiteral("config")), 0755);
        setMode(path(QStringLiteral("config/Kestrova")), 0755);
        setMode(path(QStringLiteral("config/Kestrova/Kestrova.conf")), 0644);
        QDir().mkpath(path(QStringLiteral("out")));
        setMode(path(QStringLiteral("out")), 0777);
        for (const QString &name : listing())
            setMode(QDir(m_folder).filePath(name), 0444);
        setMode(m_folder, 0555);
        asOthers = true;
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(m_folder).constData(), 0755);
        CommandLine::TearDown();
    }

    bool asOthers = false;
    QString stdErr, stdOut;
};

TEST_F(Program, WritesAnOutputNameThatIsNotTextByteForByte)
{
    postLog();
    QTemporaryDir outDir;
    const QByteArray folder = QFile::encodeName(outDir.path());
    const NativeCleanup cleanup{folder};
    // The shell passes the bytes 0xff 0xfe on; QProcess would pass text.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_CONFIG_DIRS"), path(QStringLiteral("config")));
    env.remove(QStringLiteral("DISPLAY"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("/bin/sh"),
            {QStringLiteral("-c"),
             QStringLiteral("cd \"$1\" && \"$0\" export --format csv --output \"$(printf "
                            "'\\377\\376 report.csv')\" && \"$0\" report "
                            "--output=\"$(printf '\\377.pdf')\""),
             QStringLiteral(KV_KESTROVA_BIN), outDir.path()});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(nativeListing(folder), (QList<QByteArray>{"\xff.pdf", kNotText}));
    EXPECT_EQ(nativeRead(folder + '/' + kNotText).count("\r\n"), 1 + 6);
    EXPECT_TRUE(nativeRead(folder + "/\xff.pdf").startsWith("%PDF"));
}

TEST_F(Program, ExportAndReportWorkOnAReadOnlyDataFolder)
{
    postLog();
    keepOnlyTheTimeLog();
    lockUpDataFolder();
    const QStringList before = listing();

    const QString csv = path(QStringLiteral("out/ro.csv"));
    EXPECT_EQ(runProgram({QStringLiteral("export"), QStringLiteral("--format"),
                          QStringLiteral("csv"), QStringLiteral("--output"), csv}),
              0)
        << stdErr.toStdString();
    EXPECT_EQ(lines(csv).size(), 1 + 6);
    const QString pdf = path(QStringLiteral("out/ro.pdf"));
    EXPECT_EQ(runProgram({QStringLiteral("report"), QStringLiteral("--layout=group"),
                          QStringLiteral("--output"), pdf}),
              0)
        << stdErr.toStdString();
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_TRUE(stdErr.isEmpty()) << stdErr.toStdString();
    EXPECT_EQ(listing(), before);
}

TEST_F(Program, ALogThatCannotBeReadWithoutWriteAccessFailsInsteadOfExportingWithoutIt)
{
    postLog();
    // A log with committed records beside the time log, without its index (a crash, a copy).
    const QString log = QDir(m_folder).filePath(QStringLiteral("Tinout201.DAT-wal"));
    ASSERT_GT(QFileInfo(log).size(), 0);
    ASSERT_TRUE(QFile::copy(log, path(QStringLiteral("saved-wal"))));
    keepOnlyTheTimeLog();
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("saved-wal")), log));
    lockUpDataFolder();
    const QStringList before = listing();

    const QString csv = path(QStringLiteral("out/stale.csv"));
    EXPECT_EQ(runProgram({QStringLiteral("export"), QStringLiteral("--format"),
                          QStringLiteral("csv"), QStringLiteral("--output"), csv}),
              1);
    EXPECT_TRUE(stdErr.contains(QStringLiteral("holds changes that are not in the file yet")))
        << stdErr.toStdString();
    EXPECT_TRUE(stdErr.contains(log)) << stdErr.toStdString();
    EXPECT_FALSE(QFileInfo::exists(csv));
    EXPECT_EQ(listing(), before);
}

TEST_F(Program, RunsTheCommandLineWithoutADisplay)
{
    postLog();
    const QString csv = path(QStringLiteral("p.csv"));
    EXPECT_EQ(runProgram({QStringLiteral("export"), QStringLiteral("--format"),
                          QStringLiteral("csv"), QStringLiteral("--output"), csv}),
              0)
        << stdErr.toStdString();
    EXPECT_EQ(lines(csv).size(), 1 + 6);
    const QString pdf = path(QStringLiteral("p.pdf"));
    EXPECT_EQ(runProgram({QStringLiteral("report"), QStringLiteral("--output"), pdf}), 0)
        << stdErr.toStdString();
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_TRUE(stdErr.isEmpty()) << stdErr.toStdString();

    EXPECT_EQ(runProgram({QStringLiteral("export"), QStringLiteral("--bogus")}), 2);
    EXPECT_TRUE(stdErr.contains(QStringLiteral("Usage:")));
    EXPECT_TRUE(stdOut.isEmpty());
}
#endif

} // namespace
