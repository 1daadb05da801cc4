// SPDX-License-Identifier: GPL-3.0-or-later
// The tick steps of every new diagram's axes, on a table of ranges from tiny to huge.
#include "chart/AxisTicks.h"

#include <gtest/gtest.h>

namespace {

struct TickCase {
    double low, high;
    int maxTicks;
    double step, first;
    int count, decimals;
};

const TickCase tickCases[] = {
    {0, 10, 6, 2, 0, 6, 0},          // 0 2 4 … 10
    {0, 10, 11, 1, 0, 11, 0},        // 0 1 … 10
    {0, 10, 3, 5, 0, 3, 0},          // 0 5 10
    {0, 1.2, 7, 0.2, 0, 7, 1},       // absorbance of crystal violet
    {0.06, 1.23, 6, 0.5, 0.5, 2, 1}, // rough step 0.234 → 0.5
    {0.06, 1.23, 13, 0.1, 0.1, 12, 1},
    {0, 900, 10, 100, 0, 10, 0}, // a 15-minute series in s
    {0, 3600, 8, 1000, 0, 4, 0}, // rough 514 → 1000
    {-0.05, 0.05, 5, 0.05, -0.05, 3, 2},
    {-273, 100, 5, 100, -200, 4, 0}, // rough 93.25 → 100
    {1e-9, 5e-9, 5, 1e-9, 1e-9, 5, 9},
    {0, 2e12, 3, 1e12, 0, 3, 0},
    {10, 0, 6, 2, 0, 6, 0},     // ends the wrong way round
    {0, 0, 5, 0.5, -1, 5, 1},   // no width at 0: −1 … 1
    {50, 50, 3, 5, 45, 3, 0},   // no width: ±5
    {-4, -4, 3, 0.5, -4, 1, 1}, // rough step 0.4 → 0.5, ±0.4 leaves only −4
    {0, 100, 1, 100, 0, 2, 0},  // fewer than 2 asked: 2
    {std::numeric_limits<double>::quiet_NaN(), 3, 6, 0.2, 0, 6, 1},
    {-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 6, 0.2, 0, 6, 1},
};

class AxisTicksTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(AxisTicksTest, StepsOfOneTwoFive) {
    const TickCase& c = GetParam();
    const AxisTicks ticks = ChooseTicks(c.low, c.high, c.maxTicks);
    EXPECT_NEAR(ticks.Step, c.step, c.step * 1e-9);
    EXPECT_NEAR(ticks.First, c.first, c.step * 1e-9);
    EXPECT_EQ(ticks.Count, c.count);
    EXPECT_EQ(ticks.Decimals, c.decimals);
}

INSTANTIATE_TEST_SUITE_P(Ranges, AxisTicksTest, ::testing::ValuesIn(tickCases),
                         [](const ::testing::TestParamInfo<TickCase>& info) {
                             return std::to_string(info.index);
                         });

TEST(AxisTicksTest, RoundedOutStartsAndEndsOnATick) {
    const AxisTicks ticks = RoundedOutTicks(0.06, 1.23, 8);
    EXPECT_DOUBLE_EQ(ticks.Step, 0.2);
    EXPECT_DOUBLE_EQ(ticks.Low, 0);
    EXPECT_NEAR(ticks.High, 1.4, 1e-12);
    EXPECT_EQ(ticks.Count, 8);
    // Widening would give 9 ticks at 0.2: the next step keeps the limit.
    const AxisTicks fewer = RoundedOutTicks(0.06, 1.23, 7);
    EXPECT_DOUBLE_EQ(fewer.Step, 0.5);
    EXPECT_DOUBLE_EQ(fewer.High, 1.5);
    EXPECT_EQ(fewer.Count, 4);
}

TEST(AxisTicksTest, LabelsWithDecimalCommaAndNoNegativeZero) {
    EXPECT_EQ(TickLabel(0.25, 2), "0,25");
    EXPECT_EQ(TickLabel(-1.5, 1), "-1,5");
    EXPECT_EQ(TickLabel(-1e-17, 1), "0,0");
    EXPECT_EQ(TickLabel(3600, 0), "3600");
}

} // namespace
