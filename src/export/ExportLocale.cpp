// Reading the writers' locale settings from QLocale.
#include "ExportLocale.h"

#include <QLocale>

namespace kv {

namespace {

/// The first character of a format that is not a format letter, a blank or a quote: the
/// separator between its parts.
QString separatorOf(const QString &format, const QString &fallback)
{
    for (QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != u'\'')
            return QString(c);
    }
    return fallback;
}

/// Replaces the symbol by "$", the amount by "1" and every kind of blank by " ", so that the
/// placement can be looked up in a table.
QString currencyShape(const QLocale &l, double v)
{
    QString s = l.toCurrencyString(v, QStringLiteral("$"), 0);
    s.replace(QChar(0x2212), u'-');
    s.replace(QChar(0x00A0), u' ');
    s.replace(QChar(0x202F), u' ');
    return s;
}

} // namespace

ExportLocale ExportLocale::current()
{
    const QLocale l;
    ExportLocale e;
    e.decimalSeparator = l.decimalPoint();
    e.thousandSeparator = l.groupSeparator();
    e.shortDateFormat = l.dateFormat(QLocale::ShortFormat);
    e.longTimeFormat = QStringLiteral("h:mm AP");
    e.dateSeparator = separatorOf(e.shortDateFormat, QStringLiteral("/"));
    e.timeSeparator = separatorOf(e.longTimeFormat, QStringLiteral(":"));
    e.amText = l.amText();
    e.pmText = l.pmText();
    e.currencySymbol = l.currencySymbol();
    e.currencyDecimals = 2;

    const QString pos = currencyShape(l, 1);
    if (pos.startsWith(u'$'))
        e.positiveCurrencyFormat = pos.mid(1).startsWith(u' ') ? 2 : 0;
    else
        e.positiveCurrencyFormat = pos.endsWith(QLatin1String(" $")) ? 3 : 1;

    static const char *const kNegative[] = {"($1)", "-$1",  "$-1",   "$1-",  "(1$)", "-1$",
                                            "1-$",  "1$-",  "-1 $",  "-$ 1", "1 $-", "$ 1-",
                                            "$ -1", "1- $", "($ 1)", "(1 $)"};
    const QString neg = currencyShape(l, -1);
    e.negativeCurrencyFormat = 1;
    for (int i = 0; i < 16; ++i) {
        if (neg == QLatin1String(kNegative[i])) {
            e.negativeCurrencyFormat = i;
            break;
        }
    }
    e.listSeparator =
        e.decimalSeparator == QLatin1String(",") ? QStringLiteral(";") : QStringLiteral(",");
    return e;
}

} // namespace kv
