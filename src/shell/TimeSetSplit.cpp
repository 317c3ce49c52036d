// TimeSetSplit: records of a closed time set, one per calendar day.
#include "TimeSetSplit.h"

#include "DateTime.h"
#include "HoursRule.h"

#include <algorithm>

namespace kv {

namespace {

/// The first day's end, 0.9999 of a day (23:59:51.36), in milliseconds.
constexpr qint64 kFirstDayEndMs = 86'391'360;
static_assert(kFirstDayEndMs * 10'000 == 9'999 * dt::kMsPerDay);

double billable(qint64 spanMs, const BillingSettings &billing)
{
    return spanMs > 0 ? billableHoursOfMs(spanMs, billing.incrMinutes, billing.minBillMinutes)
                      : 0.0;
}

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b) < 0 ? 1 : 0);
}

} // namespace

std::vector<SpanRecord> splitTimeSet(double inDateTime, double outDateTime, double recWDate,
                                     double recTimeIn, const BillingSettings &billing)
{
    std::vector<SpanRecord> records;
    // All arithmetic on whole milliseconds and minutes; values are converted back once.
    const qint64 inMs = dt::msOfDateTime(inDateTime);
    const qint64 outMs = dt::msOfDateTime(outDateTime);
    if (inMs > outMs)
        return records;

    const qint64 inDay = floorDiv(inMs, dt::kMsPerDay);
    const qint64 inTimeMs = inMs - inDay * dt::kMsPerDay;
    const qint64 outDay = floorDiv(outMs, dt::kMsPerDay);
    const qint64 outTimeMs = outMs - outDay * dt::kMsPerDay;
    const qint64 outMinutes = dt::roundMsToMinutes(outTimeMs); // 1440 from 23:59:30 on

    if (outMs - inMs > dt::kMsPerDay || outDay > inDay) {
        // First day, up to its end.
        records.push_back({recWDate, recTimeIn, split::kFirstDayOut,
                           billable(kFirstDayEndMs - inTimeMs, billing)});
        // Each calendar day strictly between.
        for (qint64 day = inDay + 1; day < outDay; ++day)
            records.push_back(
                {static_cast<double>(day), 0.0, split::kWholeDayOut, split::kWholeDayHours});
        // Last day, from 00:00. An out time that rounds to 24:00 would be stored as 00:00 and
        // leave a 00:00-00:00 record of no hours; it ends at 23:59 like a whole day instead.
        const qint64 lastMinutes = std::min(outMinutes, dt::kMinutesPerDay - 1);
        records.push_back({static_cast<double>(outDay), 0.0, dt::fromMinutes(lastMinutes),
                           billable(lastMinutes * dt::kMsPerMinute, billing)});
        return records;
    }

    // One record within the day. The hours count from the unrounded out time.
    const qint64 spanMs = outMs - inMs;
    if (spanMs <= 0)
        return records;
    // A set begun at 00:00 that ends at 24:00 likewise ends at 23:59.
    const qint64 recordOutMinutes =
        inTimeMs == 0 && outMinutes >= dt::kMinutesPerDay ? dt::kMinutesPerDay - 1 : outMinutes;
    records.push_back({recWDate, recTimeIn,
                       static_cast<double>(outDay) + dt::fromMinutes(recordOutMinutes),
                       billable(spanMs, billing)});
    return records;
}

} // namespace kv
