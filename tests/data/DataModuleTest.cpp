// The data module: tables and fields as declared, first-run files, the configuration record,
// the rules' hooks, and the move of the earlier time log.
#include "DataFixture.h"
#include "QtPrinters.h"
#include "Schemas.h"

#include <QCoreApplication>
#include <QFile>

using namespace kv;
using namespace kv::test;

namespace {

const double kDay = dt::fromDate(QDate(2026, 3, 2));

class DataModuleTest : public DataFixture
{
};

TEST_F(DataModuleTest, FirstRunCreatesEveryTableFile)
{
    for (const QString &f : {schemas::kCustomerFile, schemas::kJobCodeFile, schemas::kTimeLogFile,
                             schemas::kConfigFile, schemas::kTodoFile})
        EXPECT_TRUE(QFile::exists(m_folder + QLatin1Char('/') + f)) << f.toStdString();
    EXPECT_FALSE(dm->TBInoutOld->isActive());
    for (StoreTable *t : {dm->TBCust, dm->TBInout, dm->TBJobCode, dm->TBCustList, dm->TBDef,
                          dm->TBJobList, dm->TBTodo}) {
        EXPECT_TRUE(t->isActive()) << t->objectName().toStdString();
        EXPECT_EQ(t->state(), StoreTable::State::Browse);
    }
    EXPECT_EQ(dm->TBInout->indexName(), QStringLiteral("Tinout01"));
    EXPECT_EQ(dm->TBTodo->indexName(), QStringLiteral("todo07"));
    EXPECT_EQ(dm->TBCustList->indexName(), QStringLiteral("Custom01"));
}

TEST_F(DataModuleTest, ConfigurationRecordIsCreatedOnceWithEveryFieldEmpty)
{
    EXPECT_TRUE(dm->ensureConfigRecord());
    EXPECT_FALSE(dm->ensureConfigRecord());
    dm->TBDef->first();
    EXPECT_FALSE(dm->TBDefRecordID->isNull());
    for (const auto &f : dm->TBDef->fields()) {
        if (f->fieldName() != QStringLiteral("RecordID")) {
            EXPECT_TRUE(f->isNull()) << f->fieldName().toStdString();
        }
    }
    EXPECT_EQ(dm->billingIncr(), 0);
    EXPECT_FALSE(dm->TBDefTutorialShow->asBoolean());
}

TEST_F(DataModuleTest, FieldsCarryTheirLabelsWidthsAndRules)
{
    EXPECT_EQ(dm->TBInoutBillable->displayLabel(), QStringLiteral("$"));
    EXPECT_EQ(dm->TBInoutIsNote->displayLabel(), QStringLiteral(" "));
    EXPECT_EQ(dm->TBInoutHours->displayLabel(), QStringLiteral("Hours"));
    EXPECT_EQ(dm->TBInoutHours->displayFormat(), QStringLiteral("#0.0000"));
    EXPECT_FALSE(dm->TBInoutNotes->isVisible());
    EXPECT_EQ(dm->TBTodoTimeIn->displayLabel(), QStringLiteral("In Time "));
    EXPECT_EQ(dm->TBCustZip->editMask(), QStringLiteral("00000\\-9999;1;"));

    // The required check names the field's label.
    dm->TBInout->insert();
    dm->TBInoutWDate->setAsDateTime(kDay);
    try {
        dm->TBInout->post();
        FAIL() << "post without a client must fail";
    } catch (const StoreError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'Client' must have a value"));
    }
    dm->TBInout->cancel();
}

TEST_F(DataModuleTest, IsNoteFollowsTheNote)
{
    postRecord(kDay, at(8, 0), at(9, 0));
    EXPECT_EQ(dm->TBInoutIsNote->asInteger(), -1);
    dm->TBInout->edit();
    dm->TBInoutNotes->setAsString(QStringLiteral("Called about the invoice"));
    dm->TBInout->post();
    EXPECT_EQ(dm->TBInoutIsNote->asInteger(), 0);
    dm->TBInout->edit();
    dm->TBInoutNotes->clear();
    dm->TBInout->post();
    EXPECT_EQ(dm->TBInoutIsNote->asInteger(), -1);
}

TEST_F(DataModuleTest, HooksRunAndAfterPostWorkIsCoalesced)
{
    int newRecords = 0, totals = 0;
    dm->inoutNewRecordHook = [&] { ++newRecords; };
    dm->inoutAfterPostHook = [&] { ++totals; };
    for (int i = 0; i < 5; ++i)
        postRecord(kDay + i, at(8, 0), at(9, 0));
    EXPECT_EQ(newRecords, 5);
    EXPECT_EQ(totals, 0); // deferred until control returns to the event loop
    QCoreApplication::processEvents();
    EXPECT_EQ(totals, 1);
    postRecord(kDay + 9, at(8, 0), at(9, 0));
    dm->flushDeferred();
    EXPECT_EQ(totals, 2);

    int browse = 0;
    dm->todoBrowseHook = [&] { ++browse; };
    dm->TBTodo->insert();
    dm->TBTodoTask->setAsString(QStringLiteral("Send invoices"));
    dm->TBTodo->post();
    dm->TBTodo->insert();
    dm->TBTodo->cancel();
    EXPECT_EQ(browse, 2);
}

TEST_F(DataModuleTest, DuplicateTimeRecordIsAKeyViolation)
{
    postRecord(kDay, at(8, 0), at(9, 0));
    try {
        postRecord(kDay, at(8, 0), at(9, 0));
        FAIL() << "a second identical record must be refused";
    } catch (const StoreError &e) {
        EXPECT_EQ(e.code(), StoreError::kKeyViolation);
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Duplicate key found in index Tinout01 of data file ")));
    }
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Insert);
    dm->TBInout->cancel();
}

