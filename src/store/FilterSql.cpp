// FilterSql: the conditions the store adds to its reads for a filter.
//
// Each condition keeps the criteria engine's meaning exactly or only narrows, never widens:
//   * Text compares in SQLite by UTF-8 bytes, which is code-point order. For operands free of
//     surrogates and of the last code unit, "starts with p" is the index range [p, p') where p'
//     is p with its last character raised by one; equality is "=". Without case, every
//     character stands for the characters that fold to the same letter (found once from the
//     folding table the text comparison uses), so a prefix becomes a few ranges; beyond
//     kMaxVariants spellings only the leading characters are taken and the condition narrows,
//     unless SQLite's ASCII-only NOCASE comparison is exact for the operand (ASCII without the
//     letters other characters fold to), which then decides each row behind the ranges.
//   * Dates, times and whole numbers are stored as integers: the integers a value or bound
//     accepts (with the engine's own tolerance) form an interval, found by bisection with the
//     engine's comparison itself, so the condition is a plain integer range.
//   * Floats use the engine's relative tolerance spelled in SQL (the same IEEE operations),
//     behind a slightly wider range the index can use.
//   * A null number or Boolean reads as 0 and a null text as "": where that value matches, the
//     condition admits nulls too. Negation is pushed only over an exact condition.
#include "FilterSql.h"

#include <QChar>
#include <QHash>
#include <cmath>
#include <limits>
#include <optional>

namespace kv::filtersql {

namespace {

constexpr int kMaxVariants = 256;
constexpr double kRelative = 1e-9;

bool isText(FieldType t)
{
    return t == FieldType::String || t == FieldType::Memo;
}

/// The code units (outside the surrogates) that compare equal to `c` without case.
const QList<char16_t> &caseVariants(char16_t c)
{
    static const QHash<char32_t, QList<char16_t>> byFold = [] {
        QHash<char32_t, QList<char16_t>> map;
        for (char32_t u = 0; u <= 0xFFFF; ++u) {
            if (u >= 0xD800 && u <= 0xDFFF)
                continue;
            map[QChar::toCaseFolded(u)].append(char16_t(u));
        }
        return map;
    }();
    static const QList<char16_t> none;
    const auto it = byFold.constFind(QChar::toCaseFolded(char32_t(c)));
    return it == byFold.constEnd() ? none : *it;
}

bool pushableText(const QString &s)
{
    for (QChar c : s)
        if (c.isSurrogate() || c.unicode() == 0xFFFF)
            return false;
    return true;
}

/// `p` with its last character raised to the next one in code-point order.
QString successor(QString p)
{
    const char16_t last = p.back().unicode();
    p.back() = QChar(last == 0xD7FF ? char16_t(0xE000) : char16_t(last + 1));
    return p;
}

Condition exact(QString sql, QVariantList binds = {})
{
    return Condition{Push::Exact, std::move(sql), std::move(binds)};
}

/// Every spelling of the first `n` characters of `text` without case, capped.
QStringList spellings(const QString &text, qsizetype n, bool caseSensitive)
{
    QStringList out{QString()};
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text.at(i).unicode();
        const QList<char16_t> variants = caseSensitive ? QList<char16_t>{c} : caseVariants(c);
        QStringList next;
        for (const QString &s : out)
            for (char16_t v : variants)
                next << s + QChar(v);
        out = next;
    }
    return out;
}

/// How many leading characters of `text` can be spelled within kMaxVariants.
qsizetype spelledLength(const QString &text, bool caseSensitive)
{
    if (caseSensitive)
        return text.size();
    qint64 product = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        product *= std::max<qsizetype>(1, caseVariants(text.at(i).unicode()).size());
        if (product > kMaxVariants)
            return i;
    }
    return text.size();
}

/// Whether SQLite's ASCII case folding matches `text` exactly as the text comparison does: ASCII
/// only, and none of the letters that other characters fold to (the Kelvin sign to k, the long
/// s to s).
bool asciiFolds(const QString &text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u > 0x7F || u == u'k' || u == u'K' || u == u's' || u == u'S')
            return false;
    }
    return true;
}

