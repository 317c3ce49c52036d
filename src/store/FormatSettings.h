// FormatSettings: the process-wide formats used when dates, times and numbers become text
// (short date format of the user's locale, the long time format "h:nn AMPM").
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kv {

struct FormatSettings
{
    /// Short date format in Qt's notation ("M/d/yy"); defaults to the system locale's.
    QString shortDateFormat;
    /// Long time format in the system's own notation: h, hh, n/nn (minutes), s/ss, AMPM.
    QString longTimeFormat;
    QChar decimalSeparator;
    /// Digit-group separator used by display formats with a comma (",0.00").
    QChar thousandSeparator;
    /// Designators the AMPM token prints.
    QString amString;
    QString pmString;

    static FormatSettings &instance();
    /// Reads the short date format and the separators from QLocale (default locale); the long
    /// time format becomes "h:nn AMPM" with the designators "AM" and "PM".
    void resetFromLocale();

    /// Formats a time of day (fraction of a day) with longTimeFormat; 1.0 is midnight.
    QString formatTime(double t) const;
    /// Formats a date (whole days since the epoch) with shortDateFormat.
    QString formatDate(double d) const;
    /// One date of every month with a two-digit day and a four-digit year, in shortDateFormat:
    /// the widest of them is what a column or box showing dates must hold (month names differ
    /// in width, "d" prints one or two digits).
    QStringList shortDateSamples() const;
    /// Formats a number with a display format such as "#0.0000" ("" = shortest form).
    /// Supports the digit placeholders 0 and #, the decimal point, a comma for digit groups,
    /// quoted literals and up to three sections "positive;negative;zero". Halves round away
    /// from zero on the shortest decimal form of the value, so 0.125 shows as "0.13".
    QString formatFloat(double v, const QString &displayFormat) const;
    /// Formats a date-time value with a format in the system's own notation: d, dd, ddd, dddd,
    /// m, mm, mmm, mmmm, yy, yyyy, h, hh, n, nn, s, ss, zzz, AMPM, am/pm, a/p, "/" and ":";
    /// an m right after an h means minutes. Text in quotes is copied.
    QString formatDateTime(const QString &format, double value) const;

    /// Reads a date written in shortDateFormat (or ISO "yyyy-MM-dd"); two-digit years 00-49
    /// are 2000-2049, 50-99 are 1950-1999. Empty optional when the text is no date.
    std::optional<double> parseDate(const QString &text) const;
    /// Reads a time of day such as "9:05 AM", "21:05" or "9:05:30 pm".
    std::optional<double> parseTime(const QString &text) const;
    /// Reads a number written with decimalSeparator or with a point.
    std::optional<double> parseFloat(const QString &text) const;
};

} // namespace kv
