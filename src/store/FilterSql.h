// FilterSql: a record filter's terms turned into SQL conditions over a table's columns, as far
// as SQL can decide them with the criteria engine's meaning.
#pragma once

#include "StoreTable.h"

#include <QString>
#include <QVariantList>

namespace kv::filtersql {

/// How far a condition decides its term: not at all (no condition), by narrowing (every record
/// the term accepts meets the condition, the rest is still checked) or exactly.
enum class Push { None, Narrow, Exact };

struct Condition
{
    Push push = Push::None;
    QString sql;        ///< a condition over the column; empty when push is None
    QVariantList binds; ///< its parameters in order
};

/// The condition for `term` over the column named `column` (quoted) of a field of `type`.
Condition forTerm(const FilterTerm &term, const QString &column, FieldType type);

} // namespace kv::filtersql
