// TodoOrders: the seven orders of the to-do list (menu item, caption, index, printed subtitle)
// and the criterion of the task search, kept apart from the window so that the report, the
// command line and tests share them.
#pragma once

#include "FilterCriteria.h"

#include <QString>
#include <array>

namespace kv {

/// One sort order of the to-do list.
struct TodoOrder
{
    QString menuItem; ///< object name of its item in the sort menu
    QString caption;  ///< the item's text, also shown by the order line
    QString index;    ///< index of TBTodo
    QString subtitle; ///< subtitle of the printed list
    QString option;   ///< the word that names it on the command line
};

/// The orders in menu order; position 0 (todo07) is the order at start.
const std::array<TodoOrder, 7> &todoOrders();

/// Position of the order that uses @p indexName, -1 when none does.
int todoOrderOfIndex(const QString &indexName);

/// Subtitle of the printed list for the active index of TBTodo; an index without a subtitle of
/// its own (todo07 among them) gives the subtitle of the due-date order.
QString todoListSubtitle(const QString &indexName);

/// The criterion of the task search: on Task, labelled @p label, matching @p value anywhere in
/// the field regardless of letter case, not negated. The text is looked for as it is typed: the
/// words "or", "and" and "null" in it are no operators.
Criterion taskSearchCriterion(const QString &fieldName, const QString &label, const QString &value);

} // namespace kv
