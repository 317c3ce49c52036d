// FormatSettings: turning date-time values and numbers into text and back, with the
// process-wide formats (locale short date, "h:nn AMPM", locale separators).
#include "FormatSettings.h"

#include "DateTime.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <string>

namespace kv {

namespace {

/// Digits of a non-negative value rounded to `decimals` places, halves away from zero, taken
/// from its 15-significant-digit decimal form (so 0.125 becomes 0.13 and 1.00005 becomes
/// 1.0001 although neither is exact in binary).
struct DecimalDigits
{
    std::string whole; ///< at least one digit, no leading zeros beyond one
    std::string fraction;
};

DecimalDigits roundDecimal(double a, int decimals)
{
    DecimalDigits out;
    if (a == 0.0) {
        out.whole = "0";
        out.fraction.assign(static_cast<size_t>(decimals), '0');
        return out;
    }
    // "d.dddddddddddddde+xx": 15 significant digits and the exponent.
    const std::string sci = QString::number(a, 'e', 14).toStdString();
    const size_t ePos = sci.find('e');
    std::string digits;
    for (size_t i = 0; i < ePos; ++i)
        if (sci[i] != '.')
            digits += sci[i];
    int point = std::stoi(sci.substr(ePos + 1)) + 1; // digits before the decimal point
    if (point < 1) {
        digits.insert(0, static_cast<size_t>(1 - point), '0');
        point = 1;
    }
    const size_t keep = static_cast<size_t>(point + decimals);
    if (digits.size() < keep + 1)
        digits.append(keep + 1 - digits.size(), '0');
    const bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp) {
        size_t i = keep;
        while (i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
                continue;
            }
            ++digits[i];
            break;
        }
        if (i == 0 && digits[0] == '0') {
            digits.insert(digits.begin(), '1');
            ++point;
        }
    }
    out.whole = digits.substr(0, static_cast<size_t>(point));
    out.fraction = digits.substr(static_cast<size_t>(point));
    const size_t firstNonZero = out.whole.find_first_not_of('0');
    out.whole =
        firstNonZero == std::string::npos ? std::string("0") : out.whole.substr(firstNonZero);
    return out;
}

/// Splits a display format into its ';' sections, keeping quoted text intact.
QStringList splitSections(const QString &format)
{
    QStringList sections;
    QString current;
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            sections << current;
            current.clear();
            continue;
        }
        current += c;
    }
    sections << current;
    return sections;
}

QString groupDigits(const QString &whole, QChar separator)
{
    QString out;
    const qsizetype n = whole.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += whole[i];
    }
    return out;
}

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

FormatSettings &FormatSettings::instance()
{
    static FormatSettings settings = [] {
        FormatSettings s;
        s.resetFromLocale();
        return s;
    }();
    return settings;
}

void FormatSettings::resetFromLocale()
{
    const QLocale locale;
    shortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    longTimeFormat = QStringLiteral("h:nn AMPM");
    const QString decimal = locale.decimalPoint();
    decimalSeparator = decimal.isEmpty() ? QChar(u'.') : decimal.at(0);
    const QString group = locale.groupSeparator();
    thousandSeparator = group.isEmpty() ? QChar(u',') : group.at(0);
    amString = QStringLiteral("AM");
    pmString = QStringLiteral("PM");
}

QString FormatSettings::formatTime(double t) const
{
    return formatDateTime(longTimeFormat, dt::timePart(t));
}

QString FormatSettings::formatDate(double d) const
{
    return QLocale().toString(dt::toDate(d), shortDateFormat);
}

QStringList FormatSettings::shortDateSamples() const
{
    constexpr int kSampleYear = 2028;
    constexpr int kSampleDay = 28;
    QStringList samples;
    const QLocale locale;
    for (int month = 1; month <= 12; ++month)
        samples << locale.toString(QDate(kSampleYear, month, kSampleDay), shortDateFormat);
    return samples;
}

QString FormatSettings::formatFloat(double v, const QString &displayFormat) const
{
    if (!std::isfinite(v))
        return QString::number(v);
    if (displayFormat.isEmpty()) {
        QString s = QString::number(v, 'g', 15).toUpper();
        s.replace(u'.', decimalSeparator);
        return s;
    }

    const QStringList sections = splitSections(displayFormat);
    QString section = sections.at(0);
    bool signInSection = false; // the negative section brings its own sign, if any
    if (v < 0 && sections.size() > 1 && !sections.at(1).isEmpty()) {
        section = sections.at(1);
        signInSection = true;
    } else if (v == 0 && sections.size() > 2 && !sections.at(2).isEmpty()) {
        section = sections.at(2);
    }

    QString prefix, suffix;
    int wholeZeros = 0, fractionZeros = 0, fractionHashes = 0;
    bool seenPoint = false, grouping = false, seenPlaceholder = false;
    QChar quote;
    for (const QChar c : section) {
        QString &literal = seenPlaceholder ? suffix : prefix;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                literal += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            seenPlaceholder = true;
            suffix.clear(); // text between placeholders is not kept
            if (seenPoint)
                (c == u'0' ? fractionZeros : fractionHashes)++;
            else if (c == u'0')
                ++wholeZeros;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
            seenPlaceholder = true;
        } else if (c == u',') {
            grouping = true;
        } else {
            literal += c;
        }
    }

    const DecimalDigits digits = roundDecimal(std::fabs(v), fractionZeros + fractionHashes);
    QString whole = QString::fromStdString(digits.whole);
    QString fraction = QString::fromStdString(digits.fraction);
    const bool isZero = whole == u"0" && std::all_of(fraction.cbegin(), fraction.cend(),
                                                     [](QChar c) { return c == u'0'; });
    while (fraction.size() > fractionZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (whole == u"0" && wholeZeros == 0)
        whole.clear();
    while (whole.size() < wholeZeros)
        whole.prepend(u'0');
    if (grouping)
        whole = groupDigits(whole, thousandSeparator);

    QString out;
    if (v < 0 && !signInSection && !isZero)
        out += u'-';
    out += prefix + whole;
    if (!fraction.isEmpty())
        out += decimalSeparator + fraction;
    return out + suffix;
}

