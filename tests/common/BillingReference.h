// A reference of the billing arithmetic for tests, written apart from the program's code:
// every rounding is decided by comparing the distances to the two neighbouring integers.
#pragma once

#include <cstdint>

namespace kv::test {

using i64 = std::int64_t;

/// The integer nearest to num / den (den > 0), halves to the even one: the two candidates
/// around the quotient are compared by their distance to num, measured in units of 1/den.
inline i64 nearest(i64 num, i64 den)
{
    i64 low = num / den;
    if (low * den > num)
        --low;
    const i64 high = low + 1;
    const i64 toLow = num - low * den;   // >= 0
    const i64 toHigh = high * den - num; // > 0
    if (toLow != toHigh)
        return toLow < toHigh ? low : high;
    return (low % 2 == 0) ? low : high;
}

/// Reference of the billed hours, in ten-thousandths of an hour, for a span of `ms`
/// milliseconds (ms >= 0), an increment of `incr` minutes and a minimum of `minimum` minutes.
inline i64 referenceBilled(i64 ms, int incr, int minimum)
{
    const i64 hourMs = 60LL * 60 * 1000;
    const i64 whole = ms / hourMs;
    const i64 part = ms - whole * hourMs;
    i64 roundedMs = ms;
    if (incr > 0)
        roundedMs = whole * hourMs + nearest(part, incr * 60LL * 1000) * incr * 60LL * 1000;
    // ten-thousandths: roundedMs / 3,600,000 * 10,000 = roundedMs / 360
    i64 billed = nearest(roundedMs, 360);
    // minimum / 60 hours against billed / 10000 hours, both scaled by 60 * 10000
    if (i64(minimum) * 10000 > billed * 60)
        billed = nearest(i64(minimum) * 10000, 60);
    return billed;
}

} // namespace kv::test
