// Tests of the cursor: moves, end of table, filter, index order, find by key, null keys,
// bookmarks, bound-control signals, two table objects over one file, totals.
#include "StoreBatch.h"
#include "StoreTestSupport.h"

#include <QSignalSpy>

using namespace kv;
using namespace kv::test;

namespace {

class StoreCursorTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_t = makeTimeLog(folder());
        m_t->open();
    }
    QString client() const { return m_t->fieldByName(QStringLiteral("CustName")).asString(); }
    int day() const { return m_t->fieldByName(QStringLiteral("WDate")).asInteger(); }
    /// Clients in view order, walking forward from first().
    QStringList clientsForward()
    {
        QStringList out;
        for (m_t->first(); !m_t->eof(); m_t->next())
            out << client();
        return out;
    }
    void addThree()
    {
        addTime(*m_t, 45002, QStringLiteral("Cee"), QStringLiteral("Dev"), 9, 10);
        addTime(*m_t, 45000, QStringLiteral("Bee"), QStringLiteral("Ops"), 9, 10);
        addTime(*m_t, 45001, QStringLiteral("Ay"), QStringLiteral("Dev"), 9, 10);
    }

    std::unique_ptr<StoreTable> m_t;
};

TEST_F(StoreCursorTest, EmptyTableIsAtBothEnds)
{
    EXPECT_TRUE(m_t->isEmpty());
    EXPECT_TRUE(m_t->eof());
    EXPECT_TRUE(m_t->bof());
    m_t->next();
    m_t->last();
    EXPECT_TRUE(m_t->eof());
    EXPECT_EQ(m_t->currentRowId(), 0);
    EXPECT_EQ(m_t->getBookmark(), 0);
}

TEST_F(StoreCursorTest, MovesFollowTheIndexAndStopAtTheEnds)
{
    addThree();
    EXPECT_EQ(clientsForward(),
              (QStringList{QStringLiteral("Bee"), QStringLiteral("Ay"), QStringLiteral("Cee")}));
    EXPECT_EQ(client(), QStringLiteral("Cee")); // next from the last keeps the last record
    EXPECT_TRUE(m_t->eof());
    m_t->prior();
    EXPECT_EQ(client(), QStringLiteral("Ay"));
    EXPECT_FALSE(m_t->eof());
    m_t->prior();
    m_t->prior();
    EXPECT_EQ(client(), QStringLiteral("Bee"));
    EXPECT_TRUE(m_t->bof());
    m_t->last();
    EXPECT_EQ(client(), QStringLiteral("Cee"));
    EXPECT_FALSE(m_t->eof());
}

TEST_F(StoreCursorTest, LongWalksCrossReadAheadBatchesBothWays)
{
    constexpr int kRecords = 700;
    {
        StoreBatch batch(*m_t);
        for (int i = 0; i < kRecords; ++i) // days in a scrambled order
            addTime(*m_t, 40000 + (i * 337) % kRecords, QStringLiteral("C"), QStringLiteral("J"), 8,
                    9);
        batch.commit();
    }
    int count = 0, previous = -1;
    for (m_t->first(); !m_t->eof(); m_t->next(), ++count) {
        EXPECT_GT(day(), previous);
        previous = day();
    }
    EXPECT_EQ(count, kRecords);
    count = 0;
    for (m_t->last(); !m_t->bof(); m_t->prior())
        ++count;
    EXPECT_EQ(count, kRecords);
    EXPECT_EQ(day(), 40000);
}

TEST_F(StoreCursorTest, MovesSeeRecordsAnotherObjectPostedMeanwhile)
{
    addThree();
    m_t->first();
    m_t->next(); // read-ahead now holds "Cee"
    auto other = makeTimeLog(folder(), QStringLiteral("Other"));
    other->open();
    addTime(*other, 45001, QStringLiteral("Az"), QStringLiteral("Dev"), 9, 10);
    m_t->next();
    EXPECT_EQ(client(), QStringLiteral("Az"));
}

TEST_F(StoreCursorTest, FilterHidesRecordsFromEveryMove)
{
    addThree();
    addTime(*m_t, 45003, QStringLiteral("Dee"), QStringLiteral("Ops"), 9, 10);
    m_t->setFilter([](const StoreTable &t) {
        return t.fieldByName(QStringLiteral("JobDes")).asString() == u"Dev";
    });
    m_t->setFiltered(true);
    EXPECT_EQ(clientsForward(), (QStringList{QStringLiteral("Ay"), QStringLiteral("Cee")}));
    m_t->last();
    EXPECT_EQ(client(), QStringLiteral("Cee"));
    m_t->prior();
    m_t->prior();
    EXPECT_EQ(client(), QStringLiteral("Ay"));
    EXPECT_TRUE(m_t->bof());
    EXPECT_DOUBLE_EQ(m_t->sumOfField(QStringLiteral("Hours")), 2.0);

    m_t->setFilter([](const StoreTable &) { return false; });
    EXPECT_TRUE(m_t->isEmpty());
    EXPECT_TRUE(m_t->eof());
    m_t->setFiltered(false);
    EXPECT_EQ(clientsForward().size(), 4);
    EXPECT_DOUBLE_EQ(m_t->sumOfField(QStringLiteral("Hours")), 4.0);
}