Condition textOperand(const FilterTerm &t, const QString &col, const FilterTerm::Operand &op)
{
    if (op.isNull)
        return exact(col + QStringLiteral(" IS NULL"));
    const QString &v = op.text;
    if (t.match != FilterTerm::Match::Start && t.match != FilterTerm::Match::Whole)
        return {};
    if (v.isEmpty())
        return t.match == FilterTerm::Match::Start
                   ? exact(QStringLiteral("1"))
                   : exact(u'(' + col + QStringLiteral(" IS NULL OR ") + col +
                           QStringLiteral(" = '')"));
    if (!pushableText(v))
        return {};
    const qsizetype n = spelledLength(v, t.caseSensitive);
    if (n == 0)
        return {};
    const QStringList forms = spellings(v, n, t.caseSensitive);
    Condition c;
    c.push = n == v.size() ? Push::Exact : Push::Narrow;
    QStringList parts;
    if (!t.caseSensitive && asciiFolds(v)) {
        // SQLite's own case-blind comparison decides it, cheaply for every row; the spellings
        // of the first characters give the index its ranges.
        c.push = Push::Exact;
        if (t.match == FilterTerm::Match::Whole) {
            c.sql = col + QStringLiteral(" = ? COLLATE NOCASE");
            c.binds << v;
        } else {
            c.sql = QStringLiteral("substr(") + col + QStringLiteral(", 1, ?) = ? COLLATE NOCASE");
            c.binds << qint64(v.size()) << v;
        }
        for (const QString &f : forms) {
            parts << u'(' + col + QStringLiteral(" >= ? AND ") + col + QStringLiteral(" < ?)");
            c.binds << f << successor(f);
        }
        c.sql = u'(' + c.sql + QStringLiteral(" AND (") + parts.join(QStringLiteral(" OR ")) +
                QStringLiteral("))");
        return c;
    }
    if (t.match == FilterTerm::Match::Whole && c.push == Push::Exact) {
        QStringList marks;
        for (const QString &f : forms) {
            marks << QStringLiteral("?");
            c.binds << f;
        }
        c.sql = col + QStringLiteral(" IN (") + marks.join(QStringLiteral(", ")) + u')';
        return c;
    }
    for (const QString &f : forms) {
        parts << u'(' + col + QStringLiteral(" >= ? AND ") + col + QStringLiteral(" < ?)");
        c.binds << f << successor(f);
    }
    c.sql = u'(' + parts.join(QStringLiteral(" OR ")) + u')';
    return c;
}

Condition textRange(const FilterTerm &t, const QString &col)
{
    // Case-sensitive bounds below the surrogates order alike in UTF-16 and UTF-8.
    const auto low = [](const QString &s) {
        for (QChar c : s)
            if (c.unicode() >= 0xD800)
                return false;
        return true;
    };
    if (!t.caseSensitive || (t.hasLower && !low(t.lower.text)) ||
        (t.hasUpper && !low(t.upper.text)))
        return {};
    QStringList parts;
    QVariantList binds;
    if (t.hasLower) {
        parts << col + QStringLiteral(" >= ?");
        binds << t.lower.text;
    }
    if (t.hasUpper) {
        parts << col + QStringLiteral(" <= ?");
        binds << t.upper.text;
    }
    QString sql = u'(' + parts.join(QStringLiteral(" AND ")) + u')';
    // A null reads as "", which meets an upper bound alone.
    if (!t.hasLower)
        sql = u'(' + sql + QStringLiteral(" OR ") + col + QStringLiteral(" IS NULL)");
    return exact(sql, binds);
}

// ---- integers: dates, times, Booleans, whole numbers ----

double typedOf(FieldType type, qint64 n)
{
    if (type == FieldType::Time)
        return double(n) / 86'400'000.0;
    return double(n);
}

double scaleOf(FieldType type)
{
    return type == FieldType::Time ? 86'400'000.0 : 1.0;
}

/// The smallest n in [lo, hi] where `test` holds, `test` being false below some point and true
/// from there on; nullopt when it holds nowhere in the window or already at lo.
template <typename Test> std::optional<qint64> firstTrue(qint64 lo, qint64 hi, Test test)
{
    if (test(lo) || !test(hi))
        return std::nullopt;
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        (test(mid) ? hi : lo) = mid;
    }
    return hi;
}

