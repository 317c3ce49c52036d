// `kestrova clock` against a running main window over a socket in a temporary runtime folder:
// in, out with a task, switch, status as text and JSON, the refusals and the exit codes, and
// exit 3 when nothing listens.
#include "ClockServer.h"
#include "ClockCommand.h"
#include "DataBuilders.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "KVDM.h"
#include "LookupCombo.h"
#include "Main.h"
#include "QtPrinters.h"
#include "SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kv;

namespace {

const QDate kMonday(2026, 3, 2);

class ClockServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + QStringLiteral("/Data");
        QDir().mkpath(m_folder);
        DMKV = new TDMKV([this] { return m_folder; });
        DMKV->ensureConfigRecord();
        DMKV->TBDef->first();
        test::addClient(*DMKV, QStringLiteral("A1"), QStringLiteral("Acme Tools"));
        test::addClient(*DMKV, QStringLiteral("B1"), QStringLiteral("Beta"));
        test::addJob(*DMKV, QStringLiteral("DEV"), QStringLiteral("Development"));
        test::addJob(*DMKV, QStringLiteral("SUP"), QStringLiteral("Support"));
        test::setDef(*DMKV, [] {
            DMKV->TBDefBillingIncr->setAsInteger(15);
            DMKV->TBDefGetTask->setAsBoolean(true);
            DMKV->TBDefAutoLogClient->setAsBoolean(true);
        });
        fakes.clock->set(QDateTime(kMonday, QTime(9, 5)));
        FMain = new TFMain;
        FMain->applyConfiguration();
        m_socket = m_dir.path() + QStringLiteral("/kestrova.sock");
        server = std::make_unique<ClockServer>(FMain);
        ASSERT_TRUE(server->listen(m_socket));
    }
    void TearDown() override
    {
        server.reset();
        delete FMain;
        FMain = nullptr;
        delete DMKV;
        DMKV = nullptr;
    }
    /// Runs `kestrova clock ARGS` in a thread of its own, as another process would, while this
    /// thread's event loop serves the socket.
    int clock(const QStringList &args, const QString &socket = QString())
    {
        out.clear();
        err.clear();
        int rc = -1;
        bool done = false;
        const QString path = socket.isEmpty() ? m_socket : socket;
        std::thread client([&] {
            QString o, e;
            QTextStream os(&o), es(&e);
            rc = runClockCommand(args, path, os, es);
            out = o;
            err = e;
            done = true;
        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        client.join();
        return rc;
    }
    int records()
    {
        DMKV->TBInout->refresh();
        int n = 0;
        for (DMKV->TBInout->first(); !DMKV->TBInout->eof(); DMKV->TBInout->next())
            ++n;
        return n;
    }

    FakeServicesScope fakes;
    QTemporaryDir m_dir;
    QString m_folder, m_socket;
    std::unique_ptr<ClockServer> server;
    QString out, err;
};

TEST_F(ClockServerTest, InStatusSwitchAndOutDriveTheWindowsClock)
{
    EXPECT_EQ(clock({QStringLiteral("status")}), 0);
    EXPECT_EQ(out, QStringLiteral("idle\n"));

    // No client chosen in the window: refused with the window's own message.
    EXPECT_EQ(clock({QStringLiteral("in")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("You must select a client"))) << err.toStdString();
    EXPECT_FALSE(FMain->IsClockedIn);
    EXPECT_TRUE(fakes.messages->shown.isEmpty()); // no box popped up in the window

    EXPECT_EQ(clock({QStringLiteral("in"), QStringLiteral("--client"), QStringLiteral("Nobody"),
                     QStringLiteral("--job"), QStringLiteral("Development")}),
              2);
    EXPECT_EQ(clock({QStringLiteral("in"), QStringLiteral("--client"), QStringLiteral("Acme Tools"),
                     QStringLiteral("--job"), QStringLiteral("Development")}),
              0)
        << err.toStdString();
    EXPECT_TRUE(FMain->IsClockedIn);
    EXPECT_EQ(FMain->DBCCust->text(), QStringLiteral("Acme Tools"));

    fakes.clock->set(QDateTime(kMonday, QTime(10, 30)));
    EXPECT_EQ(clock({QStringLiteral("status")}), 0);
    EXPECT_EQ(out, QStringLiteral(
                       "clocked in since 9:05 AM for Acme Tools (Development), 1:25 so far\n"));
    EXPECT_EQ(clock({QStringLiteral("status"), QStringLiteral("--json")}), 0);
    const QJsonObject status = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_TRUE(status.value(QStringLiteral("clockedIn")).toBool());
    EXPECT_EQ(status.value(QStringLiteral("client")).toString(), QStringLiteral("Acme Tools"));
    EXPECT_EQ(status.value(QStringLiteral("minutes")).toInt(), 85);

    // A switch of client posts the first set and starts the next (auto-log for clients is on).
    EXPECT_EQ(clock({QStringLiteral("switch"), QStringLiteral("--client"), QStringLiteral("Beta")}),
              0);
    EXPECT_EQ(records(), 1);
    EXPECT_EQ(FMain->clock().LogCustName, QStringLiteral("Beta"));
    EXPECT_EQ(clock({QStringLiteral("in")}), 1); // already running

    // Out with a task: no prompt, the text goes into the record.
    fakes.clock->set(QDateTime(kMonday, QTime(11, 0)));
    EXPECT_EQ(clock({QStringLiteral("out"), QStringLiteral("--task"), QStringLiteral("Review")}),
              0);
    EXPECT_FALSE(FMain->IsClockedIn);
    EXPECT_EQ(records(), 2);
    DMKV->TBInout->first();
    bool found = false;
    for (; !DMKV->TBInout->eof(); DMKV->TBInout->next())
        found |= DMKV->TBInoutCustName->asString() == QStringLiteral("Beta") &&
                 DMKV->TBInoutTaskDes->asString() == QStringLiteral("Review");
    EXPECT_TRUE(found);
    EXPECT_EQ(clock({QStringLiteral("out")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("not clocked in")));
}

TEST_F(ClockServerTest, BadArgumentsExit2AndNoProgramExits3)
{
    for (const QStringList &bad :
         {QStringList{}, QStringList{QStringLiteral("start")},
          QStringList{QStringLiteral("in"), QStringLiteral("--client"), QStringLiteral("Beta")},
          QStringList{QStringLiteral("switch")},
          QStringList{QStringLiteral("switch"), QStringLiteral("--client"), QStringLiteral("Beta"),
                      QStringLiteral("--job"), QStringLiteral("Support")},
          QStringList{QStringLiteral("out"), QStringLiteral("--task")},
          QStringList{QStringLiteral("status"), QStringLiteral("--xml")}}) {
        SCOPED_TRACE(bad.join(u' ').toStdString());
        EXPECT_EQ(clock(bad), 2);
        EXPECT_TRUE(err.contains(QStringLiteral("Usage:")));
    }
    EXPECT_EQ(clock({QStringLiteral("status")}, m_dir.path() + QStringLiteral("/none.sock")), 3);
    EXPECT_EQ(err, QStringLiteral("Kestrova is not running\n"));

    // A second program on the same socket is refused while the first answers.
    ClockServer second(FMain);
    EXPECT_FALSE(second.listen(m_socket));
}

TEST(InstanceLockTest, OneHolderPerDataFolderAndTheLockDiesWithItsProcess)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("run/kestrova-a.lock"));
    const QString b = dir.filePath(QStringLiteral("run/kestrova-b.lock"));
    {
        InstanceLock first(a);
        ASSERT_TRUE(first.tryLock()); // the runtime folder is made when missing
        InstanceLock second(a);
        EXPECT_FALSE(second.tryLock());
        InstanceLock otherFolder(b); // another data folder runs beside it
        EXPECT_TRUE(otherFolder.tryLock());
    }
    EXPECT_TRUE(InstanceLock(a).tryLock()); // the first one's end released it

    // A holder killed with SIGKILL leaves no lock behind.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        InstanceLock held(a);
        const char c = held.tryLock() ? '1' : '0';
        (void)!::write(ready[1], &c, 1);
        for (;;)
            ::pause();
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, '1');
    EXPECT_FALSE(InstanceLock(a).tryLock());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(InstanceLock(a).tryLock());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(StartingClockServerTest, AnswersALaterStartBeforeTheWindowExistsAndRefusesTheClock)
{
    FakeServicesScope fakes;
    QTemporaryDir dir;
    const QString socket = dir.filePath(QStringLiteral("kestrova.sock"));
    ClockServer server; // no main window yet: the start-up still runs

    EXPECT_EQ(server.handle({{QStringLiteral("cmd"), QStringLiteral("status")}})
                  .value(QStringLiteral("code"))
                  .toInt(),
              1);
    EXPECT_TRUE(server.handle({{QStringLiteral("cmd"), QStringLiteral("in")}})
                    .value(QStringLiteral("text"))
                    .toString()
                    .contains(QStringLiteral("still starting")));

    // Nobody listens: a later start gives up after its wait.
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(showRunningInstance(socket, 300, 50));
    EXPECT_GE(waited.elapsed(), 300);

    // The first program listens only a moment after the later start began asking: found.
    bool shown = false, done = false;
    std::thread later([&] {
        shown = showRunningInstance(socket, 5000, 50);
        done = true;
    });
    QTimer::singleShot(400, &server, [&] { ASSERT_TRUE(server.listen(socket)); });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    later.join();
    EXPECT_TRUE(shown);
}

} // namespace
