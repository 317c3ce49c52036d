// The running set on disk: the program killed while clocked in (a helper process on a fake clock,
// killed with SIGKILL at random moments) is asked about at the next start, Yes posts the span up
// to the last heartbeat through the hours rule and No posts nothing; a clean end, a clock-out and
// a switch keep the file in step with the clock.
#include "BillingReference.h"
#include "DataBuilders.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "Main.h"
#include "QtPrinters.h"
#include "RunningSetFile.h"
#include "Startup.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>

using namespace kv;

namespace {

const QDate kMonday(2026, 3, 2);
constexpr int kIncr = 15;
constexpr int kMinimum = 30;

struct Rec
{
    double wDate, timeIn, timeOut, hours;
    QString client, job;
    bool billable;
};

qint64 minuteOf(double timeOfDay)
{
    return std::llround(timeOfDay * 1440.0);
}

/// The minute a clock time of day with seconds is posted as: the nearest one, and at exactly
/// half a minute the even one (the clock's rounding), worked out on whole milliseconds.
qint64 postedMinuteOf(double timeOfDay)
{
    const qint64 ms = std::llround(timeOfDay * 86'400'000.0);
    const qint64 minute = ms / 60'000, rest = ms % 60'000;
    return rest > 30'000 || (rest == 30'000 && minute % 2 == 1) ? minute + 1 : minute;
}

class RunningSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                      QStringLiteral("/Kestrova");
        QDir(m_configDir).removeRecursively();
        QDir().mkpath(m_configDir);
        newDataFolder();
        fakes.clock->set(QDateTime(kMonday, QTime(8, 0)));
    }
    void TearDown() override
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        DMKV = nullptr;
        QDir(m_configDir).removeRecursively();
    }
    /// A fresh data folder with two clients, a job type, the defaults and the billing rules.
    void newDataFolder()
    {
        m_install = std::make_unique<QTemporaryDir>();
        m_data = m_install->path() + QStringLiteral("/Data");
        QDir().mkpath(m_data);
        QFile f(m_configDir + QStringLiteral("/Kestrova.conf"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Kestrovav20]\nInstallDir1=" + m_install->path().toUtf8() + "\n");
        f.close();
        TDMKV dm([this] { return m_data; });
        dm.ensureConfigRecord();
        dm.TBDef->first();
        test::addClient(dm, QStringLiteral("A1"), QStringLiteral("Acme Tools"));
        test::addClient(dm, QStringLiteral("B1"), QStringLiteral("Beta"));
        test::addJob(dm, QStringLiteral("DEV"), QStringLiteral("Development"));
        test::setDef(dm, [&dm] {
            dm.TBDefCustName->setAsString(QStringLiteral("Acme Tools"));
            dm.TBDefJobDes->setAsString(QStringLiteral("Development"));
            dm.TBDefBillingIncr->setAsInteger(kIncr);
            dm.TBDefMinBillTime->setAsInteger(kMinimum);
            dm.TBDefTutorialShow->setAsBoolean(false);
        });
    }
    void start()
    {
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        DMKV = nullptr;
        Startup s;
        s.run();
    }
    RunningSetFile file() const { return RunningSetFile(RunningSetFile::pathFor(m_data)); }
    std::vector<Rec> records()
    {
        std::vector<Rec> out;
        StoreTable &t = *DMKV->TBInout;
        t.refresh();
        for (t.first(); !t.eof(); t.next())
            out.push_back({DMKV->TBInoutWDate->asDateTime(), DMKV->TBInoutTimeIn->asDateTime(),
                           DMKV->TBInoutTimeOut->asDateTime(), DMKV->TBInoutHours->asFloat(),
                           DMKV->TBInoutCustName->asString(), DMKV->TBInoutJobDes->asString(),
                           DMKV->TBInoutBillable->asBoolean()});
        return out;
    }
    int leftOverQuestions() const
    {
        int n = 0;
        for (const QString &t : fakes.messages->texts())
            n += t.startsWith(QStringLiteral("Kestrova was closed while you were clocked in"));
        return n;
    }

    FakeServicesScope fakes;
    std::unique_ptr<QTemporaryDir> m_install;
    QString m_configDir, m_data;
};

