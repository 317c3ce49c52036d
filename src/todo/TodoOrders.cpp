// The to-do list's orders and the task-search criterion.
#include "TodoOrders.h"

namespace kv {

const std::array<TodoOrder, 7> &todoOrders()
{
    static const std::array<TodoOrder, 7> orders = {{
        {QStringLiteral("DueDateInDateTime1"), QStringLiteral("Due Date, Priority, In Date/Time"),
         QStringLiteral("todo07"), QStringLiteral("(Ordered by Due Date, Priority, In Date/Time)"),
         QStringLiteral("due")},
        {QStringLiteral("PriorityInDateTime1"), QStringLiteral("Priority, In Date/Time"),
         QStringLiteral("todo01"), QStringLiteral("(Ordered by Priority, In Date/Time)"),
         QStringLiteral("priority")},
        {QStringLiteral("PriorityDoneDateTime1"), QStringLiteral("Priority, Done Date/Time"),
         QStringLiteral("todo06"), QStringLiteral("(Ordered by Priority, Done Date/Time)"),
         QStringLiteral("priority-done")},
        {QStringLiteral("InDateTime1"), QStringLiteral("In Date/Time"), QStringLiteral("todo02"),
         QStringLiteral("(Ordered by In Date/Time)"), QStringLiteral("in")},
        {QStringLiteral("DoneInDateTime1"), QStringLiteral("Done, In Date/Time"),
         QStringLiteral("todo04"), QStringLiteral("(Ordered by Done, In Date/Time)"),
         QStringLiteral("done-in")},
        {QStringLiteral("DoneDoneDateTime1"), QStringLiteral("Done, Done Date/Time"),
         QStringLiteral("todo03"), QStringLiteral("(Ordered by Done, Done Date/Time)"),
         QStringLiteral("done-done")},
        {QStringLiteral("Task"), QStringLiteral("Task, In Date/Time"), QStringLiteral("todo05"),
         QStringLiteral("(Ordered by Task, In Date/Time)"), QStringLiteral("task")},
    }};
    return orders;
}

int todoOrderOfIndex(const QString &indexName)
{
    const auto &orders = todoOrders();
    for (size_t i = 0; i < orders.size(); ++i)
        if (orders[i].index.compare(indexName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QString todoListSubtitle(const QString &indexName)
{
    const int position = todoOrderOfIndex(indexName);
    return todoOrders()[size_t(std::max(position, 0))].subtitle;
}

Criterion taskSearchCriterion(const QString &fieldName, const QString &label, const QString &value)
{
    Criterion c;
    c.fieldName = fieldName;
    c.label = label;
    c.match = MatchKind::Anywhere;
    // In double quotes the criteria engine takes the text literally. A text that holds a double
    // quote itself cannot be quoted and keeps the engine's reading.
    c.value = value.isEmpty() || value.contains(u'"') ? value : u'"' + value + u'"';
    c.caseSensitive = false;
    c.negate = false;
    return c;
}

} // namespace kv
