// ReportExpression: parsing and evaluation of report item expressions.
#include "ReportExpression.h"

#include "NumberMask.h"
#include "ReportDataSet.h"
#include "ReportError.h"

#include <QCoreApplication>

namespace kv {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("kv::ReportExpression", text);
}

[[noreturn]] void syntaxError(const QString &source, qsizetype position)
{
    throw ReportError(tr("Syntax error at position %1 in report expression \"%2\"")
                          .arg(position + 1)
                          .arg(source));
}

bool isNameStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

class Parser
{
public:
    explicit Parser(const QString &source) : m_s(source) {}

    std::vector<ReportExpression::Term> parse()
    {
        std::vector<ReportExpression::Term> terms;
        skipSpace();
        if (atEnd())
            return terms;
        terms.push_back(term());
        skipSpace();
        while (!atEnd()) {
            expect(u'+');
            skipSpace();
            terms.push_back(term());
            skipSpace();
        }
        return terms;
    }

private:
    using Term = ReportExpression::Term;

    bool atEnd() const { return m_pos >= m_s.size(); }
    QChar peek() const { return atEnd() ? QChar() : m_s.at(m_pos); }
    void skipSpace()
    {
        while (!atEnd() && peek().isSpace())
            ++m_pos;
    }
    void expect(QChar c)
    {
        if (peek() != c)
            syntaxError(m_s, m_pos);
        ++m_pos;
    }

    QString name()
    {
        if (!isNameStart(peek()))
            syntaxError(m_s, m_pos);
        const qsizetype start = m_pos;
        while (!atEnd() && isNameChar(peek()))
            ++m_pos;
        return m_s.mid(start, m_pos - start);
    }

    /// [table "."] name, the first name already read.
    Term field(const QString &firstName)
    {
        Term t;
        t.kind = Term::Kind::Field;
        if (peek() == u'.') {
            ++m_pos;
            t.table = firstName;
            t.value = name();
        } else {
            t.value = firstName;
        }
        return t;
    }

    Term term()
    {
        const QChar c = peek();
        if (c == u'\'' || c == u'"') {
            // A quote inside the text is written twice.
            ++m_pos;
            Term t;
            for (;;) {
                if (atEnd())
                    syntaxError(m_s, m_pos);
                const QChar ch = m_s.at(m_pos++);
                if (ch == c) {
                    if (peek() != c)
                        break;
                    ++m_pos;
                }
                t.value.append(ch);
            }
            return t;
        }
        const QString first = name();
        skipSpace();
        if (first.compare(QStringLiteral("SUM"), Qt::CaseInsensitive) == 0 && peek() == u'(') {
            ++m_pos;
            skipSpace();
            Term t = field(name());
            t.kind = Term::Kind::Sum;
            skipSpace();
            expect(u')');
            return t;
        }
        return field(first);
    }

    const QString &m_s;
    qsizetype m_pos = 0;
};

} // namespace

ReportExpression ReportExpression::parse(const QString &source)
{
    ReportExpression e;
    e.m_source = source;
    e.m_terms = Parser(source).parse();
    e.m_sums.assign(e.m_terms.size(), 0.0);
    for (const Term &t : e.m_terms)
        e.m_hasSums = e.m_hasSums || t.kind == Term::Kind::Sum;
    return e;
}

QString ReportExpression::singleField() const
{
    if (m_terms.size() == 1 && m_terms.front().kind == Term::Kind::Field)
        return m_terms.front().value;
    return {};
}

void ReportExpression::bind(const ReportDataSet &dataSet) const
{
    for (const Term &t : m_terms) {
        if (t.kind == Term::Kind::Text)
            continue;
        if (!t.table.isEmpty() && t.table.compare(dataSet.name(), Qt::CaseInsensitive) != 0)
            throw ReportError(
                tr("Unknown table \"%1\" in report expression \"%2\"").arg(t.table, m_source));
        if (!dataSet.hasField(t.value))
            throw ReportError(
                tr("Unknown field \"%1\" in report expression \"%2\"").arg(t.value, m_source));
    }
}

void ReportExpression::resetSums()
{
    std::fill(m_sums.begin(), m_sums.end(), 0.0);
}

void ReportExpression::accumulate(const ReportDataSet &dataSet)
{
    for (size_t i = 0; i < m_terms.size(); ++i)
        if (m_terms[i].kind == Term::Kind::Sum)
            m_sums[i] += dataSet.asFloat(m_terms[i].value);
}

QString ReportExpression::evaluate(const ReportDataSet &dataSet, const QString &mask,
                                   const QLocale &locale) const
{
    if (m_terms.size() == 1 && !mask.isEmpty()) {
        const Term &t = m_terms.front();
        if (t.kind == Term::Kind::Sum)
            return formatNumberMask(m_sums.front(), mask, locale);
        if (t.kind == Term::Kind::Field)
            return formatNumberMask(dataSet.asFloat(t.value), mask, locale);
    }
    QString text;
    for (size_t i = 0; i < m_terms.size(); ++i) {
        const Term &t = m_terms[i];
        switch (t.kind) {
        case Term::Kind::Text:
            text += t.value;
            break;
        case Term::Kind::Field:
            text += dataSet.displayText(t.value);
            break;
        case Term::Kind::Sum:
            text += formatNumberMask(m_sums[i], mask, locale);
            break;
        }
    }
    return text;
}

} // namespace kv
