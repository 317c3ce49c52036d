// The punch clock without a window: clocking in and out in its four ways each, the validation
// messages, the tray hint, the task prompt, failed posts, and switching client or job type.
#include "PunchClock.h"
#include "BillingReference.h"
#include "DateTime.h"
#include "FakeServices.h"
#include "QtPrinters.h"
#include "StoreError.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct Posted
{
    double wDate, timeIn, timeOut, hours;
    QString client, job, task;
};

/// Selectors, settings and a time log in memory.
class FakeHost : public PunchClockHost
{
public:
    QString clientText() const override { return client; }
    QString jobText() const override { return job; }
    ClockSettings settings() const override { return s; }
    QString askTaskDescription() override
    {
        ++taskPrompts;
        events << QStringLiteral("task");
        return taskAnswer;
    }
    void PostTimeRec() override { post(client, job); }
    void PostCliRec() override { post(clock->LogCustName, clock->LogJobDes); }
    void showWindow() override { events << QStringLiteral("show"); }
    void clockChanged() override { ++changes; }

    void post(const QString &c, const QString &j)
    {
        if (failAtPost == int(posted.size()) + 1) {
            failAtPost = 0;
            throw StoreError(
                QStringLiteral("Record in data file Tinout201.DAT is in use by another user"));
        }
        posted.push_back({clock->RecWDate, clock->RecTimeIn, clock->RecTimeOut, clock->RecHours, c,
                          j, clock->RecTaskDes});
    }

    PunchClock *clock = nullptr;
    QString client = QStringLiteral("Acme");
    QString job = QStringLiteral("Design");
    ClockSettings s{false, false, false, {15, 0}};
    QString taskAnswer;
    int taskPrompts = 0;
    int changes = 0;
    int failAtPost = 0; ///< 1-based number of the post that fails; 0 = none
    QStringList events;
    std::vector<Posted> posted;
};

const QDate kMonday(2026, 3, 2);

class PunchClockTest : public ::testing::Test
{
protected:
    PunchClockTest() : clock(host) { host.clock = &clock; }

    void setNow(const QDate &d, int h, int m, int s = 0)
    {
        fakes.clock->set(QDateTime(d, QTime(h, m, s)));
    }
    void setNow(int h, int m, int s = 0) { setNow(kMonday, h, m, s); }
    static double day(const QDate &d) { return dt::fromDate(d); }
    static double at(int h, int m, int s = 0) { return dt::fromTime(QTime(h, m, s)); }

    FakeServicesScope fakes;
    FakeHost host;
    PunchClock clock;
};

TEST_F(PunchClockTest, ButtonAndMenuStartOnTheRoundedMinuteTrayAndStartUpKeepSeconds)
{
    setNow(10, 0, 40);
    clock.bbOutClick();
    EXPECT_TRUE(clock.IsClockedIn);
    EXPECT_EQ(clock.InTimeText, QStringLiteral("10:01 AM"));
    EXPECT_NEAR(clock.InDateTime, day(kMonday) + at(10, 1), 1e-9);
    EXPECT_EQ(clock.TrayHint, QStringLiteral("Clocked in @ 10:01 AM for Acme"));
    EXPECT_EQ(clock.LogCustName, QStringLiteral("Acme"));
    EXPECT_EQ(clock.LogJobDes, QStringLiteral("Design"));

    PunchClock viaMenu(host);
    viaMenu.bbInClick();
    EXPECT_NEAR(viaMenu.RecTimeIn, at(10, 1), 1e-9);

    PunchClock viaTray(host);
    viaTray.trayLeftClick();
    EXPECT_EQ(viaTray.InTimeText, QStringLiteral("10:00 AM")); // seconds cut, not rounded
    EXPECT_NEAR(viaTray.InDateTime, day(kMonday) + at(10, 0, 40), 1e-9);

    PunchClock atStart(host);
    atStart.InOnStart();
    EXPECT_NEAR(atStart.RecTimeIn, at(10, 0, 40), 1e-9);
    EXPECT_TRUE(fakes.messages->shown.isEmpty());
}

