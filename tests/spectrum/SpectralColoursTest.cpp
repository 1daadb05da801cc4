// SPDX-License-Identifier: GPL-3.0-or-later
// Spectral colours against the published sample table, and the brightness rules.
#include "spectrum/SpectralColours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Sample {
    int32_t lambda;
    int red, green, blue;
};

void ExpectRgb(int32_t lambda, double brightness, int red, int green, int blue) {
    const RgbBytes rgb = WavelengthToRgb(lambda, brightness);
    EXPECT_EQ(rgb.Red, red) << lambda << " nm at " << brightness;
    EXPECT_EQ(rgb.Green, green) << lambda << " nm at " << brightness;
    EXPECT_EQ(rgb.Blue, blue) << lambda << " nm at " << brightness;
}

TEST(SpectralColours, SampleTableAtFullBrightness) {
    const Sample samples[] = {{379, 0, 0, 0},     {380, 97, 0, 97},   {400, 131, 0, 181}, {440, 0, 0, 255},
                              {450, 0, 70, 255},  {490, 0, 255, 255}, {500, 0, 255, 146}, {510, 0, 255, 0},
                              {546, 150, 255, 0}, {580, 255, 255, 0}, {600, 255, 190, 0}, {645, 255, 0, 0},
                              {701, 253, 0, 0},   {750, 161, 0, 0},   {780, 97, 0, 0},    {781, 0, 0, 0}};
    for (const Sample& s : samples)
        ExpectRgb(s.lambda, 1, s.red, s.green, s.blue);
}

TEST(SpectralColours, HalfBrightnessDarkens) {
    ExpectRgb(380, 0.5, 56, 0, 56);
    ExpectRgb(440, 0.5, 0, 0, 146);
    ExpectRgb(580, 0.5, 146, 146, 0);
}

TEST(SpectralColours, BrightnessLimits) {
    for (int32_t lambda = 360; lambda <= 800; ++lambda) {
        EXPECT_EQ(PackColor(WavelengthToRgb(lambda, 0)), clBlack) << lambda;
        EXPECT_EQ(WavelengthColor(lambda, 1.5), WavelengthColor(lambda, 1)) << lambda;
        // A falling spectrum can never ask for less than nothing, but such a request still gives black.
        EXPECT_EQ(WavelengthColor(lambda, -0.5), clBlack) << lambda;
    }
    for (const double brightness : {0.25, 1.0, 3.0}) {
        EXPECT_EQ(WavelengthColor(379, brightness), clBlack);
        EXPECT_EQ(WavelengthColor(781, brightness), clBlack);
    }
}

TEST(SpectralColours, ComponentsAndPacking) {
    EXPECT_EQ(AdjustComponent(0, 1), 0);
    EXPECT_EQ(AdjustComponent(1, 0), 0);
    EXPECT_EQ(AdjustComponent(1, 1), 255);
    EXPECT_EQ(AdjustComponent(0.5, 1), 146);
    EXPECT_EQ(PackColor({1, 2, 3}), 0x030201u);
    EXPECT_EQ(WavelengthColor(546, 1), 0x00FF96u);
}

TEST(SpectralColours, ComponentsOfTheModel) {
    const auto expect = [](int32_t lambda, double red, double green, double blue, double intensity) {
        const SpectralComponents c = ComponentsAt(lambda);
        EXPECT_DOUBLE_EQ(c.Red, red) << lambda;
        EXPECT_DOUBLE_EQ(c.Green, green) << lambda;
        EXPECT_DOUBLE_EQ(c.Blue, blue) << lambda;
        EXPECT_DOUBLE_EQ(c.Intensity, intensity) << lambda;
    };
    expect(379, 0, 0, 0, 0);
    expect(380, 1, 0, 1, 0.3);
    expect(465, 0, 0.5, 1, 1);
    expect(500, 0, 1, 0.5, 1);
    expect(740, 1, 0, 0, 0.65);
    expect(781, 0, 0, 0, 0);
}

// Round(255 × base^0.8) evaluated directly, one power per byte: what the quick colours must reproduce.
int32_t DirectByte(double base) {
    if (!(base > 0)) return 0;
    return std::min(RoundHalfEven(255 * std::pow(base, 0.8)), 255);
}

RgbBytes DirectRgb(int32_t lambda, double brightness) {
    const SpectralComponents c = ComponentsAt(lambda);
    const double factor = brightness < 1 ? c.Intensity * brightness : c.Intensity;
    return {static_cast<uint8_t>(DirectByte(c.Red * factor)),
            static_cast<uint8_t>(DirectByte(c.Green * factor)),
            static_cast<uint8_t>(DirectByte(c.Blue * factor))};
}

TEST(SpectralColours, EveryColourIsExactlyThePowerFormulas) {
    std::vector<double> brightnesses = {-0.5,
                                        0,
                                        1e-6,
                                        1e-4,
                                        3e-4,
                                        4e-4,
                                        5e-4,
                                        0.999999,
                                        1,
                                        1.5,
                                        std::numeric_limits<double>::infinity(),
                                        std::numeric_limits<double>::quiet_NaN()};
    for (int i = 1; i < 2000; ++i)
        brightnesses.push_back(i / 2000.0);
    for (int32_t lambda = 300; lambda <= 800; ++lambda)
        for (const double brightness : brightnesses) {
            const RgbBytes quick = WavelengthToRgb(lambda, brightness);
            const RgbBytes direct = DirectRgb(lambda, brightness);
            ASSERT_EQ(PackColor(quick), PackColor(direct)) << lambda << " nm at " << brightness;
        }
}

// Where the byte steps up, the last base below the step and the first at it must both agree.
TEST(SpectralColours, ComponentBytesAgreeOnBothSidesOfEveryStep) {
    int steps = 0;
    double previous = 1e-5;
    for (double base = previous; base < 1.01; previous = base, base *= 1.0001) {
        ASSERT_EQ(AdjustComponent(base, 1), DirectByte(base)) << base;
        ASSERT_EQ(AdjustComponent(0.5, 2 * base), DirectByte(0.5 * (2 * base))) << base;
        if (DirectByte(base) == DirectByte(previous)) continue;
        double below = previous;
        double reaching = base;
        while (std::nextafter(below, 2.0) < reaching) {
            const double middle = below + (reaching - below) / 2;
            (DirectByte(middle) == DirectByte(previous) ? below : reaching) = middle;
        }
        ASSERT_EQ(AdjustComponent(below, 1), DirectByte(below)) << below;
        ASSERT_EQ(AdjustComponent(reaching, 1), DirectByte(reaching)) << reaching;
        ++steps;
    }
    EXPECT_EQ(steps, 255);
}

} // namespace
