// The hours rule and billing-increment rounding, in integer arithmetic.
#include "HoursRule.h"

#include "DateTime.h"
#include "StoreTable.h"

namespace kv {

namespace {

/// Milliseconds of a ten-thousandth of an hour.
constexpr qint64 kMsPerTenThousandth = dt::kMsPerHour / 10'000;

} // namespace

qint64 roundTimeMs(qint64 spanMs, int incrMinutes)
{
    if (incrMinutes <= 0)
        return spanMs;
    const qint64 incrMs = incrMinutes * dt::kMsPerMinute;
    const qint64 wholeHoursMs = spanMs / dt::kMsPerHour * dt::kMsPerHour; // toward zero
    const qint64 n = dt::divRoundHalfEven(spanMs - wholeHoursMs, incrMs);
    return wholeHoursMs + n * incrMs;
}

qint64 billableTenThousandths(qint64 spanMs, int incrMinutes, int minBillMinutes)
{
    qint64 hours = dt::divRoundHalfEven(roundTimeMs(spanMs, incrMinutes), kMsPerTenThousandth);
    const qint64 minimumMs = minBillMinutes * dt::kMsPerMinute;
    // minimum / 60 > hours / 10000, compared without dividing
    if (minimumMs > hours * kMsPerTenThousandth)
        hours = dt::divRoundHalfEven(minimumMs, kMsPerTenThousandth);
    return hours;
}

double billableHoursOfMs(qint64 spanMs, int incrMinutes, int minBillMinutes)
{
    return static_cast<double>(billableTenThousandths(spanMs, incrMinutes, minBillMinutes)) /
           10'000.0;
}

double RoundTime(double x, int incrMinutes)
{
    const qint64 spanMs = std::llround(x * static_cast<double>(dt::kMsPerHour));
    return static_cast<double>(roundTimeMs(spanMs, incrMinutes)) /
           static_cast<double>(dt::kMsPerHour);
}

double effectiveTimeOut(double timeIn, double timeOut)
{
    if (timeOut == 0.0 && timeIn > 0.0)
        return 1.0;
    return timeOut;
}

HoursRuleResult applyHoursRule(double timeIn, double timeOut, int incrMinutes, int minBillMinutes)
{
    HoursRuleResult result{false, timeIn, timeOut, 0.0};
    const qint64 inMs = dt::msOfTime(timeIn);
    const qint64 outMs = dt::msOfTime(effectiveTimeOut(timeIn, timeOut));
    if (inMs >= outMs)
        return result;
    const qint64 inMinutes = dt::roundMsToMinutes(inMs);
    const qint64 outMinutes = dt::roundMsToMinutes(outMs);
    result.rounded = true;
    result.timeIn = dt::fromMinutes(inMinutes);
    result.timeOut = dt::fromMinutes(outMinutes);
    const qint64 spanMs = (outMinutes - inMinutes) * dt::kMsPerMinute;
    if (spanMs > 0)
        result.hours = billableHoursOfMs(spanMs, incrMinutes, minBillMinutes);
    return result;
}

void CalcHours(StoreTable &inout, int incrMinutes, int minBillMinutes)
{
    // Only a record being inserted or edited has hours to compute.
    if (inout.state() != StoreTable::State::Edit && inout.state() != StoreTable::State::Insert)
        return;
    Field &timeInField = inout.fieldByName(QStringLiteral("TimeIn"));
    Field &timeOutField = inout.fieldByName(QStringLiteral("TimeOut"));
    Field &hoursField = inout.fieldByName(QStringLiteral("Hours"));

    const HoursRuleResult r = applyHoursRule(timeInField.asDateTime(), timeOutField.asDateTime(),
                                             incrMinutes, minBillMinutes);
    if (r.rounded) {
        timeInField.setAsDateTime(r.timeIn);
        timeOutField.setAsDateTime(r.timeOut); // 1.0 (24:00) is stored as 00:00
    }
    hoursField.setAsFloat(r.hours);
}

} // namespace kv
