// Tests of field values: what a write stores, what a null reads as, text forms, and who may
// write a field when.
#include "StoreTestSupport.h"

#include <QSignalSpy>
#include <cmath>

using namespace kv;
using namespace kv::test;

namespace {

class StoreValueTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        m_t = makeTimeLog(folder());
        m_t->open();
    }
    Field &f(const char *name) { return m_t->fieldByName(QString::fromUtf8(name)); }
    /// Posts the pending record, reopens the file and returns to that record.
    void postAndReread()
    {
        m_t->post();
        const qint64 id = m_t->currentRowId();
        m_t->close();
        m_t->open();
        m_t->gotoBookmark(id);
    }

    std::unique_ptr<StoreTable> m_t;
};

TEST_F(StoreValueTest, StringsAreTrimmedCutAndBlankIsNull)
{
    addTime(*m_t, 45000, QStringLiteral("Acme  "), QStringLiteral("Dev"), 9, 10);
    m_t->edit();
    f("CustName").setAsString(QStringLiteral("Acme Corp   "));
    f("TaskDes").setAsString(QStringLiteral("    "));
    f("JobDes").setAsString(QString(45, u'x')); // size 30
    postAndReread();
    EXPECT_EQ(f("CustName").asString(), QStringLiteral("Acme Corp"));
    EXPECT_TRUE(f("TaskDes").isNull());
    EXPECT_EQ(f("JobDes").asString(), QString(30, u'x'));

    m_t->edit();
    f("CustName").setAsString(QString(45, u'c')); // size 40: keeps the first 40
    f("TaskDes").setAsString(QStringLiteral("ab") + QString(248, u' ') + QStringLiteral("cd"));
    postAndReread();
    EXPECT_EQ(f("CustName").asString(), QString(40, u'c'));
    EXPECT_EQ(f("TaskDes").asString(), QStringLiteral("ab")); // cut, then trimmed again
}

