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
inline QDate epoch() { return QDate(1899, 12, 30); }

/// Round to the nearest integer, halves to the even neighbour.
inline double roundHalfEven(double v) { return std::nearbyint(v); }

/// Whole days of a value (the date part); negative values count back from the epoch.
inline double datePart(double v) { return std::floor(v); }

/// The time-of-day part of a value, in [0, 1).
inline double timePart(double v) { return v - std::floor(v); }

inline double fromDate(const QDate &d) { return static_cast<double>(epoch().daysTo(d)); }

inline QDate toDate(double v)
{
    return epoch().addDays(static_cast<qint64>(std::floor(v)));
}

/// Milliseconds since midnight of the time-of-day part, rounded to the nearest millisecond.
inline qint64 toMsOfDay(double v)
{
    return static_cast<qint64>(std::llround(timePart(v) * static_cast<double>(kMsPerDay)));
}

inline double fromMsOfDay(qint64 ms) { return static_cast<double>(ms) / static_cast<double>(kMsPerDay); }

inline double fromTime(const QTime &t) { return fromMsOfDay(t.msecsSinceStartOfDay()); }

inline QTime toTime(double v)
{
    qint64 ms = toMsOfDay(v);
    if (ms >= kMsPerDay)
        ms = 0; // 24:00 is shown as midnight
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
}

inline double fromDateTime(const QDateTime &d) { return fromDate(d.date()) + fromTime(d.time()); }

inline QDateTime toDateTime(double v) { return QDateTime(toDate(v), toTime(v)); }

/// Minute rounding of a time of day t: h = whole hours of t*24, m = (t*24 - h)*60 rounded
/// half to even, result (h + m/60)/24. From 23:59:30 on the result is 1.0 (24:00).
inline double roundToMinute(double t)
{
    const double hours = t * 24.0;
    const double h = std::trunc(hours);
    const double m = roundHalfEven((hours - h) * 60.0);
    return (h + m / 60.0) / 24.0;
}

/// Four-decimal rounding of hours: round(v * 10000) / 10000, halves to even.
inline double round4(double v) { return roundHalfEven(v * 10000.0) / 10000.0; }

} // namespace kv::dt