TEST_F(RunningSetTest, KilledWhileClockedInAsksAtTheNextStartAndYesPostsUpToTheLastHeartbeat)
{
    QRandomGenerator random(20260302);
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE(round);
        newDataFolder();
        QProcess helper;
        helper.start(QStringLiteral(KV_CRASH_HELPER),
                     {QStringLiteral("2026-03-02T09:00:40"), QString::number(round + 1)});
        ASSERT_TRUE(helper.waitForStarted());
        // Kill at a random moment of the heartbeats, often in the middle of a write.
        QByteArray output;
        (void)QTest::qWaitFor(
            [&] { return (output += helper.readAllStandardOutput()).contains("in "); }, 20000);
        ASSERT_TRUE(output.contains("in ")) << helper.readAllStandardError().constData();
        QThread::msleep(random.bounded(5, 400));
        ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
        helper.waitForFinished();
        output += helper.readAllStandardOutput();
        double lastAnnounced = 0, inValue = 0;
        for (const QByteArray &line : output.split('\n')) {
            if (line.startsWith("beat "))
                lastAnnounced = line.mid(5).toDouble();
            else if (line.startsWith("in "))
                inValue = line.mid(3).toDouble();
        }

        // The file is whole: the last announced heartbeat or the one after it.
        const std::optional<RunningSet> left = file().read();
        ASSERT_TRUE(left.has_value());
        EXPECT_EQ(left->client, QStringLiteral("Acme Tools"));
        EXPECT_DOUBLE_EQ(left->inDateTime, inValue);
        EXPECT_GE(left->lastSeen, lastAnnounced);
        EXPECT_LE(left->lastSeen, std::max(lastAnnounced, inValue) + 600.0 / 86400);
        EXPECT_FALSE(QFile::exists(file().path() + QStringLiteral(".new")) && !file().exists());

        const bool yes = round % 2 == 0;
        fakes.messages->shown.clear();
        fakes.messages->answerNext(yes ? MsgAnswer::Yes : MsgAnswer::No);
        start();
        ASSERT_EQ(leftOverQuestions(), 1);
        EXPECT_EQ(fakes.messages->shown.first().text,
                  QStringLiteral("Kestrova was closed while you were clocked in for Acme Tools "
                                 "(Development) since 9:01 AM. Post the time until %1 as OUT?")
                      .arg(FormatSettings::instance().formatTime(
                          dt::fromMinutes(postedMinuteOf(dt::timePart(left->lastSeen))))));
        EXPECT_FALSE(file().exists());
        EXPECT_FALSE(FMain->IsClockedIn);
        const std::vector<Rec> recs = records();
        if (!yes) {
            EXPECT_TRUE(recs.empty());
            continue;
        }
        ASSERT_EQ(recs.size(), 1u);
        const Rec &r = recs.front();
        EXPECT_EQ(r.wDate, dt::fromDate(kMonday));
        EXPECT_EQ(minuteOf(r.timeIn), 9 * 60 + 1);
        // The heartbeats fall on whole seconds, at times on :30 (a tie). The question names the
        // minute that is posted, not the one the seconds fall in.
        EXPECT_EQ(minuteOf(r.timeOut), postedMinuteOf(dt::timePart(left->lastSeen)));
        const qint64 spanMs = (minuteOf(r.timeOut) - minuteOf(r.timeIn)) * 60000;
        EXPECT_EQ(std::llround(r.hours * 10000), test::referenceBilled(spanMs, kIncr, kMinimum));
        EXPECT_EQ(r.client, QStringLiteral("Acme Tools"));
        EXPECT_EQ(r.job, QStringLiteral("Development"));

        // A clean end after the answer never asks again.
        FMain->close();
        fakes.messages->shown.clear();
        start();
        EXPECT_EQ(leftOverQuestions(), 0);
    }
}

