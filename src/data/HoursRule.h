// The hours rule: billing-increment rounding (RoundTime) and the computation of a time record's
// Hours from its in and out times (CalcHours), run before every post of a changed time record.
//
// Design notes. Every billed figure is computed in integers: spans in milliseconds, the
// increment and the minimum in minutes, billed hours in ten-thousandths of an hour. A date-time
// value is converted to milliseconds once on the way in (all the system's times are whole
// milliseconds, so nothing is lost) and the billed hours to a double once on the way out. So a
// tie (a span of 9 minutes at a 6-minute increment, 10:00:30 for the minute rounding) is exactly
// a tie and goes to the even neighbour, and the same span bills the same hours at any time of
// day. Binary fractions of a day cannot promise either: 1/1440 has no exact double.
//
// The steps of the rule, for a span of s ms, increment c minutes and minimum m minutes:
//   RoundTime     w = whole hours of s, q = (s - w h) / c min, n = q half-even; w h + n c min
//   four decimals R = (RoundTime in ms) / 360 half-even (never a tie once RoundTime ran: R is
//                 a whole number of thirds)
//   minimum       if m min > R / 10000 h then R = (m min in ms) / 360 half-even
//   stored Hours  R / 10000.0
#pragma once

#include <QtGlobal>

namespace kv {

class StoreTable;

/// RoundTime on a span in milliseconds: the part of an hour is rounded to the billing increment
/// `incrMinutes`, halves to the even neighbour; whole hours pass through unchanged (truncated
/// toward zero). An increment of 0 or less (an empty configuration) rounds nothing.
qint64 roundTimeMs(qint64 spanMs, int incrMinutes);

/// Billable hours of a span, in ten-thousandths of an hour: RoundTime, cut to four decimals,
/// raised to the minimum billable time `minBillMinutes`.
qint64 billableTenThousandths(qint64 spanMs, int incrMinutes, int minBillMinutes);

/// Billable hours of a span of `spanMs` as the double that is stored in `Hours`.
double billableHoursOfMs(qint64 spanMs, int incrMinutes, int minBillMinutes);

/// RoundTime of the main window, on hours as a double: the span is taken to the nearest
/// millisecond and rounded exactly (with an increment of 7 minutes, 2.95 hours gives 2.9333).
double RoundTime(double x, int incrMinutes);

/// Reads a stored time-out for the hours rule: 00:00 after a time-in later than 00:00 is the
/// midnight at the end of the day, 1.0.
double effectiveTimeOut(double timeIn, double timeOut);

/// What the hours rule makes of a record's times.
struct HoursRuleResult
{
    bool rounded = false; ///< the times were in order and were snapped to the minute
    double timeIn = 0;    ///< the time-in to store (unchanged unless `rounded`)
    double timeOut = 0;   ///< the time-out to store; 1.0 (24:00) is stored as 00:00
    double hours = 0;     ///< the Hours to store
};

/// The hours rule on a record's stored time-in and time-out (times of day): snaps both to the
/// minute and bills the span between them. Times that are not in order give 0 hours and stay
/// as they are.
HoursRuleResult applyHoursRule(double timeIn, double timeOut, int incrMinutes, int minBillMinutes);

/// The hours rule on the current record of a time-log table in edit or insert state: writes the
/// rounded TimeIn and TimeOut back and sets Hours (applyHoursRule).
void CalcHours(StoreTable &inout, int incrMinutes, int minBillMinutes);

} // namespace kv