TEST_F(StoreCursorTest, SwitchingTheIndexKeepsTheRecordAndChangesTheOrder)
{
    addThree();
    m_t->first(); // Bee
    m_t->setIndexName(QStringLiteral("Tinout02"));
    EXPECT_EQ(client(), QStringLiteral("Bee"));
    EXPECT_EQ(m_t->indexFieldNames(),
              (QStringList{QStringLiteral("CustName"), QStringLiteral("WDate"),
                           QStringLiteral("TimeIn"), QStringLiteral("TimeOut")}));
    m_t->next();
    EXPECT_EQ(client(), QStringLiteral("Cee"));
    EXPECT_EQ(clientsForward(),
              (QStringList{QStringLiteral("Ay"), QStringLiteral("Bee"), QStringLiteral("Cee")}));
    m_t->setIndexName(QString()); // primary: order of posting
    EXPECT_EQ(clientsForward(),
              (QStringList{QStringLiteral("Cee"), QStringLiteral("Bee"), QStringLiteral("Ay")}));

    const StoreError e = storeError([&] { m_t->setIndexName(QStringLiteral("Tinout09")); });
    EXPECT_EQ(e.code(), StoreError::kUnknownIndex);
    EXPECT_TRUE(e.message().contains(QStringLiteral("Tinout09")));
    EXPECT_TRUE(e.message().contains(pathOf(QStringLiteral("Tinout201.DAT"))));
    EXPECT_EQ(m_t->indexName(), QString());
}

TEST_F(StoreCursorTest, MovesUseTheIndex)
{
    const QString plan = m_t->moveQueryPlan();
    EXPECT_TRUE(plan.contains(QStringLiteral("INDEX Tinout01"))) << plan.toStdString();
    EXPECT_FALSE(plan.contains(QStringLiteral("TEMP B-TREE"))) << plan.toStdString();
}

TEST_F(StoreCursorTest, FindKeyOnLeadingFieldsAndNotFoundKeepsTheCursor)
{
    addThree();
    addTime(*m_t, 44999, QStringLiteral("Bee"), QStringLiteral("Dev"), 7, 8);
    m_t->setIndexName(QStringLiteral("Tinout02"));        // four key fields
    ASSERT_TRUE(m_t->findKey({QStringLiteral("Bee  ")})); // written form: trailing blanks go
    EXPECT_EQ(day(), 44999);                              // the first "Bee" in index order

    m_t->last();
    const qint64 before = m_t->currentRowId();
    EXPECT_FALSE(m_t->findKey({QStringLiteral("bee")})); // keys compare letter case exactly
    EXPECT_EQ(m_t->currentRowId(), before);

    m_t->setIndexName(QStringLiteral("Tinout01"));
    ASSERT_TRUE(m_t->findKey(
        {45001.0, QStringLiteral("Ay"), QStringLiteral("Dev"), 9 * dt::kHour, 10 * dt::kHour}));
    EXPECT_EQ(client(), QStringLiteral("Ay"));
    EXPECT_FALSE(m_t->findKey(
        {45001.0, QStringLiteral("Ay"), QStringLiteral("Dev"), 9 * dt::kHour, 11 * dt::kHour}));
    EXPECT_EQ(storeError([&] {
                  m_t->findKey({1, 2, 3, 4, 5, 6});
              }).code(),
              StoreError::kInvalidOperation);
}

TEST_F(StoreCursorTest, NullKeysSortFirstAndAreVisitedBothWays)
{
    auto todo = makeTodo(folder());
    todo->open();
    struct Task
    {
        QVariant due;
        QVariant major;
        const char *task;
    };
    const Task tasks[] = {
        {45001, QStringLiteral("B"), "t4"}, {QVariant(), QStringLiteral("A"), "t2"},
        {45001, QVariant(), "t3"},          {QVariant(), QVariant(), "t1"},
        {45002, QStringLiteral("A"), "t6"}, {45001, QStringLiteral("B"), "t5"},
    };
    for (const Task &t : tasks) {
        todo->insert();
        todo->fieldByName(QStringLiteral("DueDate")).setValue(t.due);
        todo->fieldByName(QStringLiteral("PriMajor")).setValue(t.major);
        todo->fieldByName(QStringLiteral("Task")).setAsString(QString::fromUtf8(t.task));
        todo->post();
    }
    auto task = [&] { return todo->fieldByName(QStringLiteral("Task")).asString(); };
    QStringList forward, backward;
    for (todo->first(); !todo->eof(); todo->next())
        forward << task();
    for (todo->last(); !todo->bof(); todo->prior())
        backward << task();
    const QStringList expected{QStringLiteral("t1"), QStringLiteral("t2"), QStringLiteral("t3"),
                               QStringLiteral("t4"), QStringLiteral("t5"), QStringLiteral("t6")};
    EXPECT_EQ(forward, expected);
    std::reverse(backward.begin(), backward.end());
    EXPECT_EQ(backward, expected);
    ASSERT_TRUE(todo->findKey({QVariant(), QStringLiteral("A")}));
    EXPECT_EQ(task(), QStringLiteral("t2"));
}

