// The criteria engine of the filter dialogs over a small time log: each match kind, case and
// negation, "or", "and" and "null", ranges of dates and hours, values in a German locale, and
// values it cannot read.
#include "FilterCriteria.h"
#include "DateTime.h"
#include "FormatSettings.h"
#include "KVDM.h"
#include "QtPrinters.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

using namespace kv;
using namespace Qt::StringLiterals;

namespace {

struct Rec
{
    QDate date;
    QString client, job, task;
    QTime in, out;
    bool billable;
};

class FilterCriteriaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString folder = m_dir.path() + u"/Data"_s;
        QDir().mkpath(folder);
        dm = std::make_unique<TDMKV>([folder] { return folder; });
        const Rec recs[] = {
            {QDate(2024, 3, 1), u"Acme Corp"_s, u"Design"_s, u"Logo draft"_s, QTime(9, 0),
             QTime(10, 30), true},
            {QDate(2024, 3, 2), u"acme labs"_s, u"Support"_s, QString(), QTime(11, 0), QTime(12, 0),
             false},
            {QDate(2024, 3, 5), u"Beta & Co"_s, u"Design"_s, u"Rock and roll poster"_s,
             QTime(13, 0), QTime(15, 0), true},
            {QDate(2024, 4, 1), u"Cobalt"_s, u"Meeting"_s, u"Kick-off"_s, QTime(8, 15),
             QTime(8, 45), false},
        };
        for (const Rec &r : recs) {
            dm->TBInout->insert();
            dm->TBInoutWDate->setAsDateTime(dt::fromDate(r.date));
            dm->TBInoutCustName->setAsString(r.client);
            dm->TBInoutJobDes->setAsString(r.job);
            dm->TBInoutTaskDes->setAsString(r.task);
            dm->TBInoutTimeIn->setAsDateTime(dt::fromTime(r.in));
            dm->TBInoutTimeOut->setAsDateTime(dt::fromTime(r.out));
            dm->TBInoutBillable->setAsBoolean(r.billable);
            dm->TBInout->post();
        }
        engine.setTable(dm->TBInout);
    }
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        FormatSettings::instance().resetFromLocale();
    }

    /// Clients in view, in date order, after applying `criteria`.
    QStringList clientsFor(const QList<Criterion> &criteria)
    {
        engine.setCriteria(criteria);
        engine.apply();
        QStringList names;
        for (dm->TBInout->first(); !dm->TBInout->eof(); dm->TBInout->next())
            names << dm->TBInoutCustName->asString();
        return names;
    }
    static Criterion on(const QString &field, MatchKind kind, const QString &value)
    {
        Criterion c;
        c.fieldName = field;
        c.match = kind;
        c.value = value;
        return c;
    }
    static Criterion range(const QString &field, const QString &lower, const QString &upper)
    {
        Criterion c;
        c.fieldName = field;
        c.match = MatchKind::Range;
        c.lower = lower;
        c.upper = upper;
        return c;
    }
    QString errorFor(const Criterion &c)
    {
        try {
            engine.validate(c);
        } catch (const CriteriaError &e) {
            return e.message();
        }
        return QString();
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TDMKV> dm;
    FilterCriteria engine;
};

TEST_F(FilterCriteriaTest, EachMatchKindOnText)
{
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::Start, u"acme"_s)}),
              (QStringList{u"Acme Corp"_s, u"acme labs"_s}));
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::Anywhere, u"co"_s)}),
              (QStringList{u"Acme Corp"_s, u"Beta & Co"_s, u"Cobalt"_s}));
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::Whole, u"cobalt"_s)}),
              QStringList{u"Cobalt"_s});
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::Whole, u"Cob"_s)}), QStringList());
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::End, u"LABS"_s)}),
              QStringList{u"acme labs"_s});
}

TEST_F(FilterCriteriaTest, CaseFlagAndNegation)
{
    Criterion c = on(u"CustName"_s, MatchKind::Start, u"acme"_s);
    c.caseSensitive = true;
    EXPECT_EQ(clientsFor({c}), QStringList{u"acme labs"_s});
    c.negate = true;
    EXPECT_EQ(clientsFor({c}), (QStringList{u"Acme Corp"_s, u"Beta & Co"_s, u"Cobalt"_s}));
}

TEST_F(FilterCriteriaTest, OrAndAndNullInsideAValue)
{
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::Whole, u"Cobalt or beta & co"_s)}),
              (QStringList{u"Beta & Co"_s, u"Cobalt"_s}));
    EXPECT_EQ(clientsFor({on(u"TaskDes"_s, MatchKind::Anywhere, u"o AND r"_s)}),
              (QStringList{u"Acme Corp"_s, u"Beta & Co"_s}));
    // "and" binds closer than "or".
    EXPECT_EQ(clientsFor({on(u"TaskDes"_s, MatchKind::Anywhere, u"kick or logo and poster"_s)}),
              QStringList{u"Cobalt"_s});
    EXPECT_EQ(clientsFor({on(u"TaskDes"_s, MatchKind::Whole, u"null"_s)}),
              QStringList{u"acme labs"_s});
    EXPECT_EQ(clientsFor({on(u"TaskDes"_s, MatchKind::Start, u"Kick or NULL"_s)}),
              (QStringList{u"acme labs"_s, u"Cobalt"_s}));
    // Quoted words are text, keywords included.
    EXPECT_EQ(clientsFor({on(u"TaskDes"_s, MatchKind::Anywhere, u"\"rock and roll\""_s)}),
              QStringList{u"Beta & Co"_s});
}

