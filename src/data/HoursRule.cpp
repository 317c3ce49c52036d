// The hours rule and billing-increment rounding.
#include "HoursRule.h"

#include "DateTime.h"
#include "StoreTable.h"

#include <cmath>

namespace kv {

double RoundTime(double x, int incrMinutes)
{
    if (incrMinutes <= 0)
        return x;
    const double c = incrMinutes / 60.0;
    const double w = std::trunc(x);
    const double q = (x - w) / c;
    return w + dt::roundHalfEven(q) * c;
}

double billableHours(double spanHours, int incrMinutes, int minBillMinutes)
{
    double hours = dt::round4(RoundTime(spanHours, incrMinutes));
    const double minimum = minBillMinutes / 60.0;
    if (minimum > hours)
        hours = dt::round4(minimum);
    return hours;
}

double effectiveTimeOut(double timeIn, double timeOut)
{
    if (timeOut == 0.0 && timeIn > 0.0)
        return 1.0;
    return timeOut;
}

void CalcHours(StoreTable &inout, int incrMinutes, int minBillMinutes)
{
    // Only a record being inserted or edited has hours to compute.
    if (inout.state() != StoreTable::State::Edit && inout.state() != StoreTable::State::Insert)
        return;
    Field &timeInField = inout.fieldByName(QStringLiteral("TimeIn"));
    Field &timeOutField = inout.fieldByName(QStringLiteral("TimeOut"));
    Field &hoursField = inout.fieldByName(QStringLiteral("Hours"));

    const double timeIn = timeInField.asDateTime();
    const double timeOut = effectiveTimeOut(timeIn, timeOutField.asDateTime());
    if (!(timeIn < timeOut)) {
        hoursField.setAsFloat(0.0);
        return;
    }
    const double roundedIn = dt::roundToMinute(timeIn);
    const double roundedOut = dt::roundToMinute(timeOut);
    timeInField.setAsDateTime(roundedIn);
    timeOutField.setAsDateTime(roundedOut); // 1.0 (24:00) is stored as 00:00
    const double span = roundedOut * 24.0 - roundedIn * 24.0;
    if (span <= 0.0) {
        hoursField.setAsFloat(0.0);
        return;
    }
    hoursField.setAsFloat(dt::round4(RoundTime(span, incrMinutes)));
    const double minimum = minBillMinutes / 60.0;
    if (minimum > hoursField.asFloat())
        hoursField.setAsFloat(dt::round4(minimum));
}

} // namespace kv