TEST_F(StoreCursorTest, BookmarksReturnToRecordsAndRefuseDeletedOnes)
{
    addThree();
    m_t->first();
    m_t->next();
    const StoreTable::Bookmark mark = m_t->getBookmark();
    m_t->last();
    m_t->gotoBookmark(mark);
    EXPECT_EQ(client(), QStringLiteral("Ay"));
    EXPECT_TRUE(m_t->bookmarkValid(mark));
    m_t->deleteRecord();
    EXPECT_FALSE(m_t->bookmarkValid(mark));
    const StoreError e = storeError([&] { m_t->gotoBookmark(mark); });
    EXPECT_EQ(e.code(), StoreError::kRecordDeleted);
    EXPECT_TRUE(e.message().contains(pathOf(QStringLiteral("Tinout201.DAT"))));
    m_t->freeBookmark(mark);
}

TEST_F(StoreCursorTest, DisabledControlsHearNothingUntilTheLastEnable)
{
    addThree();
    QSignalSpy records(m_t.get(), &StoreTable::recordChanged);
    QSignalSpy fields(m_t.get(), &StoreTable::fieldChanged);
    QSignalSpy states(m_t.get(), &StoreTable::stateChanged);
    QSignalSpy data(m_t.get(), &StoreTable::dataChanged);
    m_t->disableControls();
    m_t->disableControls();
    for (m_t->first(); !m_t->eof(); m_t->next()) {
        m_t->edit();
        m_t->fieldByName(QStringLiteral("TaskDes")).setAsString(QStringLiteral("x"));
        m_t->post();
    }
    m_t->enableControls();
    EXPECT_TRUE(m_t->controlsDisabled());
    EXPECT_EQ(records.count() + fields.count() + states.count() + data.count(), 0);
    m_t->enableControls();
    EXPECT_FALSE(m_t->controlsDisabled());
    EXPECT_EQ(data.count(), 1);
    m_t->enableControls(); // one too many does nothing
    EXPECT_EQ(data.count(), 1);
    m_t->first();
    EXPECT_EQ(records.count(), 1);
}

TEST_F(StoreCursorTest, TwoObjectsOverOneFileSeeEachOthersPostsAfterRefresh)
{
    auto cust = makeCustomers(folder());
    auto list = makeCustomers(folder(), QStringLiteral("TBCustList"), false);
    cust->open();
    list->setIndexName(QStringLiteral("Custom01"));
    list->open();
    addCustomer(*cust, QStringLiteral("Zeta"), QStringLiteral("1"));
    EXPECT_TRUE(list->isEmpty());
    list->refresh();
    EXPECT_EQ(list->fieldByName(QStringLiteral("CustName")).asString(), QStringLiteral("Zeta"));

    addCustomer(*cust, QStringLiteral("Alpha"), QStringLiteral("2"));
    list->refresh(); // stays on Zeta, Alpha now comes before it
    EXPECT_EQ(list->fieldByName(QStringLiteral("CustName")).asString(), QStringLiteral("Zeta"));
    list->first();
    EXPECT_EQ(list->fieldByName(QStringLiteral("CustName")).asString(), QStringLiteral("Alpha"));

    // The list edits a record; the full object keeps its other fields.
    cust->edit();
    cust->fieldByName(QStringLiteral("City")).setAsString(QStringLiteral("Graz"));
    cust->post();
    list->edit();
    list->fieldByName(QStringLiteral("CustName")).setAsString(QStringLiteral("Alpha Ltd"));
    list->post();
    cust->refresh();
    EXPECT_EQ(cust->fieldByName(QStringLiteral("CustName")).asString(),
              QStringLiteral("Alpha Ltd"));
    EXPECT_EQ(cust->fieldByName(QStringLiteral("City")).asString(), QStringLiteral("Graz"));

    // A record deleted through one object: the other's refresh moves on to the following one.
    list->first();
    cust->setIndexName(QStringLiteral("Custom01"));
    cust->first();
    list->deleteRecord();
    cust->refresh();
    EXPECT_EQ(cust->fieldByName(QStringLiteral("CustName")).asString(), QStringLiteral("Zeta"));
}

} // namespace