TEST_F(FilterCriteriaTest, CriteriaOfSeveralFieldsMustAllHold)
{
    EXPECT_EQ(clientsFor({on(u"JobDes"_s, MatchKind::Whole, u"design"_s),
                          on(u"Billable"_s, MatchKind::Whole, u"yes"_s)}),
              (QStringList{u"Acme Corp"_s, u"Beta & Co"_s}));
    // A second criterion for a field replaces the first; one without a value is dropped.
    engine.setCriteria({on(u"CustName"_s, MatchKind::Start, u"A"_s),
                        on(u"CustName"_s, MatchKind::Start, u"B"_s),
                        on(u"JobDes"_s, MatchKind::Start, u"  "_s)});
    EXPECT_EQ(engine.count(), 1);
    EXPECT_EQ(engine.criteria().first().value, u"B"_s);
}

TEST_F(FilterCriteriaTest, RangesOfDatesHoursAndTimesCompareByValue)
{
    FormatSettings &fs = FormatSettings::instance();
    EXPECT_EQ(clientsFor({range(u"WDate"_s, fs.formatDate(dt::fromDate(QDate(2024, 3, 2))),
                                fs.formatDate(dt::fromDate(QDate(2024, 3, 31))))}),
              (QStringList{u"acme labs"_s, u"Beta & Co"_s}));
    EXPECT_EQ(clientsFor({range(u"WDate"_s, u"2024-03-05"_s, QString())}),
              (QStringList{u"Beta & Co"_s, u"Cobalt"_s}));
    // Hours: 1.5, 1, 2, 0.5. "10" is more than "2" as a number, not as text.
    EXPECT_EQ(clientsFor({range(u"Hours"_s, u"1"_s, u"10"_s)}),
              (QStringList{u"Acme Corp"_s, u"acme labs"_s, u"Beta & Co"_s}));
    EXPECT_EQ(clientsFor({on(u"Hours"_s, MatchKind::Start, u"1.5 or 0.5"_s)}),
              (QStringList{u"Acme Corp"_s, u"Cobalt"_s}));
    EXPECT_EQ(clientsFor({on(u"TimeIn"_s, MatchKind::Whole, u"8:15 AM"_s)}),
              QStringList{u"Cobalt"_s});
    EXPECT_EQ(clientsFor({range(u"TimeIn"_s, u"11:00"_s, u"1:00 PM"_s)}),
              (QStringList{u"acme labs"_s, u"Beta & Co"_s}));
}

TEST_F(FilterCriteriaTest, ValuesAreReadInTheUsersLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    FormatSettings::instance().resetFromLocale();
    EXPECT_EQ(clientsFor({on(u"Hours"_s, MatchKind::Whole, u"1,5"_s)}),
              QStringList{u"Acme Corp"_s});
    EXPECT_EQ(clientsFor({range(u"WDate"_s, u"01.04.24"_s, u"30.04.24"_s)}),
              QStringList{u"Cobalt"_s});
    EXPECT_EQ(clientsFor({on(u"Billable"_s, MatchKind::Whole, u"False"_s)}),
              (QStringList{u"acme labs"_s, u"Cobalt"_s}));
}

TEST_F(FilterCriteriaTest, ValuesItCannotReadAreRefusedWithAMessageAndTheOldListStays)
{
    engine.setCriteria({on(u"CustName"_s, MatchKind::Start, u"Acme"_s)});
    Criterion badDate = on(u"WDate"_s, MatchKind::Whole, u"31st of Smarch"_s);
    badDate.label = u"Date"_s;
    EXPECT_THROW(engine.setCriteria({badDate}), CriteriaError);
    EXPECT_EQ(engine.count(), 1);
    EXPECT_EQ(engine.criteria().first().fieldName, u"CustName"_s);

    EXPECT_TRUE(errorFor(badDate).contains(u"\"31st of Smarch\" is not a date"_s))
        << errorFor(badDate).toStdString();
    EXPECT_TRUE(
        errorFor(on(u"Hours"_s, MatchKind::Whole, u"lots"_s)).contains(u"is not a number"_s));
    EXPECT_TRUE(
        errorFor(on(u"Billable"_s, MatchKind::Whole, u"maybe"_s)).contains(u"True or False"_s));
    EXPECT_TRUE(errorFor(on(u"CustName"_s, MatchKind::Start, u"Acme or"_s))
                    .contains(u"\"or\" needs a value"_s));
    EXPECT_TRUE(errorFor(on(u"CustName"_s, MatchKind::Start, u"and Acme"_s))
                    .contains(u"\"and\" needs a value"_s));
    EXPECT_TRUE(
        errorFor(on(u"CustName"_s, MatchKind::Start, u"null Acme"_s)).contains(u"stands alone"_s));
    EXPECT_TRUE(errorFor(range(u"Hours"_s, u"5"_s, u"1"_s)).contains(u"starts after it ends"_s));
    EXPECT_TRUE(errorFor(range(u"Hours"_s, u"x"_s, QString())).contains(u"is not a number"_s));
    EXPECT_TRUE(errorFor(on(u"NoSuchField"_s, MatchKind::Start, u"x"_s)).contains(u"no field"_s));
    // A dangling quote is text up to the end, not a failure.
    EXPECT_TRUE(errorFor(on(u"CustName"_s, MatchKind::Start, u"\"Acme"_s)).isEmpty());
}

TEST_F(FilterCriteriaTest, NoCriteriaSwitchTheFilterOff)
{
    EXPECT_EQ(clientsFor({on(u"CustName"_s, MatchKind::Start, u"Cob"_s)}).size(), 1);
    EXPECT_TRUE(dm->TBInout->isFiltered());
    engine.clear();
    engine.apply();
    EXPECT_FALSE(dm->TBInout->isFiltered());
    EXPECT_EQ(dm->TBInout->countView(), 4);
}

} // namespace
