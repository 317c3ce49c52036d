// FormatSettings: the process-wide formats used when dates, times and numbers become text
// (short date format of the user's locale, the long time format "h:nn AMPM").
#pragma once

#include <QString>

namespace kv {

struct FormatSettings
{
    /// Short date format in Qt's notation ("M/d/yy"); defaults to the system locale's.
    QString shortDateFormat;
    /// Long time format in the system's own notation: h, hh, n/nn (minutes), s/ss, AMPM.
    QString longTimeFormat;
    QChar decimalSeparator;

    static FormatSettings &instance();
    /// Reads the short date format and decimal separator from QLocale (default locale).
    void resetFromLocale();

    /// Formats a time of day (fraction of a day) with longTimeFormat; 1.0 is midnight.
    QString formatTime(double t) const;
    /// Formats a date (whole days since the epoch) with shortDateFormat.
    QString formatDate(double d) const;
    /// Formats a number with a display format such as "#0.0000" ("" = shortest form).
    QString formatFloat(double v, const QString &displayFormat) const;
};

} // namespace kv
