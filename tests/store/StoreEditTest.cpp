// Tests of editing: insert, edit, post with its checks and rules, cancel, delete, the
// pending-edit rule, key violations, picture masks at post, and batches.
#include "StoreBatch.h"
#include "StoreTestSupport.h"

using namespace kv;
using namespace kv::test;

namespace {

class StoreEditTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_t = makeTimeLog(folder());
        m_t->open();
    }
    Field &f(const char *name) { return m_t->fieldByName(QString::fromUtf8(name)); }
    QString client() const { return m_t->fieldByName(QStringLiteral("CustName")).asString(); }
    int countRecords()
    {
        auto other = makeTimeLog(folder(), QStringLiteral("Counter"));
        other->setIndexName(QString());
        other->open();
        int n = 0;
        for (other->first(); !other->eof(); other->next())
            ++n;
        return n;
    }
    void fillRequired(const QString &client, int day = 45000)
    {
        f("WDate").setAsDateTime(day);
        f("CustName").setAsString(client);
        f("JobDes").setAsString(QStringLiteral("Dev"));
        f("TimeIn").setAsDateTime(9 * dt::kHour);
        f("TimeOut").setAsDateTime(10 * dt::kHour);
    }

    std::unique_ptr<StoreTable> m_t;
};

TEST_F(StoreEditTest, InsertRunsOnNewRecordAndPostPlacesTheRecordInIndexOrder)
{
    addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
    addTime(*m_t, 45002, QStringLiteral("C"), QStringLiteral("Dev"), 9, 10);
    QString stateSeen;
    m_t->OnNewRecord = [&](StoreTable &t) {
        stateSeen = t.stateName();
        t.fieldByName(QStringLiteral("Billable")).setAsBoolean(true);
    };
    m_t->first();
    m_t->insert();
    EXPECT_EQ(stateSeen, QStringLiteral("Insert"));
    EXPECT_TRUE(f("Billable").asBoolean());
    EXPECT_FALSE(m_t->isModified()); // defaults from OnNewRecord are not the user's changes
    EXPECT_EQ(m_t->currentRowId(), 0);
    EXPECT_FALSE(m_t->isEmpty());
    fillRequired(QStringLiteral("B"), 45001);
    m_t->post();
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    EXPECT_EQ(client(), QStringLiteral("B"));
    EXPECT_EQ(f("InoutID").asInteger(), m_t->currentRowId()); // numbered by the store
    EXPECT_GT(m_t->currentRowId(), 0);
    m_t->next();
    EXPECT_EQ(client(), QStringLiteral("C"));
}

TEST_F(StoreEditTest, EditOnAnEmptyTableInsertsAndEditWhileEditingDoesNothing)
{
    int newRecords = 0;
    m_t->OnNewRecord = [&](StoreTable &) { ++newRecords; };
    m_t->edit();
    EXPECT_EQ(m_t->state(), StoreTable::State::Insert);
    EXPECT_EQ(newRecords, 1);
    f("TaskDes").setAsString(QStringLiteral("kept"));
    m_t->edit();
    EXPECT_EQ(newRecords, 1);
    EXPECT_EQ(f("TaskDes").asString(), QStringLiteral("kept"));
    m_t->cancel();
}

TEST_F(StoreEditTest, CancelDropsChangesAndAnInsertedRecordDisappears)
{
    addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
    int cancels = 0;
    m_t->AfterCancel = [&](StoreTable &) { ++cancels; };
    m_t->edit();
    f("CustName").setAsString(QStringLiteral("Changed"));
    m_t->cancel();
    EXPECT_EQ(client(), QStringLiteral("A"));
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    m_t->insert();
    fillRequired(QStringLiteral("New"));
    m_t->cancel();
    EXPECT_EQ(client(), QStringLiteral("A"));
    EXPECT_EQ(cancels, 2);
    m_t->cancel(); // in browse state: nothing, no AfterCancel
    EXPECT_EQ(cancels, 2);
    EXPECT_EQ(countRecords(), 1);
}