TEST_F(RunningSetTest, FileFollowsClockInSwitchAndClockOutAndACleanEndNeverAsks)
{
    start();
    EXPECT_FALSE(file().exists());
    fakes.clock->set(QDateTime(kMonday, QTime(9, 5)));
    QTest::mouseClick(FMain->bbOut, Qt::LeftButton);
    ASSERT_TRUE(FMain->IsClockedIn);
    std::optional<RunningSet> set = file().read();
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(set->client, QStringLiteral("Acme Tools"));
    EXPECT_EQ(minuteOf(dt::timePart(set->inDateTime)), 9 * 60 + 5);

    // The heartbeat moves only the last-seen time.
    fakes.clock->set(QDateTime(kMonday, QTime(9, 50)));
    FMain->runningSet().heartbeat();
    set = file().read();
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(minuteOf(dt::timePart(set->lastSeen)), 9 * 60 + 50);
    EXPECT_EQ(minuteOf(dt::timePart(set->inDateTime)), 9 * 60 + 5);

    // A switch of client starts a new set: the file has the new client and in time.
    DMKV->TBDef->first();
    DMKV->TBDef->edit();
    DMKV->TBDefAutoLogClient->setAsBoolean(true);
    DMKV->TBDef->post();
    fakes.clock->set(QDateTime(kMonday, QTime(10, 0)));
    FMain->DBCCust->setText(QStringLiteral("Beta"));
    FMain->DBCCustCloseUp();
    set = file().read();
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(set->client, QStringLiteral("Beta"));
    EXPECT_EQ(minuteOf(dt::timePart(set->inDateTime)), 10 * 60);

    // Clocking out removes it while the program runs on.
    fakes.clock->set(QDateTime(kMonday, QTime(11, 0)));
    QTest::mouseClick(FMain->bbOut, Qt::LeftButton);
    EXPECT_FALSE(FMain->IsClockedIn);
    EXPECT_FALSE(file().exists());

    // Closing while running, answered No or Yes: gone either way, and no question next time.
    for (MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
        QTest::mouseClick(FMain->bbOut, Qt::LeftButton);
        ASSERT_TRUE(file().exists());
        fakes.messages->answerNext(answer);
        FMain->close();
        EXPECT_FALSE(file().exists());
        fakes.messages->shown.clear();
        start();
        EXPECT_EQ(leftOverQuestions(), 0);
    }
}

TEST_F(RunningSetTest, RefusedPostKeepsTheFileForTheNextStartAndUnreadableFilesAreIgnored)
{
    // The set's record exists already: the store refuses the duplicate and the set stays on disk.
    {
        TDMKV dm([this] { return m_data; });
        dm.TBInout->open();
        dm.TBInout->insert();
        dm.TBInoutWDate->setAsDateTime(dt::fromDate(kMonday));
        dm.TBInoutTimeIn->setAsDateTime(dt::fromTime(QTime(9, 0)));
        dm.TBInoutTimeOut->setAsDateTime(dt::fromTime(QTime(10, 0)));
        dm.TBInoutCustName->setAsString(QStringLiteral("Acme Tools"));
        dm.TBInoutJobDes->setAsString(QStringLiteral("Development"));
        dm.TBInout->post();
    }
    RunningSet bad;
    bad.client = QStringLiteral("Acme Tools");
    bad.job = QStringLiteral("Development");
    bad.inDateTime = dt::fromDate(kMonday) + dt::fromTime(QTime(9, 0));
    bad.wDate = dt::fromDate(kMonday);
    bad.timeIn = dt::fromTime(QTime(9, 0));
    bad.lastSeen = bad.inDateTime + 1.0 / 24;
    file().write(bad);
    fakes.messages->answerNext(MsgAnswer::Yes);
    start();
    EXPECT_EQ(leftOverQuestions(), 1);
    EXPECT_TRUE(file().exists());
    EXPECT_EQ(records().size(), 1u);
    EXPECT_EQ(fakes.messages->shown.size(), 2); // the question, then the store's refusal

    QFile f(file().path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("{\"client\":");
    f.close();
    fakes.messages->shown.clear();
    start();
    EXPECT_EQ(leftOverQuestions(), 0);
}

TEST_F(RunningSetTest, AFileThatCannotBeWrittenIsToldOnceAndTriedAgainAtEveryHeartbeat)
{
    start();
    // Its folder is taken by a plain file, so the state file cannot be made (by root neither).
    const QString folder = m_install->path() + QStringLiteral("/settings");
    const auto block = [&] {
        QDir(folder).removeRecursively();
        QFile f(folder);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    block();
    const QString path = folder + QStringLiteral("/running-set.json");
    FMain->runningSet().setFile(path);
    fakes.messages->shown.clear();

    fakes.clock->set(QDateTime(kMonday, QTime(9, 5)));
    QTest::mouseClick(FMain->bbOut, Qt::LeftButton);
    EXPECT_TRUE(FMain->IsClockedIn); // the clock runs on
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    const FakeMessages::Shown &told = fakes.messages->shown.first();
    EXPECT_EQ(told.kind, MsgKind::Warning);
    EXPECT_TRUE(told.text.startsWith(
        QStringLiteral("Kestrova cannot save the running clock to the file %1: %2.")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(ENOTDIR)))))
        << told.text.toStdString();
    EXPECT_TRUE(told.text.contains(QStringLiteral("tries again every minute")));

    // The heartbeats try again without another box.
    FMain->runningSet().heartbeat();
    FMain->runningSet().heartbeat();
    EXPECT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_FALSE(RunningSetFile(path).exists());

    // Once the folder can hold it, the next heartbeat writes the set.
    ASSERT_TRUE(QFile::remove(folder));
    fakes.clock->set(QDateTime(kMonday, QTime(9, 10)));
    FMain->runningSet().heartbeat();
    const std::optional<RunningSet> set = RunningSetFile(path).read();
    ASSERT_TRUE(set.has_value());
    EXPECT_EQ(minuteOf(dt::timePart(set->inDateTime)), 9 * 60 + 5);
    EXPECT_EQ(minuteOf(dt::timePart(set->lastSeen)), 9 * 60 + 10);
    EXPECT_EQ(fakes.messages->shown.size(), 1);

    // A failure after a write that worked is told again.
    block();
    FMain->runningSet().heartbeat();
    EXPECT_EQ(fakes.messages->shown.size(), 2);
    QDir(folder).removeRecursively();
    QFile::remove(folder);
}

