// TimeSetSplit: how a closed time set becomes time records. A span within one calendar day gives
// one record; a span that reaches into a later day gives one record per calendar day. Each record
// carries its date, in time, out time and billable hours, ready to be posted.
#pragma once

#include <vector>

namespace kv {

/// One time record of a closed set, with the values handed to the post (the before-post rule
/// still snaps the times to the minute and recomputes the hours from them).
struct SpanRecord
{
    double wDate = 0;   ///< whole days
    double timeIn = 0;  ///< time of day
    double timeOut = 0; ///< time of day, or a full date-time whose time of day counts
    double hours = 0;
};

/// Billing settings of the configuration record, in minutes; 0 means none.
struct BillingSettings
{
    int incrMinutes = 0;
    int minBillMinutes = 0;
};

namespace split {
/// Out time of the first day's record of a split set (23:59:51.36; rounds to 24:00).
inline constexpr double kFirstDayOut = 0.9999;
/// Out time of a whole day's record (23:59).
inline constexpr double kWholeDayOut = 1439.0 / 1440.0;
/// Hours of a whole day's record.
inline constexpr double kWholeDayHours = 24.0;
} // namespace split

/// Splits the set that began at `inDateTime` (date plus in time) and ended at `outDateTime`.
/// `recWDate` and `recTimeIn` are the date and in time of the set's first record.
///
/// - Out earlier than in: no record.
/// - Out on the in date: one record, unless the elapsed time is not positive.
/// - Out on a later date: the first day up to 24:00, each whole day between (00:00-23:59,
///   24 hours), the last day from 00:00 to the out time (posted even with 0 hours). This holds
///   for a span of a few hours over midnight as much as for one of several days, so no worked
///   time is lost to a record whose out time is earlier than its in time.
std::vector<SpanRecord> splitTimeSet(double inDateTime, double outDateTime, double recWDate,
                                     double recTimeIn, const BillingSettings &billing);

} // namespace kv