TEST_F(StoreEditTest, DeleteMovesToTheFollowingRecordOrTheNewLast)
{
    for (const char *c : {"A", "B", "C"})
        addTime(*m_t, 45000, QString::fromUtf8(c), QStringLiteral("Dev"), 9, 10);
    m_t->first();
    m_t->next();
    m_t->deleteRecord();
    EXPECT_EQ(client(), QStringLiteral("C"));
    m_t->deleteRecord();
    EXPECT_EQ(client(), QStringLiteral("A"));
    EXPECT_FALSE(m_t->eof());
    m_t->insert();
    m_t->deleteRecord(); // in insert state: cancel
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    EXPECT_EQ(client(), QStringLiteral("A"));
    m_t->edit();
    m_t->deleteRecord(); // in edit state: removes the record, changes dropped
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    EXPECT_TRUE(m_t->isEmpty());
    const StoreError e = storeError([&] { m_t->deleteRecord(); });
    EXPECT_EQ(e.code(), StoreError::kEmptyDataset);
    EXPECT_EQ(e.message(), QStringLiteral("Cannot perform this operation on an empty dataset"));
}

TEST_F(StoreEditTest, MovingPostsAModifiedRecordWithItsRulesAndCancelsAnUnmodifiedOne)
{
    addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
    addTime(*m_t, 45001, QStringLiteral("B"), QStringLiteral("Dev"), 9, 10);
    QStringList rules;
    m_t->BeforePost = [&](StoreTable &) { rules << QStringLiteral("before"); };
    m_t->AfterPost = [&](StoreTable &) { rules << QStringLiteral("after"); };
    m_t->AfterCancel = [&](StoreTable &) { rules << QStringLiteral("cancel"); };
    m_t->first();
    m_t->edit();
    f("TaskDes").setAsString(QStringLiteral("posted by next"));
    m_t->next();
    EXPECT_EQ(rules, (QStringList{QStringLiteral("before"), QStringLiteral("after")}));
    EXPECT_EQ(client(), QStringLiteral("B"));
    m_t->first();
    EXPECT_EQ(f("TaskDes").asString(), QStringLiteral("posted by next"));

    rules.clear();
    m_t->insert();
    m_t->first(); // nothing typed: the insert is dropped
    EXPECT_EQ(rules, QStringList{QStringLiteral("cancel")});
    EXPECT_EQ(countRecords(), 2);

    // The rule also runs before refresh, find and insert; a failing post stops the move.
    m_t->edit();
    f("CustName").clear();
    EXPECT_EQ(storeError([&] { m_t->next(); }).code(), StoreError::kRequiredField);
    EXPECT_EQ(m_t->state(), StoreTable::State::Edit);
    m_t->cancel();
}

TEST_F(StoreEditTest, EditOfARecordDeletedElsewhereFailsAndMovesOn)
{
    addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
    addTime(*m_t, 45001, QStringLiteral("B"), QStringLiteral("Dev"), 9, 10);
    m_t->first();
    auto other = makeTimeLog(folder(), QStringLiteral("Other"));
    other->open();
    other->deleteRecord(); // "A"
    EXPECT_EQ(storeError([&] { m_t->edit(); }).code(), StoreError::kRecordDeleted);
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    EXPECT_EQ(client(), QStringLiteral("B"));
}

TEST_F(StoreEditTest, AfterPostErrorReachesTheCallerOnceTheRecordIsWritten)
{
    m_t->AfterPost = [](StoreTable &) { throw StoreError(QStringLiteral("cascade failed")); };
    m_t->insert();
    fillRequired(QStringLiteral("A"));
    EXPECT_EQ(storeError([&] { m_t->post(); }).message(), QStringLiteral("cascade failed"));
    EXPECT_EQ(m_t->state(), StoreTable::State::Browse);
    EXPECT_EQ(client(), QStringLiteral("A"));
    EXPECT_EQ(countRecords(), 1);
}

TEST_F(StoreEditTest, RequiredCheckNamesTheFirstEmptyFieldByLabelAndWritesNothing)
{
    bool beforePostRan = false;
    m_t->BeforePost = [&](StoreTable &) { beforePostRan = true; };
    m_t->insert();
    fillRequired(QStringLiteral("A"));
    f("WDate").clear();
    f("JobDes").setAsString(QStringLiteral("   ")); // blanks are null
    const StoreError e = storeError([&] { m_t->post(); });
    EXPECT_EQ(e.code(), StoreError::kRequiredField);
    EXPECT_EQ(e.message(), QStringLiteral("Field 'Date' must have a value"));
    EXPECT_FALSE(beforePostRan);
    EXPECT_EQ(m_t->state(), StoreTable::State::Insert);
    f("WDate").setAsDateTime(45000);
    EXPECT_EQ(storeError([&] { m_t->post(); }).message(),
              QStringLiteral("Field 'Job Type' must have a value"));
    f("JobDes").setAsString(QStringLiteral("Dev"));
    m_t->post();
    EXPECT_EQ(countRecords(), 1);
}

