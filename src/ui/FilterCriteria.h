// FilterCriteria: the criteria engine behind the filter dialogs. A list of criteria, at most one
// per field of a StoreTable, each with a match kind, a value or a range, a case flag and a
// negation, turned into the table's record filter. Values are read in the user's locale: dates,
// times, numbers and Booleans are compared by value, text by its characters.
//
// Inside a value the words "or" and "and" combine several values for the field ("and" binds
// closer than "or"), and "null" stands for an empty field. A part in double quotes is taken as
// it is, so "\"rock and roll\"" looks for those three words.
#pragma once

#include "StoreTable.h"

#include <QList>
#include <QString>
#include <stdexcept>
#include <vector>

namespace kv {

enum class MatchKind { Start, Anywhere, Whole, End, Range };

/// One criterion of a filter.
struct Criterion
{
    QString fieldName;
    QString label; ///< the field's label as the user sees it
    MatchKind match = MatchKind::Start;
    QString value;        ///< for every kind but Range
    QString lower, upper; ///< for Range; an empty bound leaves that side open
    bool caseSensitive = false;
    bool negate = false; ///< inverts the match; not used with ranges

    bool operator==(const Criterion &) const = default;
};

/// A value or range the engine cannot read; the message names the field and the text.
class CriteriaError : public std::runtime_error
{
public:
    explicit CriteriaError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

/// The criteria list of one filter over one table, and the record filter it makes.
class FilterCriteria
{
public:
    explicit FilterCriteria(StoreTable *table = nullptr) : m_table(table) {}

    StoreTable *table() const { return m_table; }
    void setTable(StoreTable *table) { m_table = table; }

    const QList<Criterion> &criteria() const { return m_criteria; }
    int count() const { return int(m_criteria.size()); }
    bool isEmpty() const { return m_criteria.isEmpty(); }
    /// The criterion of a field (nullptr when it has none).
    const Criterion *find(const QString &fieldName) const;

    /// Replaces the list. A later criterion for a field replaces an earlier one; a criterion
    /// without any value is dropped. Throws CriteriaError (and keeps the old list) when a value
    /// cannot be read for its field's type or names a field the table does not have.
    void setCriteria(const QList<Criterion> &criteria);
    void clear();

    /// Checks one criterion against the table's field; throws CriteriaError.
    void validate(const Criterion &criterion) const;

    /// Whether the table's current record meets every criterion.
    bool matches(const StoreTable &table) const;
    /// The record filter: a copy of the compiled criteria, independent of this object.
    StoreTable::Predicate predicate() const;

    /// Switches the table's filter on with these criteria, or off when there are none. The
    /// table gets the criteria as filter terms, and a predicate for those it cannot decide.
    void apply() const;

    /// Whether a criterion holds anything to look for.
    static bool hasValue(const Criterion &c);

    struct Operand
    {
        bool isNull = false;
        QString text;      ///< strings (folded to lower case when the case does not count)
        double number = 0; ///< dates, times, numbers and Booleans (0/1)
    };
    struct Compiled
    {
        int fieldIndex = -1;
        FieldType type = FieldType::String;
        MatchKind match = MatchKind::Start;
        bool caseSensitive = false;
        bool negate = false;
        std::vector<std::vector<Operand>> anyOf; ///< or of ands
        bool hasLower = false, hasUpper = false;
        Operand lower, upper;
    };

private:
    Compiled compile(const Criterion &c) const;

    StoreTable *m_table = nullptr;
    QList<Criterion> m_criteria;
    std::vector<Compiled> m_compiled;
};

} // namespace kv