TEST_F(RunningSetTest, AChangeOfTheBillableBoxWhileClockedInReachesTheFileAtOnce)
{
    start();
    // Idle: the box is only a choice for the next set; nothing is written.
    QTest::mouseClick(FMain->cbBillable, Qt::LeftButton);
    EXPECT_FALSE(FMain->cbBillable->isChecked());
    EXPECT_FALSE(file().exists());
    QTest::mouseClick(FMain->cbBillable, Qt::LeftButton);
    ASSERT_TRUE(FMain->cbBillable->isChecked());

    fakes.clock->set(QDateTime(kMonday, QTime(9, 5)));
    QTest::mouseClick(FMain->bbOut, Qt::LeftButton);
    ASSERT_TRUE(FMain->IsClockedIn);
    ASSERT_TRUE(file().read().has_value());
    EXPECT_TRUE(file().read()->billable);

    // No heartbeat in between: the file follows each click.
    fakes.clock->set(QDateTime(kMonday, QTime(9, 7)));
    QTest::mouseClick(FMain->cbBillable, Qt::LeftButton);
    ASSERT_FALSE(FMain->cbBillable->isChecked());
    std::optional<RunningSet> set = file().read();
    ASSERT_TRUE(set.has_value());
    EXPECT_FALSE(set->billable);
    EXPECT_EQ(minuteOf(dt::timePart(set->inDateTime)), 9 * 60 + 5);
    EXPECT_EQ(minuteOf(dt::timePart(set->lastSeen)), 9 * 60 + 7);
    QTest::mouseClick(FMain->cbBillable, Qt::LeftButton);
    set = file().read();
    ASSERT_TRUE(set.has_value());
    EXPECT_TRUE(set->billable);

    // A crash now posts with the box's last state.
    QTest::mouseClick(FMain->cbBillable, Qt::LeftButton);
    FMain->runningSet().setFile(QString()); // the killed program ends without a word
    delete FMain;
    FMain = nullptr;
    delete DMKV;
    DMKV = nullptr;
    fakes.messages->answerNext(MsgAnswer::Yes);
    start();
    EXPECT_EQ(leftOverQuestions(), 1);
    const std::vector<Rec> posted = records();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_FALSE(posted[0].billable);
}

} // namespace