TEST_F(StoreEditTest, BeforePostErrorLeavesTheRecordUnwritten)
{
    m_t->BeforePost = [](StoreTable &) { throw StoreError(QStringLiteral("no")); };
    m_t->insert();
    fillRequired(QStringLiteral("A"));
    EXPECT_EQ(storeError([&] { m_t->post(); }).message(), QStringLiteral("no"));
    EXPECT_EQ(m_t->state(), StoreTable::State::Insert);
    m_t->cancel();
    EXPECT_EQ(countRecords(), 0);
}

TEST_F(StoreEditTest, KeyViolationNamesIndexAndFileAndKeepsTheInsert)
{
    addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
    m_t->insert();
    fillRequired(QStringLiteral("A"));
    const StoreError e = storeError([&] { m_t->post(); });
    EXPECT_EQ(e.code(), StoreError::kKeyViolation);
    EXPECT_EQ(e.message(), QStringLiteral("Duplicate key found in index Tinout01 of data file ") +
                               pathOf(QStringLiteral("Tinout201.DAT")));
    EXPECT_EQ(m_t->state(), StoreTable::State::Insert);
    EXPECT_EQ(countRecords(), 1);
    f("TimeOut").setAsDateTime(11 * dt::kHour);
    m_t->post();
    EXPECT_EQ(countRecords(), 2);

    // An edit into an existing key fails the same way and stays in edit state.
    m_t->edit();
    f("TimeOut").setAsDateTime(10 * dt::kHour);
    EXPECT_EQ(storeError([&] { m_t->post(); }).code(), StoreError::kKeyViolation);
    EXPECT_EQ(m_t->state(), StoreTable::State::Edit);
    m_t->cancel();
}

TEST_F(StoreEditTest, PictureMasksAreCheckedAfterBeforePost)
{
    auto todo = makeTodo(folder());
    todo->open();
    Field &minor = todo->fieldByName(QStringLiteral("PriMinor"));
    todo->insert();
    minor.setAsString(QStringLiteral("B"));
    todo->post();
    EXPECT_EQ(minor.asString(), QStringLiteral("b")); // kept in lower case

    todo->edit();
    minor.setAsString(QStringLiteral("7"));
    const StoreError e = storeError([&] { todo->post(); });
    EXPECT_EQ(e.code(), StoreError::kMaskMismatch);
    EXPECT_TRUE(e.message().contains(QStringLiteral("'p'"))) << e.message().toStdString();
    EXPECT_EQ(todo->state(), StoreTable::State::Edit);
    todo->BeforePost = [&](StoreTable &) { minor.setAsString(QStringLiteral("c")); };
    todo->post(); // BeforePost repairs the value before the mask is checked
    EXPECT_EQ(minor.asString(), QStringLiteral("c"));

    todo->BeforePost = nullptr;
    todo->setValidateWithMask(false);
    todo->edit();
    minor.setAsString(QStringLiteral("7"));
    todo->post();
    EXPECT_EQ(minor.asString(), QStringLiteral("7"));
}

TEST_F(StoreEditTest, BatchesCommitOrRollBackAllTheirPosts)
{
    {
        StoreBatch batch(*m_t);
        addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
        addTime(*m_t, 45001, QStringLiteral("B"), QStringLiteral("Dev"), 9, 10);
    } // not committed
    EXPECT_EQ(countRecords(), 0);
    m_t->refresh();
    EXPECT_TRUE(m_t->isEmpty());

    m_t->beginBatch();
    addTime(*m_t, 45000, QStringLiteral("A"), QStringLiteral("Dev"), 9, 10);
    m_t->beginBatch(); // nested: a savepoint
    addTime(*m_t, 45001, QStringLiteral("B"), QStringLiteral("Dev"), 9, 10);
    m_t->rollbackBatch();
    // A key violation inside a batch drops only that post.
    m_t->insert();
    fillRequired(QStringLiteral("A"));
    EXPECT_EQ(storeError([&] { m_t->post(); }).code(), StoreError::kKeyViolation);
    m_t->cancel();
    m_t->commitBatch();
    EXPECT_EQ(countRecords(), 1);
    EXPECT_EQ(storeError([&] { m_t->commitBatch(); }).code(), StoreError::kInvalidOperation);
}

} // namespace