TEST_F(PunchClockTest, EmptySelectorsAreRefusedWithTheirMessagesExceptAtStartUp)
{
    host.client.clear();
    clock.bbOutClick();
    EXPECT_FALSE(clock.IsClockedIn);
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Error);
    EXPECT_EQ(fakes.messages->shown[0].text,
              QStringLiteral("Kestrova: You must select a client from the drop-down list."));

    host.client = QStringLiteral("Acme");
    host.job.clear();
    clock.bbInClick();
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Kestrova: You must select a Job Type from the drop-down list."));

    // The tray shows the window first, then explains.
    fakes.messages->onShow = [&](const FakeMessages::Shown &) {
        host.events << QStringLiteral("box");
    };
    clock.trayLeftClick();
    EXPECT_EQ(host.events, (QStringList{QStringLiteral("show"), QStringLiteral("box")}));

    const int boxes = fakes.messages->shown.size();
    clock.InOnStart();
    EXPECT_EQ(fakes.messages->shown.size(), boxes);
    EXPECT_FALSE(clock.IsClockedIn);
}

TEST_F(PunchClockTest, ClockOutPostsTheSetAndReturnsToIdle)
{
    setNow(9, 0);
    clock.bbOutClick();
    setNow(17, 20, 10);
    host.client = QStringLiteral("Other"); // the selectors at the clock-out count
    clock.bbOutClick();
    EXPECT_FALSE(clock.IsClockedIn);
    EXPECT_EQ(clock.TrayHint, QStringLiteral("Click to start Kestrova timer"));
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_DOUBLE_EQ(host.posted[0].wDate, day(kMonday));
    EXPECT_NEAR(host.posted[0].timeIn, at(9, 0), 1e-9);
    EXPECT_NEAR(dt::timePart(host.posted[0].timeOut), at(17, 20), 1e-9);
    EXPECT_DOUBLE_EQ(host.posted[0].hours, 8.25);
    EXPECT_EQ(host.posted[0].client, QStringLiteral("Other"));
    EXPECT_TRUE(host.posted[0].task.isEmpty());
}

TEST_F(PunchClockTest, RoundedUpInTimeAndOutSecondsLaterPostsNothing)
{
    setNow(10, 0, 40);
    clock.bbOutClick();
    setNow(10, 0, 50);
    clock.bbOutClick();
    EXPECT_TRUE(host.posted.empty());
    EXPECT_FALSE(clock.IsClockedIn);
}

