// TFMain: the start-up question about a set an earlier run left running.
#include "DateTime.h"
#include "FormatSettings.h"
#include "Main.h"
#include "Services.h"

#include <QCheckBox>

namespace kv {

namespace {

/// The time of @p value, with its date in front when that is not @p today.
QString momentText(double value, double today)
{
    const FormatSettings &f = FormatSettings::instance();
    const QString time = f.formatTime(dt::timePart(value));
    if (dt::datePart(value) == today)
        return time;
    return f.formatDate(dt::datePart(value)) + u' ' + time;
}

/// The moment a time with seconds is posted as: rounded to the minute as the clock rounds an
/// out time, so the question names the time that the record gets.
double postedMoment(double value)
{
    return dt::datePart(value) + dt::roundToMinute(dt::timePart(value));
}

} // namespace

bool TFMain::billableChecked() const
{
    return cbBillable->isChecked();
}

void TFMain::askLeftOverSet()
{
    const RunningSetFile &file = m_runningSet.file();
    const std::optional<RunningSet> set = file.read();
    if (!set || IsClockedIn)
        return;
    const double today = dt::datePart(Services::instance().clock().nowValue());
    const QString question =
        tr("Kestrova was closed while you were clocked in for %1 (%2) since %3. Post the time "
           "until %4 as OUT?")
            .arg(set->client, set->job, momentText(set->inDateTime, today),
                 momentText(postedMoment(set->lastSeen), today));
    if (!Services::instance().messages().confirm(question)) {
        file.remove();
        return;
    }
    // The records get the set's own billable flag; the box shows the configured default after.
    const bool shownBillable = cbBillable->isChecked();
    cbBillable->setChecked(set->billable);
    const bool posted = runAction([&] {
        m_clock.postLeftOverSet(set->client, set->job, set->inDateTime, set->wDate, set->timeIn,
                                set->lastSeen);
    });
    cbBillable->setChecked(shownBillable);
    // A refused post keeps the file: the next start asks again rather than lose the hours.
    if (posted)
        file.remove();
}

} // namespace kv