class MigrationTest : public DataFixture
{
protected:
    void fillOldLog(int n)
    {
        StoreTable &old = *dm->TBInoutOld;
        old.open();
        for (int i = 0; i < n; ++i) {
            old.insert();
            dm->TBInoutOldWDate->setAsDateTime(kDay + i);
            dm->TBInoutOldTimeIn->setAsDateTime(at(9, 0, 20));
            dm->TBInoutOldTimeOut->setAsDateTime(at(10, 10));
            dm->TBInoutOldCustName->setAsString(QStringLiteral("Client %1").arg(i));
            dm->TBInoutOldJobDes->setAsString(QStringLiteral("Support"));
            dm->TBInoutOldTaskDes->setAsString(QStringLiteral("Old task"));
            dm->TBInoutOldHours->setAsFloat(7.0);
            dm->TBInoutOldBillable->setAsBoolean(i % 2 == 0);
            if (i == 0)
                dm->TBInoutOldNotes->setAsString(QStringLiteral("A note"));
            old.post();
        }
        old.close();
    }
    int countOld()
    {
        dm->TBInoutOld->open();
        int n = 0;
        for (dm->TBInoutOld->first(); !dm->TBInoutOld->eof(); dm->TBInoutOld->next())
            ++n;
        dm->TBInoutOld->close();
        return n;
    }
};

TEST_F(MigrationTest, MovesEveryOldRecordWithHoursRecomputed)
{
    setBilling(15, 0);
    fillOldLog(3);
    EXPECT_EQ(dm->migrateOldTimeLog(), 3);
    EXPECT_FALSE(dm->TBInoutOld->isActive());
    EXPECT_EQ(countOld(), 0);

    dm->TBInout->first();
    EXPECT_DOUBLE_EQ(dm->TBInoutWDate->asDateTime(), kDay);
    EXPECT_EQ(dm->TBInoutCustName->asString(), QStringLiteral("Client 0"));
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), QStringLiteral("Old task"));
    EXPECT_DOUBLE_EQ(dm->TBInoutTimeIn->asDateTime(), at(9, 0));
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 1.25); // 70 minutes by 15, not the old 7
    EXPECT_TRUE(dm->TBInoutBillable->asBoolean());
    EXPECT_EQ(dm->TBInoutNotes->asString(), QStringLiteral("A note"));
    int n = 0;
    for (; !dm->TBInout->eof(); dm->TBInout->next())
        ++n;
    EXPECT_EQ(n, 3);
}

TEST_F(MigrationTest, CurrentLogWithRecordsLeavesTheOldOneAlone)
{
    postRecord(kDay, at(8, 0), at(9, 0));
    fillOldLog(2);
    EXPECT_EQ(dm->migrateOldTimeLog(), 0);
    EXPECT_EQ(countOld(), 2);
}

} // namespace
