// Number masks: the digits, separators and signs a layout's mask prints.
#include "NumberMask.h"

#include <gtest/gtest.h>

using kv::formatNumberMask;

namespace {

struct MaskCase
{
    double value;
    const char *mask;
    const char *expected;
};

class NumberMask : public ::testing::TestWithParam<MaskCase>
{
};

const QLocale kC(QLocale::C);

} // namespace

TEST_P(NumberMask, FormatsLikeTheLayoutAsks)
{
    const MaskCase &c = GetParam();
    EXPECT_EQ(formatNumberMask(c.value, QString::fromUtf8(c.mask), kC),
              QString::fromUtf8(c.expected))
        << c.value << " with " << c.mask;
}

INSTANTIATE_TEST_SUITE_P(
    HoursMask, NumberMask,
    ::testing::Values(MaskCase{0.0, "#0.0000", "0.0000"}, MaskCase{1.5, "#0.0000", "1.5000"},
                      MaskCase{0.25, "#0.0000", "0.2500"}, MaskCase{123.4, "#0.0000", "123.4000"},
                      // Halves of the printed digit round away from zero, as written.
                      MaskCase{0.00005, "#0.0000", "0.0001"}, MaskCase{2.675, "0.00", "2.68"},
                      MaskCase{9.99995, "#0.0000", "10.0000"},
                      MaskCase{-1.25, "#0.0000", "-1.2500"},
                      // A value that rounds to zero has no sign.
                      MaskCase{-0.00001, "#0.0000", "0.0000"}));

INSTANTIATE_TEST_SUITE_P(OtherMasks, NumberMask,
                         ::testing::Values(MaskCase{0.5, "#.##", ".5"}, MaskCase{0.0, "#.##", ""},
                                           MaskCase{1.5, "0.##", "1.5"}, MaskCase{1.0, "0.##", "1"},
                                           MaskCase{7.0, "000", "007"},
                                           MaskCase{1234567.891, "#,##0.00", "1,234,567.89"},
                                           MaskCase{999.0, "#,##0", "999"},
                                           MaskCase{12.5, "'$'#0.00' h'", "$12.50 h"},
                                           MaskCase{-3.0, "0.0;(0.0)", "(3.0)"},
                                           MaskCase{3.0, "0.0;(0.0)", "3.0"},
                                           MaskCase{0.0, "0.0;(0.0);'none'", "none"},
                                           MaskCase{2.0, "", "2"}, MaskCase{0.1, "", "0.1"}));

TEST(NumberMaskLocale, UsesTheLocaleSeparators)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(formatNumberMask(1.5, QStringLiteral("#0.0000"), german), QStringLiteral("1,5000"));
    EXPECT_EQ(formatNumberMask(1234.5, QStringLiteral("#,##0.0"), german),
              QStringLiteral("1.234,5"));
}
