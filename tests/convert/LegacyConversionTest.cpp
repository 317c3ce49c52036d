// The conversion's four steps over tables written with pxlib: what arrives and what is skipped,
// the configuration's mapping, a second run, partial and empty folders, and bad input.
#include "LegacyConversion.h"
#include "LegacyError.h"
#include "LegacyFixture.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::test;

namespace {

class LegacyConversionTest : public LegacyFixture
{
protected:
    /// Runs a conversion over the v1.1 folder; returns its progress texts.
    QStringList convert(bool expectFound = true)
    {
        QStringList texts;
        LegacyConversion c(*dm, LegacyDatabase(m_legacy));
        c.progress = [&](const QString &t) { texts << t; };
        EXPECT_EQ(c.run(), expectFound);
        m_last = c.tables();
        return texts;
    }

    std::array<ConvertedTable, 4> m_last;
};

TEST_F(LegacyConversionTest, AllFourTablesArriveWithTheirMappingsAndDuplicatesSkipped)
{
    // The current configuration had its own values and both auto-log options on.
    setBilling(6, 6);
    dm->TBDef->edit();
    dm->TBDefCustName->setAsString(QStringLiteral("Current client"));
    dm->TBDefAutoLogClient->setAsBoolean(true);
    dm->TBDefAutoLogJob->setAsBoolean(true);
    dm->TBDefTutorialShow->setAsBoolean(false);
    dm->TBDef->post();
    writeAll();

    const QStringList texts = convert();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Converting Kestrova Configuration Data...."),
                                  QStringLiteral("Converting Client Data...."),
                                  QStringLiteral("Converting Time Log Data...."),
                                  QStringLiteral("Converting Job Type Data....")}));

    // Configuration: replaced, auto-log off, quick start due, the offer kept for start-up.
    dm->TBDef->first();
    EXPECT_EQ(dm->TBDefCustName->asString(), QStringLiteral("Müller GmbH"));
    EXPECT_EQ(dm->TBDefJobDes->asString(), QStringLiteral("Entwurf"));
    EXPECT_TRUE(dm->TBDefGetTask->asBoolean());
    EXPECT_FALSE(dm->TBDefTray->asBoolean());
    EXPECT_TRUE(dm->TBDefInOnStartup->asBoolean());
    EXPECT_TRUE(dm->TBDefGroupTotal->asBoolean());
    EXPECT_EQ(dm->TBDefReportTitle->asString(), QStringLiteral("Bericht €"));
    EXPECT_TRUE(dm->TBDefShowTotal->asBoolean());
    EXPECT_EQ(dm->TBDefBillingIncr->asInteger(), 15);
    EXPECT_EQ(dm->TBDefMinBillTime->asInteger(), 30);
    EXPECT_FALSE(dm->TBDefAutoLogClient->asBoolean());
    EXPECT_FALSE(dm->TBDefAutoLogJob->asBoolean());
    EXPECT_TRUE(dm->TBDefTutorialShow->asBoolean());
    EXPECT_TRUE(dm->TBDefDataConverted->asBoolean());
    EXPECT_EQ(count(*dm->TBDef), 1);

    // Clients: number and name only; the second C1 is skipped.
    EXPECT_EQ(count(*dm->TBCust), 2);
    EXPECT_EQ(dm->TBCust->indexName(), QString());
    ASSERT_TRUE(dm->TBCust->findKey({QStringLiteral("C1")}));
    EXPECT_EQ(dm->TBCustCustName->asString(), QStringLiteral("Müller GmbH"));
    for (Field *f :
         {dm->TBCustState, dm->TBCustCity, dm->TBCustZip, dm->TBCustAddress1, dm->TBCustAddress2,
          dm->TBCustPhone, dm->TBCustFAX, dm->TBCustEmail, dm->TBCustContact, dm->TBCustNotes})
        EXPECT_TRUE(f->isNull()) << f->fieldName().toStdString();
    ASSERT_TRUE(dm->TBCust->findKey({QStringLiteral("C2")}));
    EXPECT_EQ(dm->TBCustCustName->asString(), QStringLiteral("Straße & Söhne"));

    // Job types: on the primary index afterwards; the second E is skipped.
    EXPECT_EQ(dm->TBJobCode->indexName(), QString());
    EXPECT_EQ(count(*dm->TBJobCode), 2);
    dm->TBJobCode->first();
    EXPECT_EQ(dm->TBJobCodeJobCode->asString(), QStringLiteral("E"));
    EXPECT_EQ(dm->TBJobCodeJobDes->asString(), QStringLiteral("Entwurf"));

    // Time log: four records, hours from the times under the v1.1 billing numbers.
    EXPECT_EQ(count(*dm->TBInout), 4);
    const double day = dt::fromDate(QDate(2001, 2, 3));
    ASSERT_TRUE(dm->TBInout->findKey(
        {day, QStringLiteral("Müller GmbH"), QStringLiteral("Entwurf"), at(9, 0), at(10, 30)}));
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 1.5);
    EXPECT_EQ(dm->TBInoutTaskDes->asString(), QStringLiteral("Skizze für € und ß"));
    EXPECT_TRUE(dm->TBInoutBillable->asBoolean());
    EXPECT_EQ(dm->TBInoutNotes->asString(), longNote());
    // Reversed times arrive with 0 hours.
    ASSERT_TRUE(dm->TBInout->findKey(
        {day, QStringLiteral("Müller GmbH"), QStringLiteral("Entwurf"), at(11, 0), at(10, 0)}));
    EXPECT_EQ(dm->TBInoutHours->asFloat(), 0.0);
    // Empty fields stay empty; the hour is above the minimum of 30 minutes.
    ASSERT_TRUE(dm->TBInout->findKey({day + 1, QStringLiteral("Straße & Söhne"),
                                      QStringLiteral("Prüfung"), at(8, 0), at(9, 0)}));
    EXPECT_TRUE(dm->TBInoutTaskDes->isNull());
    EXPECT_TRUE(dm->TBInoutNotes->isNull());
    EXPECT_FALSE(dm->TBInoutBillable->asBoolean());
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 1.0);
    // Times with seconds arrive rounded to the minute.
    ASSERT_TRUE(dm->TBInout->findKey({day + 2, QStringLiteral("Straße & Söhne"),
                                      QStringLiteral("Prüfung"), at(8, 0), at(9, 1)}));

    EXPECT_EQ(m_last[0].added, 1);
    EXPECT_EQ(m_last[1].added, 2);
    EXPECT_EQ(m_last[1].present, 1);
    EXPECT_EQ(m_last[2].added, 4);
    EXPECT_EQ(m_last[2].present, 1);
    EXPECT_EQ(m_last[3].added, 2);
    EXPECT_EQ(m_last[3].present, 1);
}

