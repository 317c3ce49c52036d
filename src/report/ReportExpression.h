// ReportExpression: the expressions of report items: field references "TBInout.Hours",
// quoted texts, "+" to join texts, and SUM(table.field) over the records printed so far.
#pragma once

#include <QLocale>
#include <QString>
#include <vector>

namespace kv {

class ReportDataSet;

/// A parsed expression. Grammar:
///     expression := term { "+" term }
///     term       := field | 'text' | "text" | SUM "(" field ")"
///     field      := [table "."] name
/// "+" joins the texts of its terms: a field gives its display text, a SUM its value through
/// the item's mask. An expression that is a single field or a single SUM is numeric: the
/// mask formats its value instead.
///
/// Each SUM keeps its running total here; the report adds the current record to it once per
/// printed detail line and clears it after printing when the item asks for that.
class ReportExpression
{
public:
    struct Term
    {
        enum class Kind { Text, Field, Sum };
        Kind kind = Kind::Text;
        QString value; ///< the text, or the field name without its table
        QString table; ///< table written before the dot, empty when none
    };

    ReportExpression() = default;
    /// Parses @p source; throws ReportError naming the expression on a syntax error.
    static ReportExpression parse(const QString &source);

    const QString &source() const { return m_source; }
    bool isEmpty() const { return m_terms.empty(); }
    const std::vector<Term> &terms() const { return m_terms; }
    bool hasSums() const { return m_hasSums; }
    /// Field name when the expression is a single field reference, else empty.
    QString singleField() const;

    /// Throws ReportError when a term names another table or a field @p dataSet lacks.
    void bind(const ReportDataSet &dataSet) const;

    void resetSums();
    /// Adds the current record of @p dataSet to every SUM of the expression.
    void accumulate(const ReportDataSet &dataSet);
    /// Text of the expression for the current record; @p mask formats numbers.
    QString evaluate(const ReportDataSet &dataSet, const QString &mask,
                     const QLocale &locale) const;

private:
    QString m_source;
    std::vector<Term> m_terms;
    std::vector<double> m_sums; ///< one per term, used by SUM terms
    bool m_hasSums = false;
};

} // namespace kv
