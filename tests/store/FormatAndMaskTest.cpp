// Tests of the text formats (numbers, times, dates, parsing) and of the picture masks.
#include "PictureMask.h"
#include "StoreTestSupport.h"

#include <QLocale>

using namespace kv;
using namespace kv::test;

namespace {

class StoreFormatTest : public StoreTest
{
protected:
    FormatSettings &fs() { return FormatSettings::instance(); }
};

struct FloatCase
{
    double value;
    const char *format;
    const char *expected;
};

TEST_F(StoreFormatTest, DisplayFormatsRoundHalfAwayOnTheDecimalForm)
{
    const FloatCase cases[] = {
        {1.5, "#0.0000", "1.5000"},
        {0.125, "#0.00", "0.13"},       // a binary tie still rounds up, as the user reads it
        {1.00005, "#0.0000", "1.0001"}, // 1.00004999... in binary
        {2.675, "#0.00", "2.68"},
        {1234567.891, ",0.00", "1,234,567.89"},
        {-2.5, "#0.0", "-2.5"},
        {-0.001, "#0.00", "0.00"}, // no "-0.00"
        {0.5, "#.##", ".5"},
        {9.999, "#0.00", "10.00"},
        {-3, "0;(0)", "(3)"},
        {0, "0.0;(0.0);zero", "zero"},
        {12, "\"$\"#0.00", "$12.00"},
        {2.0, "", "2"},
        {0.1 + 0.2, "", "0.3"},
    };
    for (const FloatCase &c : cases)
        EXPECT_EQ(fs().formatFloat(c.value, QString::fromUtf8(c.format)),
                  QString::fromUtf8(c.expected))
            << c.value << " with " << c.format;
}

TEST_F(StoreFormatTest, GermanLocaleUsesCommaAndPoint)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    fs().resetFromLocale();
    EXPECT_EQ(fs().formatFloat(1234.5, QStringLiteral(",0.00")), QStringLiteral("1.234,50"));
    EXPECT_EQ(fs().formatFloat(0.25, QStringLiteral("#0.0000")), QStringLiteral("0,2500"));
    EXPECT_EQ(fs().parseFloat(QStringLiteral("1,5")), 1.5);
    EXPECT_EQ(fs().shortDateFormat, QLocale().dateFormat(QLocale::ShortFormat));
    QLocale::setDefault(QLocale::c());
}

TEST_F(StoreFormatTest, TimesUseHourWithoutLeadingZeroAndAmPm)
{
    EXPECT_EQ(fs().longTimeFormat, QStringLiteral("h:nn AMPM"));
    EXPECT_EQ(fs().formatTime(0.0), QStringLiteral("12:00 AM"));
    EXPECT_EQ(fs().formatTime(1.0), QStringLiteral("12:00 AM")); // 24:00 is midnight
    EXPECT_EQ(fs().formatTime(9 * dt::kHour + 5 * dt::kMinute), QStringLiteral("9:05 AM"));
    EXPECT_EQ(fs().formatTime(13.5 * dt::kHour), QStringLiteral("1:30 PM"));
    EXPECT_EQ(fs().formatTime(12 * dt::kHour), QStringLiteral("12:00 PM"));
    const double v = dt::fromDate(QDate(2024, 3, 7)) + 14.25 * dt::kHour;
    EXPECT_EQ(fs().formatDateTime(QStringLiteral("yyyy-mm-dd hh:nn"), v),
              QStringLiteral("2024-03-07 14:15"));
    EXPECT_EQ(fs().formatDateTime(QStringLiteral("d/m/yy h:mm am/pm"), v),
              QStringLiteral("7/3/24 2:15 pm"));
    EXPECT_EQ(fs().formatDate(dt::fromDate(QDate(2024, 3, 7))), QStringLiteral("3/7/24"));
}

TEST_F(StoreFormatTest, ParsesTimesAndDates)
{
    const auto ms = [&](const char *text) {
        const auto t = fs().parseTime(QString::fromUtf8(text));
        return t ? dt::toMsOfDay(*t) : qint64(-1);
    };
    EXPECT_EQ(ms("9:05 PM"), (21 * 60 + 5) * 60'000);
    EXPECT_EQ(ms("12:10 am"), 10 * 60'000);
    EXPECT_EQ(ms("21:05:30"), (21 * 3600 + 5 * 60 + 30) * 1000);
    EXPECT_FALSE(fs().parseTime(QStringLiteral("25:00")));
    EXPECT_FALSE(fs().parseTime(QStringLiteral("13:00 PM")));
    EXPECT_FALSE(fs().parseTime(QStringLiteral("noon")));

    EXPECT_EQ(fs().parseDate(QStringLiteral("3/4/24")), dt::fromDate(QDate(2024, 3, 4)));
    EXPECT_EQ(fs().parseDate(QStringLiteral("3/4/75")), dt::fromDate(QDate(1975, 3, 4)));
    EXPECT_EQ(fs().parseDate(QStringLiteral("3/4/2031")), dt::fromDate(QDate(2031, 3, 4)));
    EXPECT_EQ(fs().parseDate(QStringLiteral("2024-12-31")), dt::fromDate(QDate(2024, 12, 31)));
    EXPECT_FALSE(fs().parseDate(QStringLiteral("31/31/24")));
}

struct MaskCase
{
    const char *picture;
    const char *input;
    const char *result; ///< nullptr: does not fit
};

TEST(StorePictureMaskTest, MatchesAndAppliesCaseRules)
{
    const MaskCase cases[] = {
        {"~", "a", "a"},
        {"~", "A", "a"}, // the to-do table's minor priority is kept in lower case
        {"~", "1", nullptr},
        {"~", "", nullptr},
        {"~", "ab", nullptr},
        {"&&", "ab", "AB"},
        {"!@", "ab", "Ab"},
        {"?#", "x5", "x5"},
        {"###-####", "555-1234", "555-1234"},
        {"###-####", "5551234", nullptr},
        {"*#", "", ""},
        {"*#", "123", "123"},
        {"*#", "12a", nullptr},
        {"*3#", "123", "123"},
        {"*3#", "12", nullptr},
        {"*3#", "1234", nullptr},
        {"[(###)]###-####", "(555)123-4567", "(555)123-4567"},
        {"[(###)]###-####", "123-4567", "123-4567"},
        {"{Yes,No}", "yes", "Yes"},
        {"{Yes,No}", "NO", "No"},
        {"{Yes,No}", "maybe", nullptr},
        {"{##,#}?", "1a", "1a"}, // backtracks into the second alternative
        {"{##,#}?", "12a", "12a"},
        {";#", "#", "#"},
        {";#", "1", nullptr},
        {"*{&#}", "a1b2", "A1B2"},
    };
    for (const MaskCase &c : cases) {
        const PictureMask mask(QString::fromUtf8(c.picture));
        const auto result = mask.apply(QString::fromUtf8(c.input));
        if (c.result) {
            ASSERT_TRUE(result) << c.picture << " should accept " << c.input;
            EXPECT_EQ(*result, QString::fromUtf8(c.result)) << c.picture;
        } else {
            EXPECT_FALSE(result) << c.picture << " should refuse " << c.input;
        }
    }
}

TEST(StorePictureMaskTest, SyntaxErrorsAreRefused)
{
    for (const char *bad : {"[#", "{a,b", "#]", ";", "*", "a}"})
        EXPECT_EQ(storeError([&] { PictureMask m{QString::fromUtf8(bad)}; }).code(),
                  StoreError::kInvalidValue)
            << bad;
}

} // namespace
