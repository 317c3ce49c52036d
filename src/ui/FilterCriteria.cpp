// FilterCriteria: reading the criteria into a compiled form once, and matching records with it.
//
// Fields that are not text (dates, times, numbers, Booleans) have no "start" or "end": every
// match kind but Range compares them whole, by value. A field without a value reads as the type
// reads it (false, 0) for Booleans and numbers; a date or time without one matches only "null".
#include "FilterCriteria.h"

#include "DateTime.h"
#include "FormatSettings.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("kv::FilterCriteria", text);
}

bool isText(FieldType t)
{
    return t == FieldType::String || t == FieldType::Memo;
}

/// One word of a value: a keyword or a piece of text.
struct Token
{
    enum Kind { Text, Or, And, Null } kind = Text;
    QString text;
    qsizetype begin = 0, end = 0; ///< in the value, for joining neighbouring words
};

std::vector<Token> tokenize(const QString &value)
{
    static const QRegularExpression word(QStringLiteral(R"("[^"]*"?|\S+)"));
    std::vector<Token> tokens;
    for (auto it = word.globalMatch(value); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        Token t;
        t.begin = m.capturedStart();
        t.end = m.capturedEnd();
        const QString w = m.captured();
        if (w.startsWith(u'"')) {
            t.text = w.mid(1, w.endsWith(u'"') && w.size() > 1 ? w.size() - 2 : -1);
        } else if (w.compare(QLatin1String("or"), Qt::CaseInsensitive) == 0) {
            t.kind = Token::Or;
        } else if (w.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0) {
            t.kind = Token::And;
        } else if (w.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0) {
            t.kind = Token::Null;
        } else {
            t.text = w;
        }
        tokens.push_back(t);
    }
    return tokens;
}

std::optional<double> parseBoolean(const QString &text)
{
    const QString t = text.trimmed().toLower();
    static const QStringList yes{QStringLiteral("true"), QStringLiteral("yes"),
                                 QStringLiteral("t"),    QStringLiteral("y"),
                                 QStringLiteral("1"),    QStringLiteral("on")};
    static const QStringList no{QStringLiteral("false"), QStringLiteral("no"),
                                QStringLiteral("f"),     QStringLiteral("n"),
                                QStringLiteral("0"),     QStringLiteral("off")};
    if (yes.contains(t))
        return 1.0;
    if (no.contains(t))
        return 0.0;
    return std::nullopt;
}

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    if (ok)
        return v;
    return FormatSettings::instance().parseFloat(text.trimmed());
}

/// A value of a field of `type` read from the user's text; nothing when it is not one.
std::optional<double> parseTyped(FieldType type, const QString &text)
{
    const FormatSettings &fs = FormatSettings::instance();
    switch (type) {
    case FieldType::Date:
        return fs.parseDate(text.trimmed());
    case FieldType::Time:
        return fs.parseTime(text.trimmed());
    case FieldType::Boolean:
        return parseBoolean(text);
    default:
        return parseNumber(text);
    }
}

QString typeWord(FieldType type)
{
    switch (type) {
    case FieldType::Date:
        return tr("a date");
    case FieldType::Time:
        return tr("a time of day");
    case FieldType::Boolean:
        return tr("True or False");
    default:
        return tr("a number");
    }
}

/// Whether two values of a field of `type` are the same value (the store decides it the same
/// way when it reads the filter).
bool sameValue(FieldType type, double a, double b)
{
    return FilterTerm::sameValue(type, a, b);
}

double typedValue(const Field &f)
{
    switch (f.dataType()) {
    case FieldType::Boolean:
        return f.asBoolean() ? 1.0 : 0.0;
    case FieldType::Date:
    case FieldType::Time:
        return f.asDateTime();
    default:
        return f.asFloat();
    }
}

bool operandMatches(const FilterCriteria::Compiled &c, const Field &f,
                    const FilterCriteria::Operand &op)
{
    if (op.isNull)
        return f.isNull();
    if (isText(c.type)) {
        const QString s = f.asString();
        const Qt::CaseSensitivity cs = c.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
        switch (c.match) {
        case MatchKind::Start:
            return s.startsWith(op.text, cs);
        case MatchKind::Anywhere:
            return s.contains(op.text, cs);
        case MatchKind::End:
            return s.endsWith(op.text, cs);
        default:
            return s.compare(op.text, cs) == 0;
        }
    }
    if (f.isNull() && (c.type == FieldType::Date || c.type == FieldType::Time))
        return false;
    return sameValue(c.type, typedValue(f), op.number);
}

bool compiledMatches(const FilterCriteria::Compiled &c, const StoreTable &table)
{
    const Field &f = *table.fields()[size_t(c.fieldIndex)];
    bool result = false;
    if (c.match == MatchKind::Range) {
        if (isText(c.type)) {
            const QString s = f.asString();
            const Qt::CaseSensitivity cs =
                c.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
            result = (!c.hasLower || s.compare(c.lower.text, cs) >= 0) &&
                     (!c.hasUpper || s.compare(c.upper.text, cs) <= 0);
        } else if (f.isNull() && (c.type == FieldType::Date || c.type == FieldType::Time)) {
            result = false;
        } else {
            const double v = typedValue(f);
            result = (!c.hasLower || v >= c.lower.number || sameValue(c.type, v, c.lower.number)) &&
                     (!c.hasUpper || v <= c.upper.number || sameValue(c.type, v, c.upper.number));
        }
        return result; // a range is never negated
    }
    for (const std::vector<FilterCriteria::Operand> &all : c.anyOf) {
        bool every = true;
        for (const FilterCriteria::Operand &op : all)
            if (!operandMatches(c, f, op)) {
                every = false;
                break;
            }
        if (every) {
            result = true;
            break;
        }
    }
    return c.negate ? !result : result;
}

FilterTerm::Operand termOperand(const FilterCriteria::Operand &op)
{
    return FilterTerm::Operand{op.isNull, op.text, op.number};
}

/// The criterion as the store reads it.
FilterTerm termOf(const FilterCriteria::Compiled &c, const StoreTable &table)
{
    FilterTerm t;
    t.fieldName = table.fields()[size_t(c.fieldIndex)]->fieldName();
    t.match = FilterTerm::Match(int(c.match));
    t.caseSensitive = c.caseSensitive;
    t.negate = c.negate;
    for (const std::vector<FilterCriteria::Operand> &all : c.anyOf) {
        std::vector<FilterTerm::Operand> ops;
        for (const FilterCriteria::Operand &op : all)
            ops.push_back(termOperand(op));
        t.anyOf.push_back(std::move(ops));
    }
    t.hasLower = c.hasLower;
    t.hasUpper = c.hasUpper;
    t.lower = termOperand(c.lower);
    t.upper = termOperand(c.upper);
    return t;
}

static_assert(int(MatchKind::Start) == int(FilterTerm::Match::Start) &&
              int(MatchKind::Anywhere) == int(FilterTerm::Match::Anywhere) &&
              int(MatchKind::Whole) == int(FilterTerm::Match::Whole) &&
              int(MatchKind::End) == int(FilterTerm::Match::End) &&
              int(MatchKind::Range) == int(FilterTerm::Match::Range));

} // namespace

