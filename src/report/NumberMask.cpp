// NumberMask: numbers to text by a layout's mask.
#include "NumberMask.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

bool isPlaceholder(QChar c)
{
    return c == u'0' || c == u'#' || c == u'.' || c == u',';
}

/// Sections of a mask split at ";" outside quotes.
QStringList splitSections(const QString &mask)
{
    QStringList sections{QString()};
    QChar quote;
    for (QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            sections.append(QString());
            continue;
        }
        sections.last().append(c);
    }
    return sections;
}

/// Literal text with its quotes removed.
QString unquote(const QString &text)
{
    QString out;
    QChar quote;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out.append(c);
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else {
            out.append(c);
        }
    }
    return out;
}

struct Section
{
    QString prefix;
    QString suffix;
    int minIntDigits = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool grouping = false;
    bool hasDigits = false;
};

Section parseSection(const QString &text)
{
    Section s;
    // Placeholders outside quotes form the number; what stands before and after is literal.
    int first = -1;
    int last = -1;
    QChar quote;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (isPlaceholder(c)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        s.prefix = unquote(text);
        return s;
    }
    s.hasDigits = true;
    s.prefix = unquote(text.left(first));
    s.suffix = unquote(text.mid(last + 1));
    const QString body = text.mid(first, last - first + 1);
    const qsizetype point = body.indexOf(u'.');
    const QString intPart = point < 0 ? body : body.left(point);
    const QString fracPart = point < 0 ? QString() : body.mid(point + 1);
    s.grouping = intPart.contains(u',');
    const qsizetype firstZero = intPart.indexOf(u'0');
    if (firstZero >= 0) {
        for (qsizetype i = firstZero; i < intPart.size(); ++i)
            if (intPart.at(i) == u'0' || intPart.at(i) == u'#')
                ++s.minIntDigits;
    }
    for (qsizetype i = 0; i < fracPart.size(); ++i) {
        if (fracPart.at(i) == u'0' || fracPart.at(i) == u'#') {
            ++s.maxDecimals;
            if (fracPart.at(i) == u'0')
                s.minDecimals = s.maxDecimals;
        }
    }
    return s;
}

/// Digits of |value| rounded to @p decimals places, as "123.4500". The shortest text that
/// reads back as the value decides the halves, so 0.125 and 2.675 round up as a reader of
/// the number expects, whatever their binary neighbours are.
QString fixedDigits(double value, int decimals)
{
    QString text = QString::number(std::fabs(value), 'f', QLocale::FloatingPointShortest);
    if (text.contains(u'e') || text.contains(u'E'))
        return QString::number(std::fabs(value), 'f', decimals);
    qsizetype dot = text.indexOf(u'.');
    if (dot < 0) {
        dot = text.size();
        text.append(u'.');
    }
    QString frac = text.mid(dot + 1);
    QString intDigits = text.left(dot);
    const bool roundUp = frac.size() > decimals && frac.at(decimals) >= u'5';
    frac = frac.left(decimals).leftJustified(decimals, u'0');
    if (roundUp) {
        QString all = intDigits + frac;
        qsizetype i = all.size() - 1;
        for (; i >= 0; --i) {
            if (all.at(i) == u'9') {
                all[i] = u'0';
            } else {
                all[i] = QChar(all.at(i).unicode() + 1);
                break;
            }
        }
        if (i < 0)
            all.prepend(u'1');
        intDigits = all.left(all.size() - decimals);
        frac = all.right(decimals);
    }
    return decimals > 0 ? intDigits + u'.' + frac : intDigits;
}

QString formatWith(const Section &s, double value, const QLocale &locale, bool &isZero)
{
    QString digits = fixedDigits(value, s.maxDecimals);
    QString intDigits = digits.section(u'.', 0, 0);
    QString frac = digits.section(u'.', 1, 1);
    isZero =
        std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c == u'0' || c == u'.'; });
    while (frac.size() > s.minDecimals && frac.endsWith(u'0'))
        frac.chop(1);
    if (intDigits == QStringLiteral("0") && s.minIntDigits == 0)
        intDigits.clear();
    while (intDigits.size() < s.minIntDigits)
        intDigits.prepend(u'0');
    if (s.grouping) {
        const QString separator = locale.groupSeparator();
        for (qsizetype i = intDigits.size() - 3; i > 0; i -= 3)
            intDigits.insert(i, separator);
    }
    QString number = intDigits;
    if (!frac.isEmpty())
        number += locale.decimalPoint() + frac;
    return s.prefix + number + s.suffix;
}

} // namespace

QString formatNumberMask(double value, const QString &mask, const QLocale &locale)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (mask.isEmpty()) {
        QString text = QString::number(value, 'g', 15);
        text.replace(u'.', locale.decimalPoint());
        return text;
    }
    const QStringList sections = splitSections(mask);
    const Section positive = parseSection(sections.at(0));
    const bool negative = value < 0;

    if (negative && sections.size() > 1 && !sections.at(1).isEmpty()) {
        bool zero = false;
        const QString text = formatWith(parseSection(sections.at(1)), value, locale, zero);
        if (!zero)
            return text;
    }
    bool zero = false;
    QString text = formatWith(positive, value, locale, zero);
    if (zero && sections.size() > 2 && !sections.at(2).isEmpty())
        return formatWith(parseSection(sections.at(2)), 0.0, locale, zero);
    if (negative && !zero && positive.hasDigits)
        text.prepend(u'-');
    return text;
}

} // namespace kv
