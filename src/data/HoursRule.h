// The hours rule: billing-increment rounding (RoundTime) and the computation of a time record's
// Hours from its in and out times (CalcHours), run before every post of a changed time record.
#pragma once

namespace kv {

class StoreTable;

/// Rounds the part of an hour of a span `x` (hours) to the billing increment `incrMinutes`,
/// halves to the even neighbour; whole hours pass through unchanged. An increment of 0 or less
/// (an empty configuration) rounds nothing and returns `x`.
double RoundTime(double x, int incrMinutes);

/// Billable hours of a span of `spanHours`: RoundTime, four decimals, raised to the minimum.
double billableHours(double spanHours, int incrMinutes, int minBillMinutes);

/// Reads a stored time-out for the hours rule: 00:00 after a time-in later than 00:00 is the
/// midnight at the end of the day, 1.0.
double effectiveTimeOut(double timeIn, double timeOut);

/// The hours rule on the current record of a time-log table in edit or insert state: rounds
/// TimeIn and TimeOut to the minute (writing them back) and sets Hours from them. Times that
/// are not in order give 0 hours and stay as they are.
void CalcHours(StoreTable &inout, int incrMinutes, int minBillMinutes);

} // namespace kv