TEST_F(PunchClockTest, InTimeRoundedToMidnightStartsTheSetOnTheNextDay)
{
    setNow(23, 59, 29);
    clock.bbOutClick();
    EXPECT_EQ(clock.InTimeText, QStringLiteral("11:59 PM"));
    EXPECT_DOUBLE_EQ(clock.RecWDate, day(kMonday));
    clock.EnableIn();

    setNow(23, 59, 45);
    clock.bbOutClick();
    EXPECT_EQ(clock.InTimeText, QStringLiteral("12:00 AM"));
    EXPECT_DOUBLE_EQ(clock.InDateTime, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(clock.RecWDate, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(clock.RecTimeIn, 0.0);

    setNow(kMonday.addDays(1), 8, 0);
    clock.bbOutClick();
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_DOUBLE_EQ(host.posted[0].wDate, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(host.posted[0].hours, 8.0);
}

TEST_F(PunchClockTest, TrayClickWhileRunningAsksBeforeClockingOut)
{
    setNow(9, 0);
    clock.trayLeftClick();
    setNow(10, 0);
    fakes.messages->answerNext(MsgAnswer::No);
    clock.trayLeftClick();
    EXPECT_TRUE(clock.IsClockedIn);
    ASSERT_EQ(fakes.messages->shown.size(), 1);
    EXPECT_EQ(fakes.messages->shown[0].kind, MsgKind::Confirmation);
    EXPECT_EQ(fakes.messages->shown[0].text, QStringLiteral("Kestrova: Clock out?"));

    fakes.messages->answerNext(MsgAnswer::Yes);
    clock.trayLeftClick();
    EXPECT_FALSE(clock.IsClockedIn);
    EXPECT_EQ(host.posted.size(), 1u);
}

TEST_F(PunchClockTest, TaskPromptComesFirstAndEvenWhenNoRecordResults)
{
    host.s.GetTask = true;
    host.taskAnswer = QStringLiteral("Line one\nLine two");
    setNow(kMonday, 22, 0);
    clock.bbOutClick();
    setNow(kMonday.addDays(2), 1, 0);
    clock.bbOutClick();
    EXPECT_EQ(host.taskPrompts, 1);
    ASSERT_EQ(host.posted.size(), 3u);
    for (const Posted &p : host.posted)
        EXPECT_EQ(p.task, QStringLiteral("Line one\nLine two"));

    // Out earlier than in (the system clock was set back): asked, nothing posted, idle.
    setNow(kMonday.addDays(2), 9, 0);
    clock.bbOutClick();
    setNow(kMonday.addDays(2), 8, 0);
    clock.bbOutClick();
    EXPECT_EQ(host.taskPrompts, 2);
    EXPECT_EQ(host.posted.size(), 3u);
    EXPECT_FALSE(clock.IsClockedIn);
}

TEST_F(PunchClockTest, FailedPostKeepsTheClockRunningAndARetryBooksOnlyTheRest)
{
    setNow(kMonday, 10, 0);
    clock.bbOutClick();
    setNow(kMonday.addDays(2), 11, 0);
    host.failAtPost = 2;
    EXPECT_THROW(clock.bbOutClick(), StoreError);
    EXPECT_TRUE(clock.IsClockedIn);
    EXPECT_NE(clock.TrayHint, PunchClock::idleHint());
    ASSERT_EQ(host.posted.size(), 1u); // Monday stays posted
    // The set now starts where the unposted records do.
    EXPECT_DOUBLE_EQ(clock.InDateTime, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(clock.RecWDate, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(clock.RecTimeIn, 0.0);

    clock.bbOutClick();
    EXPECT_FALSE(clock.IsClockedIn);
    ASSERT_EQ(host.posted.size(), 3u);
    EXPECT_DOUBLE_EQ(host.posted[1].wDate, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(host.posted[2].wDate, day(kMonday.addDays(2)));
    EXPECT_DOUBLE_EQ(host.posted[2].hours, 11.0);
}

TEST_F(PunchClockTest, CloseQueryAsksOnlyWhileRunningAndPostsOnYes)
{
    EXPECT_TRUE(clock.closeQuery());
    EXPECT_TRUE(fakes.messages->shown.isEmpty());

    setNow(9, 0);
    clock.bbOutClick();
    setNow(11, 0);
    fakes.messages->answerNext(MsgAnswer::No);
    EXPECT_TRUE(clock.closeQuery());
    EXPECT_TRUE(host.posted.empty());
    EXPECT_EQ(fakes.messages->lastText(),
              QStringLiteral("Kestrova: You have an Open Time set.\r\nDo you want to post the "
                             "current time as OUT?"));

    fakes.messages->answerNext(MsgAnswer::Yes);
    EXPECT_TRUE(clock.closeQuery());
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_DOUBLE_EQ(host.posted[0].hours, 2.0);
}

// ---- switching while clocked in ----

class SwitchTest : public PunchClockTest
{
protected:
    void startAt9()
    {
        setNow(9, 0);
        clock.bbOutClick();
    }
};

TEST_F(SwitchTest, AutoLogClientOnlySwitchesAtOnceOnAnotherClient)
{
    host.s.AutoLogClient = true;
    host.s.GetTask = true;
    startAt9();
    setNow(11, 0);
    host.client = QStringLiteral("Beta");
    clock.clientCloseUp();
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0].client, QStringLiteral("Acme"));
    EXPECT_EQ(host.posted[0].job, QStringLiteral("Design"));
    EXPECT_DOUBLE_EQ(host.posted[0].hours, 2.0);
    EXPECT_TRUE(host.posted[0].task.isEmpty());
    EXPECT_EQ(host.taskPrompts, 0);
    EXPECT_EQ(clock.LogCustName, QStringLiteral("Beta"));
    EXPECT_EQ(clock.InTimeText, QStringLiteral("11:00 AM"));
    EXPECT_EQ(clock.TrayHint, QStringLiteral("Clocked in @ 11:00 AM for Beta"));
    EXPECT_TRUE(clock.IsClockedIn);

    // The same client again, or an emptied selector: nothing.
    setNow(12, 0);
    clock.clientCloseUp();
    host.client.clear();
    clock.clientCloseUp();
    EXPECT_EQ(host.posted.size(), 1u);

    // The job type is not watched with this option; a later client switch books the recorded one.
    host.client = QStringLiteral("Beta");
    host.job = QStringLiteral("Support");
    clock.jobCloseUp();
    EXPECT_EQ(host.posted.size(), 1u);
    host.client = QStringLiteral("Gamma");
    clock.clientCloseUp();
    ASSERT_EQ(host.posted.size(), 2u);
    EXPECT_EQ(host.posted[1].client, QStringLiteral("Beta"));
    EXPECT_EQ(host.posted[1].job, QStringLiteral("Design"));
}

TEST_F(SwitchTest, AutoLogJobOnlySwitchesOnAnotherJobType)
{
    host.s.AutoLogJob = true;
    startAt9();
    setNow(10, 30);
    host.client = QStringLiteral("Beta");
    clock.clientCloseUp();
    EXPECT_TRUE(host.posted.empty());
    host.job = QStringLiteral("Support");
    clock.jobCloseUp();
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0].client, QStringLiteral("Acme"));
    EXPECT_EQ(host.posted[0].job, QStringLiteral("Design"));
    EXPECT_EQ(clock.LogJobDes, QStringLiteral("Support"));
    EXPECT_EQ(clock.LogCustName, QStringLiteral("Acme"));
}

TEST_F(SwitchTest, BothOptionsWaitForLog)
{
    host.s.AutoLogClient = host.s.AutoLogJob = true;
    startAt9();
    setNow(10, 0);
    host.client = QStringLiteral("Beta");
    clock.clientCloseUp();
    EXPECT_TRUE(clock.LogPending);
    EXPECT_TRUE(host.posted.empty());
    host.job = QStringLiteral("Support");
    clock.jobCloseUp();
    setNow(10, 15);
    clock.autoLogClick();
    ASSERT_EQ(host.posted.size(), 1u);
    EXPECT_EQ(host.posted[0].client, QStringLiteral("Acme"));
    EXPECT_EQ(host.posted[0].job, QStringLiteral("Design"));
    EXPECT_DOUBLE_EQ(host.posted[0].hours, 1.25);
    EXPECT_FALSE(clock.LogPending);
    EXPECT_EQ(clock.LogCustName, QStringLiteral("Beta"));
    EXPECT_EQ(clock.LogJobDes, QStringLiteral("Support"));
    EXPECT_EQ(clock.InTimeText, QStringLiteral("10:15 AM"));

    // A pending change is forgotten at the clock-out, which books to the selectors.
    host.client = QStringLiteral("Gamma");
    clock.clientCloseUp();
    EXPECT_TRUE(clock.LogPending);
    setNow(11, 15);
    clock.bbOutClick();
    EXPECT_FALSE(clock.LogPending);
    EXPECT_EQ(host.posted.back().client, QStringLiteral("Gamma"));
}

TEST_F(SwitchTest, NoOptionOrIdleClockSwitchesNothing)
{
    startAt9();
    host.client = QStringLiteral("Beta");
    clock.clientCloseUp();
    clock.jobCloseUp();
    clock.autoLogClick();
    EXPECT_TRUE(host.posted.empty());
    EXPECT_FALSE(clock.LogPending);

    clock.EnableIn();
    host.s.AutoLogClient = host.s.AutoLogJob = true;
    clock.clientCloseUp();
    clock.autoLogClick();
    EXPECT_TRUE(host.posted.empty());
    EXPECT_FALSE(clock.LogPending);
}

TEST_F(SwitchTest, ASwitchAfterMidnightBooksBothDays)
{
    host.s.AutoLogClient = true;
    setNow(kMonday, 23, 0);
    clock.bbOutClick();
    setNow(kMonday.addDays(1), 0, 30);
    host.client = QStringLiteral("Beta");
    clock.clientCloseUp();
    ASSERT_EQ(host.posted.size(), 2u);
    EXPECT_DOUBLE_EQ(host.posted[0].wDate, day(kMonday));
    EXPECT_DOUBLE_EQ(host.posted[0].hours, 1.0);
    EXPECT_DOUBLE_EQ(host.posted[1].wDate, day(kMonday.addDays(1)));
    EXPECT_DOUBLE_EQ(host.posted[1].hours, 0.5);
    EXPECT_DOUBLE_EQ(clock.InDateTime, day(kMonday.addDays(1)) + at(0, 30));
}

TEST_F(SwitchTest, FailedSwitchKeepsTheOldSet)
{
    host.s.AutoLogClient = true;
    startAt9();
    setNow(11, 0);
    host.client = QStringLiteral("Beta");
    host.failAtPost = 1;
    EXPECT_THROW(clock.clientCloseUp(), StoreError);
    EXPECT_EQ(clock.LogCustName, QStringLiteral("Acme"));
    EXPECT_DOUBLE_EQ(clock.InDateTime, day(kMonday) + at(9, 0));
    EXPECT_EQ(clock.InTimeText, QStringLiteral("9:00 AM"));
}

// A day of switches from a tray clock-in with seconds: each switch books the span from the
// running set's start (the minute-rounded time of the last switch) to the unrounded now, and
// the hours match the reference at and around the ties of every increment.
TEST_F(SwitchTest, SwitchedSpansBillExactlyAtAndAroundTies)
{
    using kv::test::i64;
    host.s.AutoLogClient = true;
    const QDateTime midnight(kMonday, QTime(0, 0));
    for (int incr : {1, 6, 7, 10, 30, 45, 60}) {
        for (int minimum : {0, 30}) {
            host.s.billing = {incr, minimum};
            host.posted.clear();
            i64 nowMs = 6 * 3'600'000LL + 17'250; // 06:00:17.250, kept by a tray clock-in
            fakes.clock->set(midnight.addMSecs(nowMs));
            clock.trayLeftClick();
            ASSERT_TRUE(clock.IsClockedIn);
            i64 inMs = nowMs;
            const i64 incrMs = incr * 60'000LL;
            for (int k = 0; k < 12; ++k) {
                // tie - 1, tie, tie + 1 at half an increment and at one and a half
                const i64 spanMs = incrMs / 2 + ((k / 3) % 2) * incrMs + (k % 3 - 1);
                nowMs = inMs + spanMs;
                fakes.clock->set(midnight.addMSecs(nowMs));
                host.client = (k % 2 == 0) ? QStringLiteral("Beta") : QStringLiteral("Acme");
                clock.clientCloseUp();
                ASSERT_EQ(host.posted.size(), size_t(k + 1)) << incr << " " << k;
                const double want =
                    double(kv::test::referenceBilled(spanMs, incr, minimum)) / 10000.0;
                EXPECT_EQ(host.posted.back().hours, want)
                    << "span " << spanMs << " ms by " << incr << " min " << minimum;
                inMs = kv::test::nearest(nowMs, 60'000) * 60'000;
            }
            fakes.messages->answerNext(MsgAnswer::Yes);
            clock.trayLeftClick(); // clock out for the next round
            ASSERT_FALSE(clock.IsClockedIn);
        }
    }
}

} // namespace
