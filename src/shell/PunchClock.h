// PunchClock: the main window's clock as a plain class. It is idle or runs a time set (one stretch
// of work for one client and job type); it clocks in and out, closes a set into time records, and
// switches client or job type while running. The window supplies the selectors, the settings,
// the task prompt and the posting of records through PunchClockHost, and redraws itself from
// the clock's state whenever the clock says it changed.
//
//   state    entered by                          left by
//   idle     EnableIn (creation, clock-out)      clockIn with both selectors filled
//   running  EnableOut (clockIn)                 clockOut, trayLeftClick confirmed
//   running  ChangeClient (a switch: new in time, same state)
//
// Every operation that posts may throw (StoreError or a field's error). A post that fails leaves
// the clock running; records posted before it stay, and the set then starts where the posted
// records end, so a later clock-out books only the rest.
#pragma once

#include "TimeSetSplit.h"

#include <QString>
#include <optional>

namespace kv {

/// The configuration fields the clock reads at the moment of use.
struct ClockSettings
{
    bool GetTask = false;
    bool AutoLogClient = false;
    bool AutoLogJob = false;
    BillingSettings billing;
};

/// What the clock needs from its window and the data.
class PunchClockHost
{
public:
    virtual ~PunchClockHost() = default;
    /// Current text of the client selector (DBCCust) and of the job-type selector (dblcJobDes).
    virtual QString clientText() const = 0;
    virtual QString jobText() const = 0;
    virtual ClockSettings settings() const = 0;
    /// The task-description prompt, modal: the text on "OK", else the empty string.
    virtual QString askTaskDescription() = 0;
    /// Inserts and posts one time record from the clock's Rec* values: PostTimeRec with the
    /// selectors' client and job type, PostCliRec with LogCustName and LogJobDes. Throw on failure.
    virtual void PostTimeRec() = 0;
    virtual void PostCliRec() = 0;
    /// Makes the window visible (a tray click that cannot clock in explains why in the window).
    virtual void showWindow() = 0;
    /// The clock's state, in time, tray hint or pending-log flag changed.
    virtual void clockChanged() = 0;
};

class PunchClock
{
public:
    /// The four ways to clock in: the In/Out button, the menu item "Clock In", a left click on the
    /// tray icon, and the start-up with InOnStartup.
    enum class InWay { Button, Menu, Tray, Startup };

    explicit PunchClock(PunchClockHost &host);

    static QString idleHint();

    // ---- state (all zero or empty at creation) ----
    bool IsClockedIn = false;
    double InDateTime = 0;  ///< start of the running set
    double OutDateTime = 0; ///< end of the set being closed
    double RecWDate = 0;    ///< values of the next record to post
    double RecTimeIn = 0;
    double RecTimeOut = 0;
    double RecHours = 0;
    QString RecTaskDes;
    QString LogCustName; ///< client and job type the running set belongs to
    QString LogJobDes;
    /// A change of client or job type waits for "Log" (the yellow frame).
    bool LogPending = false;
    /// A script's clock-out: the task text to use instead of the prompt (none: as configured).
    std::optional<QString> taskOverride;
    /// The in time as the window shows it ("9:05 AM").
    QString InTimeText;
    QString TrayHint;

    // ---- clocking in and out ----
    /// Validates the selectors and starts a set. Returns false when a selector was empty.
    bool clockIn(InWay way);
    /// Closes the running set now: GetHours, then idle.
    void clockOut();
    /// The In/Out button and "Clock Out": in when idle, out when running.
    void bbOutClick();
    /// "Clock In": only while idle.
    void bbInClick();
    /// Left click on the tray icon: clock in when idle; when running ask "Kestrova: Clock out?".
    void trayLeftClick();
    /// Start-up clock-in: silent when a selector is empty.
    void InOnStart();
    /// The close query: offers to post a running set. Always allows the close.
    bool closeQuery();

    /// Closes the span InDateTime..OutDateTime into records, after the task prompt when configured.
    void GetHours();
    /// Posts a set an earlier run left running (kept on disk) as GetHours would have: the span
    /// from @p inDateTime (first record dated @p wDate, starting @p timeIn) to @p outDateTime,
    /// for @p client and @p job, through the same day splits, rounding and task prompt. The clock
    /// stays idle. Throws like GetHours.
    void postLeftOverSet(const QString &client, const QString &job, double inDateTime, double wDate,
                         double timeIn, double outDateTime);

    // ---- switching while running ----
    /// Closes the running set now into records of LogCustName/LogJobDes and starts a new one.
    void ChangeClient();
    /// The client selector's list closed / the job-type selector's list closed / "Log".
    void clientCloseUp();
    void jobCloseUp();
    void autoLogClick();
    void setLogPending(bool pending);

    void EnableIn();
    void EnableOut();

private:
    double now() const;
    /// Starts a set at `now`: date and (rounded or not) in time, label text.
    void startSet(double now, bool roundIn);
    /// Posts the records one by one; after each post the set starts where the next record does.
    void postRecords(const std::vector<SpanRecord> &records, void (PunchClockHost::*post)());
    void selectorCloseUp(const QString &text, const QString &logged, bool autoLogThis,
                         bool autoLogOther, QString &logField);

    PunchClockHost &m_host;
};

} // namespace kv
