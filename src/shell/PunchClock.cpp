// PunchClock: clocking in and out, closing a set into records, switching while running.
#include "PunchClock.h"

#include "DateTime.h"
#include "FormatSettings.h"
#include "Services.h"

#include <QCoreApplication>
#include <cmath>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("kv::PunchClock", text);
}

QString runningHint(const QString &inTime, const QString &client)
{
    return tr("Clocked in @ ") + inTime + tr(" for ") + client;
}

} // namespace

PunchClock::PunchClock(PunchClockHost &host) : TrayHint(idleHint()), m_host(host) {}

QString PunchClock::idleHint()
{
    return tr("Click to start Kestrova timer");
}

double PunchClock::now() const
{
    return Services::instance().clock().nowValue();
}

void PunchClock::EnableIn()
{
    IsClockedIn = false;
    LogPending = false;
    m_host.clockChanged();
}

void PunchClock::EnableOut()
{
    IsClockedIn = true;
    m_host.clockChanged();
}

void PunchClock::setLogPending(bool pending)
{
    LogPending = pending;
    m_host.clockChanged();
}

void PunchClock::startSet(double nowValue, bool roundIn)
{
    double day = dt::datePart(nowValue);
    double timeIn = dt::timePart(nowValue);
    if (roundIn)
        timeIn = dt::roundToMinute(timeIn);
    // From 23:59:30 on the rounded in time is 24:00: the set starts at 00:00 of the next day,
    // and its records are dated that day, the day the work is done.
    if (timeIn >= 1.0) {
        day += 1;
        timeIn = 0;
    }
    RecWDate = day;
    RecTimeIn = timeIn;
    InDateTime = day + timeIn;
    InTimeText = FormatSettings::instance().formatTime(timeIn);
}

bool PunchClock::clockIn(InWay way)
{
    if (IsClockedIn)
        return false;
    const QString client = m_host.clientText();
    const QString job = m_host.jobText();
    if (client.isEmpty() || job.isEmpty()) {
        if (way == InWay::Startup)
            return false;
        if (way == InWay::Tray)
            m_host.showWindow();
        Services::instance().messages().error(
            client.isEmpty() ? tr("Kestrova: You must select a client from the drop-down list.")
                             : tr("Kestrova: You must select a Job Type from the drop-down list."));
        return false;
    }
    LogCustName = client;
    LogJobDes = job;
    // The button and the menu start on the whole minute; the tray and the start-up keep seconds.
    startSet(now(), way == InWay::Button || way == InWay::Menu);
    TrayHint = runningHint(InTimeText, client);
    EnableOut();
    return true;
}

void PunchClock::clockOut()
{
    if (!IsClockedIn)
        return;
    OutDateTime = now();
    GetHours(); // a failed post ends the clock-out here: the clock keeps running
    TrayHint = idleHint();
    EnableIn();
}

void PunchClock::bbOutClick()
{
    if (IsClockedIn)
        clockOut();
    else
        clockIn(InWay::Button);
}

void PunchClock::bbInClick()
{
    if (!IsClockedIn)
        clockIn(InWay::Menu);
}

void PunchClock::trayLeftClick()
{
    if (!IsClockedIn) {
        clockIn(InWay::Tray);
        return;
    }
    if (Services::instance().messages().confirm(tr("Kestrova: Clock out?")))
        clockOut();
}

void PunchClock::InOnStart()
{
    clockIn(InWay::Startup);
}

bool PunchClock::closeQuery()
{
    if (!IsClockedIn)
        return true;
    if (Services::instance().messages().confirm(tr("Kestrova: You have an Open Time set.\r\nDo you "
                                                   "want to post the current time as OUT?"))) {
        OutDateTime = now();
        GetHours();
    }
    return true;
}

void PunchClock::GetHours()
{
    RecTaskDes.clear();
    if (taskOverride)
        RecTaskDes = *taskOverride;
    else if (m_host.settings().GetTask)
        RecTaskDes = m_host.askTaskDescription();
    const BillingSettings billing = m_host.settings().billing;
    postRecords(splitTimeSet(InDateTime, OutDateTime, RecWDate, RecTimeIn, billing),
                &PunchClockHost::PostTimeRec);
}

void PunchClock::postLeftOverSet(const QString &client, const QString &job, double inDateTime,
                                 double wDate, double timeIn, double outDateTime)
{
    if (IsClockedIn)
        return;
    LogCustName = client;
    LogJobDes = job;
    InDateTime = inDateTime;
    RecWDate = wDate;
    RecTimeIn = timeIn;
    OutDateTime = outDateTime;
    RecTaskDes.clear();
    if (m_host.settings().GetTask)
        RecTaskDes = m_host.askTaskDescription();
    postRecords(
        splitTimeSet(InDateTime, OutDateTime, RecWDate, RecTimeIn, m_host.settings().billing),
        &PunchClockHost::PostCliRec);
}

void PunchClock::postRecords(const std::vector<SpanRecord> &records, void (PunchClockHost::*post)())
{
    double startDate = RecWDate;
    double startTime = RecTimeIn;
    for (size_t i = 0; i < records.size(); ++i) {
        const SpanRecord &r = records[i];
        RecWDate = r.wDate;
        RecTimeIn = r.timeIn;
        RecTimeOut = r.timeOut;
        RecHours = r.hours;
        try {
            (m_host.*post)();
        } catch (...) {
            RecWDate = startDate;
            RecTimeIn = startTime;
            throw;
        }
        // What is posted is booked: the set now starts where the next record does, so a
        // clock-out after a later failure books only the rest, never a day twice.
        if (i + 1 < records.size()) {
            startDate = records[i + 1].wDate;
            startTime = records[i + 1].timeIn;
            InDateTime = startDate + startTime;
        }
    }
}

void PunchClock::ChangeClient()
{
    const double nowValue = now();
    OutDateTime = nowValue;
    RecTaskDes.clear(); // no task description is asked for on a switch
    postRecords(
        splitTimeSet(InDateTime, OutDateTime, RecWDate, RecTimeIn, m_host.settings().billing),
        &PunchClockHost::PostCliRec);
    startSet(nowValue, true);
    TrayHint = runningHint(InTimeText, m_host.clientText());
    m_host.clockChanged();
}

void PunchClock::selectorCloseUp(const QString &text, const QString &logged, bool autoLogThis,
                                 bool autoLogOther, QString &logField)
{
    const bool changed = IsClockedIn && !text.isEmpty() && text != logged;
    if (changed && autoLogThis && !autoLogOther) {
        ChangeClient();
        logField = text;
        m_host.clockChanged(); // the new set's client or job type is now known
        return;
    }
    if (changed && autoLogThis && autoLogOther)
        setLogPending(true);
}

void PunchClock::clientCloseUp()
{
    const ClockSettings s = m_host.settings();
    selectorCloseUp(m_host.clientText(), LogCustName, s.AutoLogClient, s.AutoLogJob, LogCustName);
}

void PunchClock::jobCloseUp()
{
    const ClockSettings s = m_host.settings();
    selectorCloseUp(m_host.jobText(), LogJobDes, s.AutoLogJob, s.AutoLogClient, LogJobDes);
}

void PunchClock::autoLogClick()
{
    const ClockSettings s = m_host.settings();
    const QString client = m_host.clientText();
    const QString job = m_host.jobText();
    if (!IsClockedIn || client.isEmpty() || job.isEmpty() || !s.AutoLogClient || !s.AutoLogJob)
        return;
    ChangeClient();
    LogCustName = client;
    LogJobDes = job;
    setLogPending(false);
}

} // namespace kv
