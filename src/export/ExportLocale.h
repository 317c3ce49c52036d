// ExportLocale: the user's locale settings as the writers need them (separators, short date and
// long time formats, AM/PM designators, currency layout), read once per export from QLocale().
#pragma once

#include <QString>

namespace kv {

struct ExportLocale
{
    QString decimalSeparator;
    QString thousandSeparator;
    QString dateSeparator;
    QString timeSeparator;
    /// Short date format in Qt's notation ("M/d/yy").
    QString shortDateFormat;
    /// The process-wide long time format in Qt's notation, "h:mm AP" (shown as "3:04 AM" in
    /// every locale, as the program shows every time of day).
    QString longTimeFormat;
    QString amText;
    QString pmText;
    QString currencySymbol;
    int currencyDecimals = 2;
    /// Placement of the symbol for positive amounts: 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    int positiveCurrencyFormat = 0;
    /// Placement for negative amounts, 0 "($1)" to 15 "(1 $)".
    int negativeCurrencyFormat = 1;
    /// Separator of comma-delimited files: ";" where the decimal separator is ",", else ",".
    QString listSeparator;

    /// The settings of the default QLocale.
    static ExportLocale current();
};

} // namespace kv