TEST_F(StoreValueTest, NullFieldsReadAsEmptyFalseAndZero)
{
    m_t->insert();
    for (const char *name : {"TaskDes", "Hours", "Billable", "WDate", "TimeIn", "Notes"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(f(name).isNull());
        EXPECT_EQ(f(name).asString(), QString());
        EXPECT_EQ(f(name).displayText(), QString());
        EXPECT_FALSE(f(name).value().isValid());
    }
    EXPECT_FALSE(f("Billable").asBoolean());
    EXPECT_EQ(f("Hours").asFloat(), 0.0);
    EXPECT_EQ(f("Hours").asInteger(), 0);
    EXPECT_EQ(f("WDate").asDateTime(), 0.0);
    m_t->cancel();
}

TEST_F(StoreValueTest, DatesKeepDaysAndTimesKeepTimeOfDay)
{
    m_t->insert();
    f("WDate").setAsDateTime(45000.75);               // a date keeps whole days
    f("TimeIn").setAsDateTime(45000 + 9 * dt::kHour); // a time keeps the time of day
    f("TimeOut").setAsDateTime(1.0);                  // 24:00 is stored as 00:00
    f("CustName").setAsString(QStringLiteral("A"));
    f("JobDes").setAsString(QStringLiteral("B"));
    postAndReread();
    EXPECT_EQ(f("WDate").asDateTime(), 45000.0);
    EXPECT_DOUBLE_EQ(f("TimeIn").asDateTime(), 9 * dt::kHour);
    EXPECT_EQ(f("TimeOut").asDateTime(), 0.0);
    EXPECT_FALSE(f("TimeOut").isNull());
    EXPECT_EQ(f("TimeOut").asString(), QStringLiteral("12:00 AM"));
    EXPECT_EQ(f("TimeIn").asString(), QStringLiteral("9:00 AM"));
    EXPECT_EQ(f("WDate").asString(), FormatSettings::instance().formatDate(45000));
}

TEST_F(StoreValueTest, TextFormsOfNumbersAndBooleans)
{
    m_t->insert();
    f("Hours").setAsFloat(1.5);
    f("Billable").setAsBoolean(true);
    EXPECT_EQ(f("Hours").asString(), QStringLiteral("1.5"));
    EXPECT_EQ(f("Hours").displayText(), QStringLiteral("1.5000"));
    EXPECT_EQ(f("Billable").asString(), QStringLiteral("True"));
    EXPECT_EQ(f("Billable").value(), QVariant(true));
    f("Billable").setAsString(QStringLiteral("false"));
    EXPECT_EQ(f("Billable").displayText(), QStringLiteral("False"));
    f("Hours").setAsString(QStringLiteral("2.25"));
    EXPECT_EQ(f("Hours").asFloat(), 2.25);
    f("WDate").setValue(QDate(2024, 3, 7));
    EXPECT_EQ(f("WDate").asDateTime(), dt::fromDate(QDate(2024, 3, 7)));
    f("TimeIn").setAsString(QStringLiteral("1:30 PM"));
    EXPECT_DOUBLE_EQ(f("TimeIn").asDateTime(), 13.5 * dt::kHour);
    m_t->cancel();
}

TEST_F(StoreValueTest, ValuesThatDoNotFitAreRefusedNotLost)
{
    m_t->insert();
    f("Hours").setAsFloat(3.0);
    // A NaN would turn into null silently in the file.
    EXPECT_EQ(storeError([&] { f("Hours").setAsFloat(std::nan("")); }).code(),
              StoreError::kInvalidValue);
    EXPECT_EQ(storeError([&] { f("Hours").setAsString(QStringLiteral("lots")); }).code(),
              StoreError::kInvalidValue);
    EXPECT_EQ(storeError([&] { f("TimeIn").setAsString(QStringLiteral("26:00")); }).message(),
              QStringLiteral("'26:00' is not a valid time for field 'In'"));
    EXPECT_EQ(f("Hours").asFloat(), 3.0); // unchanged by the failed writes
    m_t->cancel();
}

TEST_F(StoreValueTest, WritesNeedEditOrInsertState)
{
    addTime(*m_t, 45000, QStringLiteral("Acme"), QStringLiteral("Dev"), 9, 10);
    const StoreError browse = storeError([&] { f("CustName").setAsString(QStringLiteral("X")); });
    EXPECT_EQ(browse.code(), StoreError::kInvalidOperation);
    EXPECT_EQ(browse.message(), QStringLiteral("TBInout: Dataset not in edit or insert mode"));
    EXPECT_EQ(storeError([&] { f("IsNote").setAsInteger(3); }).code(),
              StoreError::kInvalidOperation);

    m_t->edit();
    EXPECT_EQ(storeError([&] { f("InoutID").setAsInteger(99); }).message(),
              QStringLiteral("Field 'InoutID' cannot be modified"));
    f("TaskDes").setReadOnly(true);
    EXPECT_EQ(storeError([&] { f("TaskDes").setAsString(QStringLiteral("x")); }).code(),
              StoreError::kInvalidOperation);
    m_t->cancel();
}

TEST_F(StoreValueTest, WritingMarksModifiedAndSignalsTheField)
{
    addTime(*m_t, 45000, QStringLiteral("Acme"), QStringLiteral("Dev"), 9, 10);
    QSignalSpy spy(m_t.get(), &StoreTable::fieldChanged);
    m_t->edit();
    EXPECT_FALSE(m_t->isModified());
    f("TaskDes").setAsString(QStringLiteral("Report"));
    EXPECT_TRUE(m_t->isModified());
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(spy.first().at(0).value<Field *>(), &f("TaskDes"));
    m_t->cancel();
}

TEST_F(StoreValueTest, CalculatedFieldFollowsItsSourceAndIsNotStored)
{
    addTime(*m_t, 45000, QStringLiteral("Acme"), QStringLiteral("Dev"), 9, 10);
    EXPECT_EQ(f("IsNote").asInteger(), -1);
    m_t->edit();
    f("Notes").setAsString(QStringLiteral("Long note\nwith lines  "));
    EXPECT_EQ(f("IsNote").asInteger(), 0); // recomputed as the record is typed
    postAndReread();
    EXPECT_EQ(f("Notes").asString(), QStringLiteral("Long note\nwith lines  "));
    EXPECT_EQ(f("IsNote").asInteger(), 0);
    m_t->edit();
    f("Notes").clear();
    m_t->post();
    EXPECT_EQ(f("IsNote").asInteger(), -1);
}

} // namespace