TEST_F(LegacyConversionTest, ASecondRunAddsNothingTwiceNotEvenTimesWithSeconds)
{
    writeAll();
    convert();
    convert();
    EXPECT_EQ(count(*dm->TBCust), 2);
    EXPECT_EQ(count(*dm->TBJobCode), 2);
    EXPECT_EQ(count(*dm->TBInout), 4);
    EXPECT_EQ(m_last[1].added, 0);
    EXPECT_EQ(m_last[1].present, 3);
    EXPECT_EQ(m_last[2].added, 0);
    EXPECT_EQ(m_last[2].present, 5);
    EXPECT_EQ(m_last[3].added, 0);
    EXPECT_EQ(m_last[3].present, 3);
}

TEST_F(LegacyConversionTest, OnlyTheJobTypeTableConvertsOnlyJobTypes)
{
    dm->ensureConfigRecord();
    writeJobCodes();
    EXPECT_EQ(convert(), QStringList{QStringLiteral("Converting Job Type Data....")});
    EXPECT_EQ(count(*dm->TBJobCode), 2);
    EXPECT_EQ(count(*dm->TBCust), 0);
    EXPECT_EQ(count(*dm->TBInout), 0);
    dm->TBDef->first();
    EXPECT_TRUE(dm->TBDefCustName->isNull());
    EXPECT_FALSE(m_last[0].found);
    EXPECT_TRUE(m_last[3].found);
}

TEST_F(LegacyConversionTest, AFolderWithoutTablesSaysSoAndChangesNothing)
{
    EXPECT_EQ(convert(false), QStringList{QStringLiteral("No Kestrova Tables Found.")});
    EXPECT_EQ(count(*dm->TBDef), 0);
}

TEST_F(LegacyConversionTest, ADamagedTableStopsWithItsNameAndKeepsWhatWasConvertedBefore)
{
    writeAll();
    truncate(legacyPath(QStringLiteral("Tinout.DB")), 3000);
    LegacyConversion c(*dm, LegacyDatabase(m_legacy));
    try {
        c.run();
        FAIL() << "no error";
    } catch (const LegacyError &e) {
        EXPECT_EQ(e.file(), QStringLiteral("Tinout.DB"));
    }
    EXPECT_EQ(count(*dm->TBCust), 2); // the step before stays
    EXPECT_EQ(count(*dm->TBJobCode), 0);
    EXPECT_EQ(c.tables()[1].added, 2);
    EXPECT_EQ(dm->TBInout->state(), StoreTable::State::Browse);
}

