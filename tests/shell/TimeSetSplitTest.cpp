// Splitting a closed time set into records: one per calendar day, billable hours per record.
#include "TimeSetSplit.h"
#include "BillingReference.h"
#include "DateTime.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace kv;

namespace {

const double kMonday = dt::fromDate(QDate(2026, 3, 2));
const double kTuesday = kMonday + 1;
const double kWednesday = kMonday + 2;

double at(int h, int m, int s = 0)
{
    return dt::fromTime(QTime(h, m, s));
}

std::vector<SpanRecord> split(double in, double out, BillingSettings billing = {15, 0})
{
    return splitTimeSet(in, out, dt::datePart(in), dt::timePart(in), billing);
}

void expectRecord(const SpanRecord &r, double date, double in, double out, double hours)
{
    EXPECT_DOUBLE_EQ(r.wDate, date);
    EXPECT_NEAR(r.timeIn, in, 1e-9);
    EXPECT_NEAR(dt::timePart(r.timeOut), dt::timePart(out), 1e-9);
    EXPECT_NEAR(r.hours, hours, 1e-9);
}

TEST(TimeSetSplit, SameDaySpansGiveOneRecordRoundedToTheIncrementAndRaisedToTheMinimum)
{
    auto r = split(kMonday + at(9, 0), kMonday + at(17, 20), {15, 15});
    ASSERT_EQ(r.size(), 1u);
    expectRecord(r[0], kMonday, at(9, 0), at(17, 20), 8.25);

    r = split(kMonday + at(9, 0), kMonday + at(9, 5), {15, 60});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].hours, 1.0);

    // No increment configured: the hours are not rounded, only cut to four decimals.
    r = split(kMonday + at(9, 0), kMonday + at(9, 7), {0, 0});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].hours, 0.1167);

    // The hours count from the unrounded out time; the out time is rounded to the minute.
    r = split(kMonday + at(9, 0), kMonday + at(9, 10, 31), {0, 0});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(dt::timePart(r[0].timeOut), at(9, 11), 1e-9);
    EXPECT_DOUBLE_EQ(r[0].hours, 0.1753);
}

TEST(TimeSetSplit, NothingToBookGivesNoRecord)
{
    EXPECT_TRUE(split(kMonday + at(10, 1), kMonday + at(10, 0, 50)).empty());
    EXPECT_TRUE(split(kMonday + at(10, 0), kMonday + at(10, 0)).empty());
    EXPECT_TRUE(split(kTuesday + at(1, 0), kMonday + at(23, 0)).empty());
}

TEST(TimeSetSplit, ASpanOverMidnightIsSplitAtMidnightAndLosesNoTime)
{
    auto r = split(kMonday + at(22, 0), kTuesday + at(2, 0));
    ASSERT_EQ(r.size(), 2u);
    expectRecord(r[0], kMonday, at(22, 0), split::kFirstDayOut, 2.0);
    expectRecord(r[1], kTuesday, 0, at(2, 0), 2.0);

    // Clocked out on the stroke of midnight: the last day is posted with no hours.
    r = split(kMonday + at(22, 0), kTuesday);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_DOUBLE_EQ(r[0].hours, 2.0);
    expectRecord(r[1], kTuesday, 0, 0, 0);
}

TEST(TimeSetSplit, LongSpansGiveFirstDayWholeDaysAndLastDay)
{
    // Monday 10:00 to Wednesday 11:00.
    auto r = split(kMonday + at(10, 0), kWednesday + at(11, 0));
    ASSERT_EQ(r.size(), 3u);
    expectRecord(r[0], kMonday, at(10, 0), split::kFirstDayOut, 14.0);
    expectRecord(r[1], kTuesday, 0, split::kWholeDayOut, 24.0);
    expectRecord(r[2], kWednesday, 0, at(11, 0), 11.0);

    // 47 hours still include Tuesday as a whole day.
    r = split(kMonday + at(10, 0), kWednesday + at(9, 0));
    ASSERT_EQ(r.size(), 3u);
    EXPECT_DOUBLE_EQ(r[1].wDate, kTuesday);
    expectRecord(r[2], kWednesday, 0, at(9, 0), 9.0);

    // 24.5 hours: two records, no whole day.
    r = split(kMonday + at(10, 0), kTuesday + at(10, 30));
    ASSERT_EQ(r.size(), 2u);
    expectRecord(r[1], kTuesday, 0, at(10, 30), 10.5);
}

