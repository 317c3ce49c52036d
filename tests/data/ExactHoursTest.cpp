// Billed hours checked against a reference written here in plain integer arithmetic: every
// whole-minute in/out pair of a day at every increment and the usual minima, minute rounding of
// every half minute of a day, and records posted through the data module.
//
#include "BillingReference.h"
#include "DataFixture.h"
#include "HoursRule.h"

#include <QRandomGenerator>
#include <array>
#include <cstdint>

using namespace kv;
using namespace kv::test;

namespace {

using kv::test::i64;
using kv::test::referenceBilled;

double minuteValue(int minute)
{
    return dt::fromMsOfDay(i64(minute) * 60000);
}

constexpr std::array<int, 4> kMinima = {0, 15, 30, 60};

class ExactHoursPost : public DataFixture
{
};

// The table of spans that were billed differently depending on the time of day.
TEST(ExactHours, SpansThatBinaryFractionsGotWrong)
{
    struct Case
    {
        int incr, inMinute, outMinute;
        double expected;
    };
    const Case cases[] = {
        {6, 0, 9, 0.2},
        {6, 9 * 60, 9 * 60 + 9, 0.2},
        {6, 9 * 60, 10 * 60 + 3, 1.0},
        {30, 2, 107, 2.0},
        {45, 1, 61, 1.0},
        {7, 1, 61, 1.0},
        {15, 9 * 60, 17 * 60 + 20, 8.25},
    };
    for (const Case &c : cases) {
        const HoursRuleResult r =
            applyHoursRule(minuteValue(c.inMinute), minuteValue(c.outMinute), c.incr, 0);
        EXPECT_EQ(r.hours, c.expected) << c.inMinute << "-" << c.outMinute << " by " << c.incr;
    }
    EXPECT_DOUBLE_EQ(RoundTime(2.95, 7), 2.0 + 56.0 / 60.0);
    EXPECT_EQ(RoundTime(1.25, 30), 1.0);
    EXPECT_EQ(RoundTime(1.75, 30), 2.0);
}

// Every whole-minute pair of one day (an out time of 00:00 read as 24:00), every increment from
// 1 to 60, the minima 0, 15, 30 and 60: the rule's rounded times and hours against the
// reference. One test per minimum, so that CTest runs them side by side.
class EveryMinutePair : public ::testing::TestWithParam<int>
{
};

TEST_P(EveryMinutePair, MatchesTheReference)
{
    const int minimum = GetParam();
    std::array<double, 1441> values{};
    for (int m = 0; m <= 1440; ++m)
        values[m] = minuteValue(m);
    i64 differences = 0;
    for (int incr = 1; incr <= 60; ++incr) {
        // The reference depends on the span only; the rule sees each pair.
        std::array<double, 1441> expected{};
        for (int span = 1; span <= 1440; ++span)
            expected[span] = double(referenceBilled(i64(span) * 60000, incr, minimum)) / 10000.0;
        for (int in = 0; in < 1440; ++in) {
            for (int out = 0; out < 1440; ++out) {
                const int outMinute = (out == 0 && in > 0) ? 1440 : out;
                const HoursRuleResult r = applyHoursRule(values[in], values[out], incr, minimum);
                const bool ordered = in < outMinute;
                const double want = ordered ? expected[outMinute - in] : 0.0;
                if (r.hours != want || r.rounded != ordered ||
                    (ordered && (r.timeIn != values[in] || r.timeOut != values[outMinute]))) {
                    if (++differences <= 5)
                        ADD_FAILURE() << "in " << in << " out " << out << " incr " << incr << ": "
                                      << r.hours << " instead of " << want;
                }
            }
        }
    }
    EXPECT_EQ(differences, 0);
}

INSTANTIATE_TEST_SUITE_P(Minima, EveryMinutePair, ::testing::ValuesIn(kMinima));

// Every hh:mm:30.000 of a day is a tie and goes to the even minute; a millisecond either side
// decides. Through the rule's minute rounding of the time-in.
TEST(ExactHours, MinuteRoundingOfEveryHalfMinute)
{
    for (int minute = 0; minute < 1440; ++minute) {
        const i64 tieMs = i64(minute) * 60000 + 30000;
        const int even = (minute % 2 == 0) ? minute : minute + 1;
        EXPECT_EQ(dt::roundToMinute(dt::fromMsOfDay(tieMs)), minuteValue(even)) << minute;
        EXPECT_EQ(dt::roundToMinute(dt::fromMsOfDay(tieMs - 1)), minuteValue(minute));
        EXPECT_EQ(dt::roundToMinute(dt::fromMsOfDay(tieMs + 1)), minuteValue(minute + 1));
    }
    EXPECT_EQ(dt::roundToMinute(at(0, 4, 30)), at(0, 4));
    EXPECT_EQ(dt::roundToMinute(at(23, 59, 30)), 1.0);
}

// Records posted through the data module with every rule: a sample of pairs, increments and
// minima, including seconds on both times, against the reference on the rounded minutes.
TEST_F(ExactHoursPost, SampledRecordsPostedWithAllRules)
{
    QRandomGenerator rng(20261209);
    const double day = dt::fromDate(QDate(2026, 3, 2));
    for (int i = 0; i < 300; ++i) {
        const int incr = rng.bounded(1, 61);
        const int minimum = kMinima[rng.bounded(4)];
        const i64 inMs = rng.bounded(86'400'000);
        const i64 outMs = rng.bounded(86'400'000);
        setBilling(incr, minimum);
        const double hours = postRecord(day + i, dt::fromMsOfDay(inMs), dt::fromMsOfDay(outMs));
        i64 inMinute = kv::test::nearest(inMs, 60000);
        i64 outMinute = kv::test::nearest(outMs, 60000);
        const double want =
            inMs < outMs && inMinute < outMinute
                ? double(referenceBilled((outMinute - inMinute) * 60000, incr, minimum)) / 10000.0
                : 0.0;
        EXPECT_EQ(hours, want) << inMs << " to " << outMs << " by " << incr << " min " << minimum;
    }
}

} // namespace