TEST_F(LegacyConversionTest, AMissingMemoFileStopsAtTheRecordThatNeedsIt)
{
    const QDate day(2001, 2, 3);
    writeParadoxTable(legacyPath(QStringLiteral("Tinout.DB")), tinoutFields(),
                      {{QVariant(), day, QTime(9, 0), QTime(10, 0), QStringLiteral("A"),
                        QStringLiteral("B"), QVariant(), QVariant(), true, QStringLiteral("short")},
                       {QVariant(), day, QTime(11, 0), QTime(12, 0), QStringLiteral("A"),
                        QStringLiteral("B"), QVariant(), QVariant(), true, longNote()}});
    ASSERT_TRUE(QFile::remove(legacyPath(QStringLiteral("Tinout.MB"))));
    LegacyConversion c(*dm, LegacyDatabase(m_legacy));
    try {
        c.run();
        FAIL() << "no error";
    } catch (const LegacyError &e) {
        EXPECT_EQ(e.file(), QStringLiteral("Tinout.MB"));
    }
    EXPECT_EQ(count(*dm->TBInout), 1);
}

TEST_F(LegacyConversionTest, FieldsThatDoNotMatchAndEmptyRequiredValuesNameTheTable)
{
    // A client table without CustName, then a time log whose date is a text field.
    writeParadoxTable(legacyPath(QStringLiteral("Customer.DB")),
                      {{QStringLiteral("CustNo"), LegacyType::Alpha, 10},
                       {QStringLiteral("Name"), LegacyType::Alpha, 40}},
                      {{QStringLiteral("7"), QStringLiteral("Seven")}});
    LegacyConversion missing(*dm, LegacyDatabase(m_legacy));
    try {
        missing.run();
        FAIL() << "no error";
    } catch (const LegacyError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Customer.DB: has no field CustName"));
    }
    QFile::remove(legacyPath(QStringLiteral("Customer.DB")));
    std::vector<LegacyField> fields = tinoutFields();
    fields[1] = {QStringLiteral("WDate"), LegacyType::Alpha, 10};
    writeParadoxTable(legacyPath(QStringLiteral("Tinout.DB")), fields,
                      {{QVariant(), QStringLiteral("2001-02-03"), QTime(9, 0), QTime(10, 0),
                        QStringLiteral("A"), QStringLiteral("B")}});
    LegacyConversion wrongType(*dm, LegacyDatabase(m_legacy));
    try {
        wrongType.run();
        FAIL() << "no error";
    } catch (const LegacyError &e) {
        EXPECT_EQ(e.file(), QStringLiteral("Tinout.DB"));
        EXPECT_TRUE(e.problem().contains(QStringLiteral("WDate"))) << e.what();
    }
    EXPECT_EQ(count(*dm->TBCust), 0);
    EXPECT_EQ(count(*dm->TBInout), 0);
    QFile::remove(legacyPath(QStringLiteral("Tinout.DB")));
    // A job type without a description: the store refuses it; the record is named.
    QFile::remove(legacyPath(QStringLiteral("Customer.DB")));
    writeParadoxTable(
        legacyPath(QStringLiteral("JobCode.DB")), jobCodeFields(),
        {{QStringLiteral("A"), QStringLiteral("Alpha")}, {QStringLiteral("B"), QVariant()}});
    LegacyConversion empty(*dm, LegacyDatabase(m_legacy));
    try {
        empty.run();
        FAIL() << "no error";
    } catch (const LegacyError &e) {
        EXPECT_EQ(e.file(), QStringLiteral("JobCode.DB"));
        EXPECT_TRUE(e.problem().startsWith(QStringLiteral("record 2 cannot be converted")))
            << e.what();
    }
    EXPECT_EQ(count(*dm->TBJobCode), 1);
    EXPECT_EQ(dm->TBJobCode->state(), StoreTable::State::Browse);
}

TEST_F(LegacyConversionTest, AFolderThatDoesNotExistIsNamed)
{
    LegacyConversion c(*dm, LegacyDatabase(m_legacy + QStringLiteral("/gone")));
    try {
        c.run();
        FAIL() << "no error";
    } catch (const LegacyError &e) {
        EXPECT_TRUE(e.file().endsWith(QStringLiteral("/gone"))) << e.what();
    }
}

} // namespace
