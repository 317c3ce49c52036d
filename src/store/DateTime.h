// The system's date-time value: days since 30 December 1899 as a double; the whole part is
// the date, the fraction the time of day. Helpers for the parts and for minute rounding.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

namespace kv::dt {

inline constexpr double kHour = 1.0 / 24.0;
inline constexpr double kMinute = 1.0 / 1440.0;
inline constexpr qint64 kMsPerDay = 86'400'000;

/// Day 0 of the date-time value.
inline QDate epoch()
{
    return QDate(1899, 12, 30);
}

/// Round to the nearest integer, halves to the even neighbour.
inline double roundHalfEven(double v)
{
    return std::nearbyint(v);
}

/// Whole days of a value (the date part); negative values count back from the epoch.
inline double datePart(double v)
{
    return std::floor(v);
}

/// The time-of-day part of a value, in [0, 1).
inline double timePart(double v)
{
    return v - std::floor(v);
}

inline double fromDate(const QDate &d)
{
    return static_cast<double>(epoch().daysTo(d));
}

inline QDate toDate(double v)
{
    return epoch().addDays(static_cast<qint64>(std::floor(v)));
}

/// Milliseconds since midnight of the time-of-day part, rounded to the nearest millisecond.
inline qint64 toMsOfDay(double v)
{
    return static_cast<qint64>(std::llround(timePart(v) * static_cast<double>(kMsPerDay)));
}

inline double fromMsOfDay(qint64 ms)
{
    return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

inline double fromTime(const QTime &t)
{
    return fromMsOfDay(t.msecsSinceStartOfDay());
}

inline QTime toTime(double v)
{
    qint64 ms = toMsOfDay(v);
    if (ms >= kMsPerDay)
        ms = 0; // 24:00 is shown as midnight
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

inline double fromDateTime(const QDateTime &d)
{
    return fromDate(d.date()) + fromTime(d.time());
}

inline QDateTime toDateTime(double v)
{
    return QDateTime(toDate(v), toTime(v));
}

/// a / b (b > 0) rounded to the nearest integer, halves to the even neighbour, in exact integer
/// arithmetic: a tie is a tie only when it is one, whatever binary fractions would make of it.
constexpr qint64 divRoundHalfEven(qint64 a, qint64 b)
{
    qint64 q = a / b;
    qint64 r = a % b;
    if (r < 0) { // floor division, so the remainder is in [0, b)
        q -= 1;
        r += b;
    }
    if (2 * r > b || (2 * r == b && (q & 1) != 0))
        ++q;
    return q;
}

inline constexpr qint64 kMsPerMinute = 60'000;
inline constexpr qint64 kMsPerHour = 3'600'000;
inline constexpr qint64 kMinutesPerDay = 1440;

/// Milliseconds of a time-of-day value t in [0, 1], 1.0 (24:00) included, to the nearest
/// millisecond. Every time the system writes is a whole number of milliseconds, so this is exact.
inline qint64 msOfTime(double t)
{
    return std::llround(t * static_cast<double>(kMsPerDay));
}

/// Milliseconds since the epoch of a full date-time value: whole days and the time of day are
/// converted apart, so a date of 46,000 days keeps its millisecond.
inline qint64 msOfDateTime(double v)
{
    const double days = std::floor(v);
    return static_cast<qint64>(days) * kMsPerDay +
           std::llround((v - days) * static_cast<double>(kMsPerDay));
}

/// Minute rounding in milliseconds: the whole minutes nearest to `ms`, halves to even. Rounding
/// the part of the hour (as the rule states it) and rounding the whole count agree, since the
/// whole hours contribute an even number of minutes.
constexpr qint64 roundMsToMinutes(qint64 ms)
{
    return divRoundHalfEven(ms, kMsPerMinute);
}

/// The date-time value of a count of whole minutes of a day; 1440 is 1.0 (24:00).
inline double fromMinutes(qint64 minutes)
{
    return static_cast<double>(minutes) / static_cast<double>(kMinutesPerDay);
}

/// Minute rounding of a time of day t: h = whole hours of t*24, m = (t*24 - h)*60 rounded
/// half to even, result (h + m/60)/24. From 23:59:30 on the result is 1.0 (24:00). Computed on
/// whole milliseconds, so 10:00:30 is exactly a tie and goes to 10:00.
inline double roundToMinute(double t)
{
    return fromMinutes(roundMsToMinutes(msOfTime(t)));
}

} // namespace kv::dt