/// Window around `x` (in stored units) wide enough to hold every integer the tolerance
/// accepts; nullopt for values too large to handle as integers.
std::optional<std::pair<qint64, qint64>> window(FieldType type, double x)
{
    const double centre = x * scaleOf(type);
    if (!std::isfinite(centre) || std::fabs(centre) > 1e15)
        return std::nullopt;
    const double tol = type == FieldType::Time ? 600.0 : kRelative * std::max(1.0, std::fabs(x));
    const qint64 w = qint64(std::ceil(tol)) + 4;
    const qint64 c = qint64(std::llround(centre));
    return std::pair{c - w, c + w};
}

/// Integers n with value(n) >= x or the same value as x: [result, infinity).
std::optional<qint64> lowestAtLeast(FieldType type, double x)
{
    const auto win = window(type, x);
    if (!win)
        return std::nullopt;
    return firstTrue(win->first, win->second, [&](qint64 n) {
        const double v = typedOf(type, n);
        return v >= x || FilterTerm::sameValue(type, v, x);
    });
}

/// Integers n with value(n) <= x or the same value as x: (-infinity, result].
std::optional<qint64> highestAtMost(FieldType type, double x)
{
    const auto win = window(type, x);
    if (!win)
        return std::nullopt;
    const auto above = firstTrue(win->first, win->second, [&](qint64 n) {
        const double v = typedOf(type, n);
        return !(v <= x || FilterTerm::sameValue(type, v, x));
    });
    if (!above)
        return std::nullopt;
    return *above - 1;
}

/// Whether a null field (read as 0) meets the test; dates and times never do.
bool nullReadsAsZero(FieldType type)
{
    return type != FieldType::Date && type != FieldType::Time;
}

Condition integerInterval(FieldType type, const QString &col, std::optional<qint64> lo,
                          std::optional<qint64> hi, bool nullMatches)
{
    QStringList parts;
    QVariantList binds;
    if (lo) {
        parts << col + QStringLiteral(" >= ?");
        binds << *lo;
    }
    if (hi) {
        parts << col + QStringLiteral(" <= ?");
        binds << *hi;
    }
    QString sql = parts.isEmpty() ? QString(col + QStringLiteral(" IS NOT NULL"))
                                  : QString(u'(' + parts.join(QStringLiteral(" AND ")) + u')');
    if (nullMatches && nullReadsAsZero(type))
        sql = u'(' + sql + QStringLiteral(" OR ") + col + QStringLiteral(" IS NULL)");
    return exact(sql, binds);
}

Condition booleanTest(const QString &col, bool zero, bool one)
{
    if (zero && one)
        return exact(QStringLiteral("1"));
    if (zero)
        return exact(u'(' + col + QStringLiteral(" = 0 OR ") + col + QStringLiteral(" IS NULL)"));
    if (one)
        return exact(col + QStringLiteral(" <> 0"));
    return exact(QStringLiteral("0"));
}

bool rangeHolds(const FilterTerm &t, FieldType type, double v)
{
    return (!t.hasLower || v >= t.lower.number || FilterTerm::sameValue(type, v, t.lower.number)) &&
           (!t.hasUpper || v <= t.upper.number || FilterTerm::sameValue(type, v, t.upper.number));
}