const Criterion *FilterCriteria::find(const QString &fieldName) const
{
    for (const Criterion &c : m_criteria)
        if (c.fieldName.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

bool FilterCriteria::hasValue(const Criterion &c)
{
    if (c.match == MatchKind::Range)
        return !c.lower.trimmed().isEmpty() || !c.upper.trimmed().isEmpty();
    return !c.value.trimmed().isEmpty();
}

FilterCriteria::Compiled FilterCriteria::compile(const Criterion &c) const
{
    if (!m_table)
        throw CriteriaError(tr("The filter has no table."));
    const Field *f = m_table->findField(c.fieldName);
    if (!f)
        throw CriteriaError(tr("The table has no field '%1'.").arg(c.fieldName));
    const QString label = c.label.isEmpty() ? f->displayLabel() : c.label;
    Compiled out;
    out.fieldIndex = f->index();
    out.type = f->dataType();
    out.match = c.match;
    out.caseSensitive = c.caseSensitive;
    out.negate = c.negate && c.match != MatchKind::Range;

    auto operand = [&](const QString &text) {
        Operand op;
        if (isText(out.type)) {
            op.text = text;
            return op;
        }
        const std::optional<double> v = parseTyped(out.type, text);
        if (!v)
            throw CriteriaError(
                tr("\"%1\" is not %2, as %3 needs.").arg(text, typeWord(out.type), label));
        op.number = *v;
        return op;
    };

    if (c.match == MatchKind::Range) {
        if (!c.lower.trimmed().isEmpty()) {
            out.hasLower = true;
            out.lower = operand(isText(out.type) ? c.lower : c.lower.trimmed());
        }
        if (!c.upper.trimmed().isEmpty()) {
            out.hasUpper = true;
            out.upper = operand(isText(out.type) ? c.upper : c.upper.trimmed());
        }
        if (!out.hasLower && !out.hasUpper)
            throw CriteriaError(
                tr("The range of %1 has neither a lower nor an upper bound.").arg(label));
        if (out.hasLower && out.hasUpper) {
            const bool reversed =
                isText(out.type) ? out.lower.text.compare(out.upper.text,
                                                          c.caseSensitive ? Qt::CaseSensitive
                                                                          : Qt::CaseInsensitive) > 0
                                 : out.lower.number > out.upper.number;
            if (reversed)
                throw CriteriaError(tr("The range of %1 starts after it ends: \"%2\" to \"%3\".")
                                        .arg(label, c.lower, c.upper));
        }
        return out;
    }

    // value := term { "or" term };  term := operand { "and" operand }
    const std::vector<Token> tokens = tokenize(c.value);
    std::vector<Operand> all;
    bool expectOperand = true;
    QString pending; // neighbouring words of one text operand
    qsizetype pendingEnd = -1;
    auto flush = [&] {
        if (pendingEnd < 0)
            return;
        all.push_back(operand(pending));
        pending.clear();
        pendingEnd = -1;
        expectOperand = false;
    };
    auto misplaced = [&](const QString &word) {
        return CriteriaError(tr("In the value of %1, \"%2\" needs a value on both sides: %3")
                                 .arg(label, word, c.value.trimmed()));
    };
    for (const Token &t : tokens) {
        switch (t.kind) {
        case Token::Text:
            if (!expectOperand && pendingEnd < 0)
                throw CriteriaError(tr("In the value of %1, \"null\" stands alone: join it to the "
                                       "other values with \"or\" or \"and\": %2")
                                        .arg(label, c.value.trimmed()));
            // Words typed next to each other are one text, spaces kept as typed.
            if (pendingEnd >= 0)
                pending += c.value.mid(pendingEnd, t.begin - pendingEnd);
            pending += t.text;
            pendingEnd = t.end;
            break;
        case Token::Null:
            if (pendingEnd >= 0 || !expectOperand)
                throw CriteriaError(tr("In the value of %1, \"null\" stands alone: join it to the "
                                       "other values with \"or\" or \"and\": %2")
                                        .arg(label, c.value.trimmed()));
            all.push_back(Operand{true, QString(), 0});
            expectOperand = false;
            break;
        case Token::Or:
        case Token::And:
            flush();
            if (expectOperand)
                throw misplaced(t.kind == Token::Or ? QStringLiteral("or") : QStringLiteral("and"));
            if (t.kind == Token::Or) {
                out.anyOf.push_back(std::move(all));
                all.clear();
            }
            expectOperand = true;
            break;
        }
    }
    flush();
    if (expectOperand)
        throw misplaced(tokens.empty() || tokens.back().kind == Token::Or ? QStringLiteral("or")
                                                                          : QStringLiteral("and"));
    out.anyOf.push_back(std::move(all));
    return out;
}

void FilterCriteria::validate(const Criterion &criterion) const
{
    if (hasValue(criterion))
        compile(criterion);
}

void FilterCriteria::setCriteria(const QList<Criterion> &criteria)
{
    QList<Criterion> kept;
    for (const Criterion &c : criteria) {
        if (!hasValue(c))
            continue;
        bool replaced = false;
        for (Criterion &k : kept)
            if (k.fieldName.compare(c.fieldName, Qt::CaseInsensitive) == 0) {
                k = c;
                replaced = true;
            }
        if (!replaced)
            kept << c;
    }
    std::vector<Compiled> compiled;
    for (const Criterion &c : kept)
        compiled.push_back(compile(c));
    m_criteria = kept;
    m_compiled = std::move(compiled);
}

void FilterCriteria::clear()
{
    m_criteria.clear();
    m_compiled.clear();
}

bool FilterCriteria::matches(const StoreTable &table) const
{
    for (const Compiled &c : m_compiled)
        if (!compiledMatches(c, table))
            return false;
    return true;
}

StoreTable::Predicate FilterCriteria::predicate() const
{
    return [compiled = m_compiled](const StoreTable &table) {
        for (const Compiled &c : compiled)
            if (!compiledMatches(c, table))
                return false;
        return true;
    };
}

void FilterCriteria::apply() const
{
    if (!m_table)
        return;
    if (m_criteria.isEmpty()) {
        m_table->setFiltered(false);
        m_table->setFilter(nullptr);
        return;
    }
    // The store reads every criterion and decides what it can in SQL; the predicate checks only
    // the criteria it cannot decide exactly.
    std::vector<FilterTerm> terms;
    std::vector<Compiled> rest;
    for (const Compiled &c : m_compiled) {
        terms.push_back(termOf(c, *m_table));
        if (!m_table->decidesExactly(terms.back()))
            rest.push_back(c);
    }
    StoreTable::Predicate residual;
    if (!rest.empty())
        residual = [rest = std::move(rest)](const StoreTable &table) {
            for (const Compiled &c : rest)
                if (!compiledMatches(c, table))
                    return false;
            return true;
        };
    m_table->setFilter(std::move(residual), std::move(terms));
    m_table->setFiltered(true);
}

} // namespace kv
