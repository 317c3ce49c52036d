// TimeSetSplit: records of a closed time set, one per calendar day.
#include "TimeSetSplit.h"

#include "DateTime.h"
#include "HoursRule.h"

#include <cmath>

namespace kv {

namespace {

double billable(double hours, const BillingSettings &billing)
{
    return hours > 0 ? billableHours(hours, billing.incrMinutes, billing.minBillMinutes) : 0.0;
}

} // namespace

std::vector<SpanRecord> splitTimeSet(double inDateTime, double outDateTime, double recWDate,
                                     double recTimeIn, const BillingSettings &billing)
{
    std::vector<SpanRecord> records;
    if (inDateTime > outDateTime)
        return records;

    const double inDate = dt::datePart(inDateTime);
    const double inTime = dt::timePart(inDateTime);
    const double outDate = dt::datePart(outDateTime);

    if (outDateTime - inDateTime > 1.0 || outDate > inDate) {
        // First day, up to its end.
        records.push_back({recWDate, recTimeIn, split::kFirstDayOut,
                           billable(split::kFirstDayEndHours - inTime * 24.0, billing)});
        // Each calendar day strictly between.
        for (double day = inDate + 1; day < outDate; day += 1)
            records.push_back({day, 0.0, split::kWholeDayOut, split::kWholeDayHours});
        // Last day, from 00:00. An out time that rounds to 24:00 would be stored as 00:00 and
        // leave a 00:00-00:00 record of no hours; it ends at 23:59 like a whole day instead.
        double outTime = dt::roundToMinute(dt::timePart(outDateTime));
        if (outTime >= 1.0)
            outTime = split::kWholeDayOut;
        records.push_back({outDate, 0.0, outTime, billable(outTime * 24.0, billing)});
        return records;
    }

    // One record within the day. The hours count from the unrounded out time.
    double outTime = outDate + dt::roundToMinute(dt::timePart(outDateTime));
    const double hours = (outDateTime - inDate) * 24.0 - inTime * 24.0;
    if (hours <= 0)
        return records;
    // A set begun at 00:00 that ends at 24:00 likewise ends at 23:59.
    if (inTime == 0.0 && outTime - inDate >= 1.0)
        outTime = inDate + split::kWholeDayOut;
    records.push_back({recWDate, recTimeIn, outTime, billable(hours, billing)});
    return records;
}

} // namespace kv