QString FormatSettings::formatDateTime(const QString &format, double value) const
{
    const QLocale locale;
    qint64 ms = dt::toMsOfDay(value);
    QDate date = dt::toDate(value);
    if (ms >= dt::kMsPerDay) {
        ms -= dt::kMsPerDay;
        date = date.addDays(1);
    }
    const QTime time = QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms));
    const QString lower = format.toLower();
    const bool twelveHour =
        lower.contains(u"ampm") || lower.contains(u"am/pm") || lower.contains(u"a/p");
    QChar dateSeparator = u'/';
    for (const QChar c : shortDateFormat)
        if (!c.isLetter()) {
            dateSeparator = c;
            break;
        }

    QString out;
    bool lastWasHour = false;
    qsizetype i = 0;
    const qsizetype n = format.size();
    auto runOf = [&](QChar c) {
        qsizetype j = i;
        while (j < n && format[j].toLower() == c)
            ++j;
        return static_cast<int>(j - i);
    };
    while (i < n) {
        const QChar c = format[i];
        const QChar lc = c.toLower();
        if (c == u'"' || c == u'\'') {
            const qsizetype end = format.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? n : end;
            out += format.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (lc == u'a') {
            const int hour = time.hour();
            if (format.mid(i, 4).compare(u"ampm", Qt::CaseInsensitive) == 0) {
                out += hour < 12 ? amString : pmString;
                i += 4;
            } else if (format.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
                const QString text = hour < 12 ? format.mid(i, 2) : format.mid(i + 3, 2);
                out += text;
                i += 5;
            } else if (format.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0) {
                out += hour < 12 ? format[i] : format[i + 2];
                i += 3;
            } else {
                out += c;
                ++i;
            }
            continue;
        }
        const int run = runOf(lc);
        bool hour = false;
        if (lc == u'd') {
            if (run == 1)
                out += QString::number(date.day());
            else if (run == 2)
                out += twoDigits(date.day());
            else if (run == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else if (run == 4)
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            else
                out += locale.toString(date, shortDateFormat);
        } else if (lc == u'm' && lastWasHour && run <= 2) {
            out += run == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
        } else if (lc == u'm') {
            if (run == 1)
                out += QString::number(date.month());
            else if (run == 2)
                out += twoDigits(date.month());
            else if (run == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(date.month(), QLocale::LongFormat);
        } else if (lc == u'y') {
            out += run <= 2 ? twoDigits(date.year() % 100) : QString::number(date.year());
        } else if (lc == u'h') {
            int h = time.hour();
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += run == 1 ? QString::number(h) : twoDigits(h);
            hour = true;
        } else if (lc == u'n') {
            out += run == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
        } else if (lc == u's') {
            out += run == 1 ? QString::number(time.second()) : twoDigits(time.second());
        } else if (lc == u'z') {
            out += run >= 3 ? QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0'))
                            : QString::number(time.msec());
        } else if (lc == u't') {
            out += formatDateTime(longTimeFormat, dt::fromMsOfDay(ms));
        } else if (lc == u'c') {
            out += locale.toString(date, shortDateFormat);
            if (ms != 0)
                out += u' ' + formatDateTime(longTimeFormat, dt::fromMsOfDay(ms));
        } else if (c == u'/') {
            out += dateSeparator;
        } else {
            out += QString(run, c);
        }
        lastWasHour = hour || (lastWasHour && !c.isLetter());
        i += run;
    }
    return out;
}

std::optional<double> FormatSettings::parseDate(const QString &text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale locale;
    const bool twoDigitYear = shortDateFormat.contains(QStringLiteral("yy")) &&
                              !shortDateFormat.contains(QStringLiteral("yyyy"));
    if (twoDigitYear) {
        QString fourDigit = shortDateFormat;
        fourDigit.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
        const QDate d = locale.toDate(t, fourDigit);
        if (d.isValid())
            return dt::fromDate(d);
    }
    QDate d = locale.toDate(t, shortDateFormat);
    if (d.isValid()) {
        if (twoDigitYear && d.year() < 1950)
            d = d.addYears(100);
        return dt::fromDate(d);
    }
    d = QDate::fromString(t, Qt::ISODate);
    if (d.isValid())
        return dt::fromDate(d);
    return std::nullopt;
}

std::optional<double> FormatSettings::parseTime(const QString &text) const
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*([AaPp][Mm]?)?\s*$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int h = m.captured(1).toInt();
    const int mi = m.captured(2).toInt();
    const int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString designator = m.captured(4).toLower();
    if (!designator.isEmpty()) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h %= 12;
        if (designator.startsWith(u'p'))
            h += 12;
    }
    if (h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    return dt::fromMsOfDay((h * 3600 + mi * 60 + s) * 1000LL);
}

std::optional<double> FormatSettings::parseFloat(const QString &text) const
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = QLocale().toDouble(t, &ok);
    if (!ok) {
        QString point = t;
        point.replace(decimalSeparator, u'.');
        v = QLocale::c().toDouble(point, &ok);
    }
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace kv
