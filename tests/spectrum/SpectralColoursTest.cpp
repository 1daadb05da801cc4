// Spectral colours against the published sample table, and the brightness rules.
#include "spectrum/SpectralColours.h"

#include <gtest/gtest.h>

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

} // namespace
