// The to-do list's orders (each names an index of todo.DAT, each sorts as its caption says) and
// the task search's criterion over TBTodo, without a window.
#include "TodoOrders.h"
#include "TodoFixture.h"

#include "FilterCriteria.h"
#include "Schemas.h"

#include <QSet>

using namespace kv;
using namespace kv::test;
using namespace Qt::StringLiterals;

namespace {

class TodoOrders : public TodoFixture
{
protected:
    /// Four tasks whose orders all differ.
    void addFour()
    {
        const QDate d(2026, 3, 2);
        addTask({u"Write report"_s,
                 u"B"_s,
                 u"a"_s,
                 d.addDays(5),
                 false,
                 QDateTime(d, QTime(9, 0)),
                 {}});
        addTask({u"Call Bob"_s, u"A"_s, u"b"_s, d.addDays(9), true, QDateTime(d, QTime(8, 0)),
                 QDateTime(d.addDays(1), QTime(10, 0))});
        addTask({u"Buy paper"_s,
                 u"A"_s,
                 u"a"_s,
                 {},
                 true,
                 QDateTime(d.addDays(1), QTime(7, 0)),
                 QDateTime(d, QTime(12, 0))});
        addTask({u"Ask Ann"_s,
                 u"C"_s,
                 u"c"_s,
                 d.addDays(1),
                 false,
                 QDateTime(d.addDays(2), QTime(7, 0)),
                 {}});
    }
};

TEST_F(TodoOrders, EachOrderNamesAnIndexOfTheTableAndOnlyTheFirstIsTheDefault)
{
    QSet<QString> indexes, items;
    const TableSchema schema = schemas::todo();
    for (const TodoOrder &o : todoOrders()) {
        bool found = false;
        for (const auto &index : schema.indexes)
            found = found || index.name == o.index;
        EXPECT_TRUE(found) << o.index.toStdString();
        EXPECT_EQ(o.subtitle, u"(Ordered by "_s + o.caption + u")"_s);
        indexes.insert(o.index);
        items.insert(o.menuItem);
    }
    EXPECT_EQ(indexes.size(), 7);
    EXPECT_EQ(items.size(), 7);
    EXPECT_EQ(todoOrders().front().index, u"todo07"_s);
    EXPECT_EQ(todoOrders()[2].caption, u"Priority, Done Date/Time"_s);
    EXPECT_EQ(todoListSubtitle(u"todo06"_s), u"(Ordered by Priority, Done Date/Time)"_s);
    // An index without a subtitle of its own prints the due-date order's.
    EXPECT_EQ(todoListSubtitle(u"primary"_s), u"(Ordered by Due Date, Priority, In Date/Time)"_s);
    EXPECT_EQ(todoListSubtitle(QString()), u"(Ordered by Due Date, Priority, In Date/Time)"_s);
}

TEST_F(TodoOrders, EachIndexSortsTheTasksAsItsCaptionSays)
{
    addFour();
    const QMap<QString, QStringList> expected = {
        // An empty due date sorts first.
        {u"todo07"_s, {u"Buy paper"_s, u"Ask Ann"_s, u"Write report"_s, u"Call Bob"_s}},
        {u"todo01"_s, {u"Buy paper"_s, u"Call Bob"_s, u"Write report"_s, u"Ask Ann"_s}},
        {u"todo06"_s, {u"Buy paper"_s, u"Call Bob"_s, u"Write report"_s, u"Ask Ann"_s}},
        {u"todo02"_s, {u"Call Bob"_s, u"Write report"_s, u"Buy paper"_s, u"Ask Ann"_s}},
        {u"todo04"_s, {u"Write report"_s, u"Ask Ann"_s, u"Call Bob"_s, u"Buy paper"_s}},
        {u"todo03"_s, {u"Write report"_s, u"Ask Ann"_s, u"Buy paper"_s, u"Call Bob"_s}},
        {u"todo05"_s, {u"Ask Ann"_s, u"Buy paper"_s, u"Call Bob"_s, u"Write report"_s}},
    };
    for (const TodoOrder &o : todoOrders()) {
        dm->TBTodo->setIndexName(o.index);
        EXPECT_EQ(tasks(), expected.value(o.index)) << o.index.toStdString();
    }
}

TEST_F(TodoOrders, TheSearchFindsTheTextAnywhereWhateverTheCaseAndTakesItLiterally)
{
    for (const QString &text : {u"Call Bob"_s, u"recall the CALLER"_s, u"black and white"_s,
                                u"white"_s, u"null"_s, u"email Ann"_s})
        addTask({text, {}, {}, {}, false, {}, {}});
    addTask({QString(), {}, {}, {}, false, {}, {}});
    FilterCriteria criteria(dm->TBTodo);
    auto search = [&](const QString &value) {
        criteria.setCriteria({taskSearchCriterion(u"Task"_s, u"Task"_s, value)});
        criteria.apply();
        QStringList found = tasks();
        found.sort();
        return found;
    };
    EXPECT_EQ(search(u"cALL"_s), (QStringList{u"Call Bob"_s, u"recall the CALLER"_s}));
    // "and", "or" and "null" are part of the text looked for, not operators.
    EXPECT_EQ(search(u"black and white"_s), QStringList{u"black and white"_s});
    EXPECT_EQ(search(u"bob or ann"_s), QStringList());
    EXPECT_EQ(search(u"NULL"_s), QStringList{u"null"_s});
    EXPECT_EQ(search(u"l A"_s), QStringList{u"email Ann"_s});

    const Criterion c = taskSearchCriterion(u"Task"_s, u"Task"_s, u"x"_s);
    EXPECT_EQ(c.match, MatchKind::Anywhere);
    EXPECT_FALSE(c.caseSensitive);
    EXPECT_FALSE(c.negate);
    EXPECT_EQ(c.label, u"Task"_s);
}

} // namespace