Condition numberOperand(FieldType type, const QString &col, const FilterTerm::Operand &op)
{
    if (op.isNull)
        return exact(col + QStringLiteral(" IS NULL"));
    const double x = op.number;
    const bool zeroMatches = FilterTerm::sameValue(type, 0.0, x);
    if (type == FieldType::Boolean)
        return booleanTest(col, zeroMatches, FilterTerm::sameValue(type, 1.0, x));
    if (type == FieldType::Float) {
        if (!std::isfinite(x))
            return {};
        const double d = 2 * kRelative * (1.0 + std::fabs(x));
        QString sql =
            QStringLiteral("(%1 BETWEEN ? AND ? AND abs(%1 - ?) <= ? * max(1.0, abs(%1)))")
                .arg(col);
        QVariantList binds{x - d, x + d, x, kRelative};
        if (zeroMatches)
            sql = u'(' + sql + QStringLiteral(" OR ") + col + QStringLiteral(" IS NULL)");
        return exact(sql, binds);
    }
    // The integers with the same value as x form an interval inside the window.
    const auto win = window(type, x);
    if (!win || win->second - win->first > 20'000)
        return {};
    std::optional<qint64> a, b;
    for (qint64 n = win->first; n <= win->second; ++n)
        if (FilterTerm::sameValue(type, typedOf(type, n), x)) {
            if (!a)
                a = n;
            b = n;
        }
    if (a && (*a == win->first || *b == win->second))
        return {};
    if (!a)
        return zeroMatches && nullReadsAsZero(type) ? exact(col + QStringLiteral(" IS NULL"))
                                                    : exact(QStringLiteral("0"));
    return integerInterval(type, col, *a, *b, zeroMatches);
}

Condition numberRange(const FilterTerm &t, FieldType type, const QString &col)
{
    const bool zeroMatches = rangeHolds(t, type, 0.0);
    if (type == FieldType::Boolean)
        return booleanTest(col, zeroMatches, rangeHolds(t, type, 1.0));
    if (type == FieldType::Float) {
        QStringList parts;
        QVariantList binds;
        for (int side = 0; side < 2; ++side) {
            const bool has = side == 0 ? t.hasLower : t.hasUpper;
            if (!has)
                continue;
            const double x = side == 0 ? t.lower.number : t.upper.number;
            if (!std::isfinite(x))
                return {};
            const double d = 2 * kRelative * (1.0 + std::fabs(x));
            parts << QStringLiteral("%1 %2 ? AND (%1 %3 ? OR abs(%1 - ?) <= ? * max(1.0, abs(%1)))")
                         .arg(col, side == 0 ? QStringLiteral(">=") : QStringLiteral("<="),
                              side == 0 ? QStringLiteral(">=") : QStringLiteral("<="));
            binds << (side == 0 ? x - d : x + d) << x << x << kRelative;
        }
        QString sql = u'(' + parts.join(QStringLiteral(" AND ")) + u')';
        if (zeroMatches)
            sql = u'(' + sql + QStringLiteral(" OR ") + col + QStringLiteral(" IS NULL)");
        return exact(sql, binds);
    }
    std::optional<qint64> lo, hi;
    if (t.hasLower && !(lo = lowestAtLeast(type, t.lower.number)))
        return {};
    if (t.hasUpper && !(hi = highestAtMost(type, t.upper.number)))
        return {};
    return integerInterval(type, col, lo, hi, zeroMatches);
}

} // namespace

Condition forTerm(const FilterTerm &t, const QString &col, FieldType type)
{
    if (t.match == FilterTerm::Match::Range) {
        if (!t.hasLower && !t.hasUpper)
            return {};
        return isText(type) ? textRange(t, col) : numberRange(t, type, col);
    }
    if (t.anyOf.empty())
        return {};
    Condition out;
    out.push = Push::Exact;
    QStringList ors;
    for (const std::vector<FilterTerm::Operand> &all : t.anyOf) {
        QStringList ands;
        Push push = Push::Exact;
        for (const FilterTerm::Operand &op : all) {
            Condition c = isText(type) ? textOperand(t, col, op) : numberOperand(type, col, op);
            if (c.push == Push::None) {
                push = Push::Narrow; // the others still narrow
                continue;
            }
            if (c.push == Push::Narrow)
                push = Push::Narrow;
            ands << c.sql;
            out.binds << c.binds;
        }
        if (ands.isEmpty())
            return {}; // one alternative admits anything: nothing narrows the whole
        if (push == Push::Narrow)
            out.push = Push::Narrow;
        ors << u'(' + ands.join(QStringLiteral(" AND ")) + u')';
    }
    out.sql = ors.size() == 1 ? ors.front() : u'(' + ors.join(QStringLiteral(" OR ")) + u')';
    if (t.negate) {
        if (out.push != Push::Exact)
            return {};
        out.sql = QStringLiteral("NOT ifnull(") + out.sql + QStringLiteral(", 0)");
    }
    return out;
}

} // namespace kv::filtersql
