// The hours rule: billing-increment rounding, minute rounding of the times, the minimum
// billable time, midnight as the end of a day, and records posted without changes.
#include "HoursRule.h"
#include "DataFixture.h"
#include "QtPrinters.h"

using namespace kv;
using namespace kv::test;

namespace {

const double kDay = dt::fromDate(QDate(2026, 3, 2));

TEST(RoundTimeTest, RoundsOnlyThePartOfAnHourHalvesToEven)
{
    struct Case
    {
        double span;
        int incr;
        double expected;
    };
    const Case cases[] = {
        {2.95, 7, 2.0 + 8.0 * 7.0 / 60.0}, // 0.95 h = 8.14 increments of 7 minutes
        {1.25, 30, 1.0},                   // q = 0.5: a tie goes to the even 0
        {1.75, 30, 2.0},                   // q = 1.5: a tie goes to the even 2
        {0.3166666, 15, 0.25},
        {3.0, 15, 3.0},
        {0.125, 15, 0.0}, // q = 0.5 again: down to 0
    };
    for (const Case &c : cases)
        EXPECT_NEAR(RoundTime(c.span, c.incr), c.expected, 1e-12) << c.span << " by " << c.incr;
}

TEST(RoundTimeTest, EmptyOrZeroIncrementRoundsNothing)
{
    EXPECT_DOUBLE_EQ(RoundTime(1.2345, 0), 1.2345);
    EXPECT_DOUBLE_EQ(RoundTime(1.2345, -5), 1.2345);
    EXPECT_TRUE(std::isfinite(billableHoursOfMs(1'800'000, 0, 0)));
    EXPECT_EQ(billableHoursOfMs(444'442, 0, 0), 0.1235); // 0.123456 h
    EXPECT_EQ(billableHoursOfMs(444'420, 0, 0), 0.1234); // 0.12345 h: a tie, to the even 4
}

TEST(RoundTimeTest, MinuteRoundingNearMidnight)
{
    EXPECT_DOUBLE_EQ(dt::roundToMinute(at(23, 59, 29)), at(23, 59));
    EXPECT_DOUBLE_EQ(dt::roundToMinute(at(23, 59, 30)), 1.0);
    EXPECT_DOUBLE_EQ(dt::roundToMinute(at(10, 0, 40)), at(10, 1));
    // 30 seconds is a tie: 10:00:30 -> m = 0.5 -> even 0.
    EXPECT_DOUBLE_EQ(dt::roundToMinute(at(10, 0, 30)), at(10, 0));
    EXPECT_DOUBLE_EQ(dt::roundToMinute(at(10, 1, 30)), at(10, 2));
}

class HoursRuleTest : public DataFixture
{
};

TEST_F(HoursRuleTest, TimesRoundToTheMinuteAndHoursToTheIncrement)
{
    setBilling(15, 15);
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(10, 0, 40), at(10, 20, 10)), 0.25);
    EXPECT_DOUBLE_EQ(dm->TBInoutTimeIn->asDateTime(), at(10, 1));
    EXPECT_DOUBLE_EQ(dm->TBInoutTimeOut->asDateTime(), at(10, 20));
}

TEST_F(HoursRuleTest, MinimumBillableTimeRaisesShortSpans)
{
    setBilling(15, 30);
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(9, 0), at(9, 10)), 0.5);
    setBilling(6, 0);
    EXPECT_DOUBLE_EQ(postRecord(kDay + 1, at(9, 0), at(9, 10)), 0.2);
}

TEST_F(HoursRuleTest, ReversedTimesGiveZeroAndStayUnrounded)
{
    setBilling(15, 15);
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(22, 0, 20), at(2, 0, 40)), 0.0);
    EXPECT_NEAR(dm->TBInoutTimeIn->asDateTime(), at(22, 0, 20), 1e-9);
    EXPECT_NEAR(dm->TBInoutTimeOut->asDateTime(), at(2, 0, 40), 1e-9);
}

TEST_F(HoursRuleTest, OutAtMidnightIsTheEndOfTheDayAndSurvivesLaterEdits)
{
    setBilling(15, 15);
    // 23:59:51 rounds to 24:00, stored as 00:00; hours are counted to 24:00.
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(10, 0), at(23, 59, 51)), 14.0);
    EXPECT_DOUBLE_EQ(dm->TBInoutTimeOut->asDateTime(), 0.0);

    // Editing the task text later keeps the 14 hours: 00:00 after 10:00 reads as 24:00.
    dm->TBInout->edit();
    dm->TBInoutTaskDes->setAsString(QStringLiteral("Quarterly close"));
    dm->TBInout->post();
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 14.0);

    // The first-day record of a split span: 22:00 to 00:00 is two hours.
    EXPECT_DOUBLE_EQ(postRecord(kDay + 1, at(22, 0), 0.0), 2.0);
    // 00:00 to 00:00 stays nothing.
    EXPECT_DOUBLE_EQ(postRecord(kDay + 2, 0.0, 0.0), 0.0);
}

TEST_F(HoursRuleTest, FirstRecordOfAnEmptyLogGetsItsHours)
{
    setBilling(15, 0);
    ASSERT_TRUE(dm->TBInout->isEmpty());
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(8, 0), at(9, 30)), 1.5);
}

TEST_F(HoursRuleTest, EmptyIncrementStoresTheExactSpan)
{
    dm->ensureConfigRecord();
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(8, 0), at(8, 20)), 0.3333);
}

TEST_F(HoursRuleTest, UnchangedRecordPostedAgainKeepsItsHours)
{
    setBilling(15, 0);
    EXPECT_DOUBLE_EQ(postRecord(kDay, at(8, 0), at(8, 20)), 0.25);
    // With an hourly increment the same times would give 0 hours; an unchanged post keeps 0.25.
    setBilling(60, 0);
    dm->TBInout->first();
    dm->TBInout->edit();
    dm->TBInout->post();
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 0.25);
    // A changed record is computed anew.
    dm->TBInout->edit();
    dm->TBInoutTimeOut->setAsDateTime(at(8, 40));
    dm->TBInout->post();
    EXPECT_DOUBLE_EQ(dm->TBInoutHours->asFloat(), 1.0);
}

} // namespace