TEST(TimeSetSplit, TwentyFourHourBoundaries)
{
    // Exactly 24 hours reach into the next day: two records, not one of 0 hours.
    auto r = split(kMonday + at(10, 0), kTuesday + at(10, 0));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_DOUBLE_EQ(r[0].hours, 14.0);
    EXPECT_DOUBLE_EQ(r[1].hours, 10.0);

    // A set begun at 00:00 that ends within the day stays one record.
    r = split(kMonday, kMonday + at(23, 0));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_DOUBLE_EQ(r[0].hours, 23.0);

    // Ending at 24:00 after a 00:00 start would store 00:00-00:00: it ends at 23:59.
    r = split(kMonday, kMonday + at(23, 59, 45), {1, 0});
    ASSERT_EQ(r.size(), 1u);
    EXPECT_NEAR(dt::timePart(r[0].timeOut), split::kWholeDayOut, 1e-9);

    // The same on the last day of a split set.
    r = split(kMonday + at(10, 0), kTuesday + at(23, 59, 40), {1, 0});
    ASSERT_EQ(r.size(), 2u);
    EXPECT_NEAR(r[1].timeOut, split::kWholeDayOut, 1e-9);
    EXPECT_NEAR(r[1].hours, 23.9833, 1e-9);

    // A first day begun after 23:59:51 has nothing left to bill.
    r = split(kMonday + at(23, 59, 55), kTuesday + at(1, 0));
    ASSERT_EQ(r.size(), 2u);
    EXPECT_DOUBLE_EQ(r[0].hours, 0.0);
}

// Spans with seconds as a clock-out sees them, at every half increment (the ties of RoundTime)
// and a millisecond either side, from start times through the day on a date of today's size,
// against the reference on milliseconds; and the first and last day of split sets likewise.
TEST(TimeSetSplit, BilledHoursWithSecondsMatchTheReferenceAtAndAroundTies)
{
    using kv::test::i64;
    using kv::test::referenceBilled;
    const double day = dt::fromDate(QDate(2026, 12, 9));
    const i64 hourMs = 3'600'000;
    const i64 starts[] = {0, 17'250, (7 * 60 + 3) * 60'000LL + 29'999, 9 * hourMs + 30'000,
                          (20 * 60 + 30) * 60'000LL + 1};
    i64 differences = 0;
    auto check = [&](double got, i64 spanMs, int incr, int minimum, const char *what) {
        const double want = double(referenceBilled(spanMs, incr, minimum)) / 10000.0;
        if (got != want && ++differences <= 5)
            ADD_FAILURE() << what << ": span " << spanMs << " ms by " << incr << " min " << minimum
                          << ": " << got << " instead of " << want;
    };
    for (int incr = 1; incr <= 60; ++incr) {
        const i64 incrMs = incr * 60'000LL;
        for (int minimum : {0, 15, 30, 60}) {
            const BillingSettings billing{incr, minimum};
            for (i64 inMs : starts) {
                const i64 room = 86'400'000 - inMs - 1; // the span stays within the day
                for (i64 tie = incrMs / 2; tie <= std::min<i64>(room, 3 * hourMs); tie += incrMs) {
                    for (i64 spanMs : {tie - 1, tie, tie + 1}) {
                        if (spanMs <= 0 || spanMs > room)
                            continue;
                        const double in = day + dt::fromMsOfDay(inMs);
                        const auto r = splitTimeSet(in, day + dt::fromMsOfDay(inMs + spanMs), day,
                                                    dt::fromMsOfDay(inMs), billing);
                        if (r.size() != 1) {
                            ADD_FAILURE() << r.size() << " records";
                            continue;
                        }
                        check(r[0].hours, spanMs, incr, minimum, "one record");
                    }
                }
            }
            // Split sets: the first day bills up to 23:59:51.36, the last day from 00:00 to its
            // out time rounded to the minute.
            for (i64 offset : {-1LL, 0LL, 1LL}) {
                const i64 inMs = 86'391'360 - incrMs / 2 + offset - 2 * hourMs;
                const i64 outMs = 86'400'000 + 3 * hourMs + incrMs / 2 + offset;
                const auto r =
                    splitTimeSet(day + dt::fromMsOfDay(inMs), day + double(outMs) / 86'400'000.0,
                                 day, dt::fromMsOfDay(inMs), billing);
                ASSERT_EQ(r.size(), 2u);
                check(r[0].hours, 86'391'360 - inMs, incr, minimum, "first day");
                const i64 lastMinutes = kv::test::nearest(outMs - 86'400'000, 60'000);
                check(r[1].hours, lastMinutes * 60'000, incr, minimum, "last day");
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

} // namespace
