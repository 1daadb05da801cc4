// SPDX-License-Identifier: GPL-3.0-or-later
// The peaks the labels name, on a table of shapes.
#include "spectrum/PeakFinder.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

namespace {

struct Shape {
    const char* Name;
    std::initializer_list<std::pair<int, int32_t>> Levels; // 0 elsewhere
    int32_t Background;                                    // added to channels listed and not
    int32_t FullScale;
    std::vector<int32_t> Wavelengths; // highest peak first, default calibration 360..675 nm
};

TEST(PeakFinder, FindsTheTopsOfATableOfShapes) {
    const Shape shapes[] = {
        {"single, symmetric", {{38, 50}, {39, 150}, {40, 200}, {41, 150}, {42, 50}}, 0, 256, {459}},
        {"single, the parabola leans right", {{39, 100}, {40, 200}, {41, 150}}, 0, 256, {460}},
        {"doublet five channels apart", {{40, 200}, {45, 180}}, 0, 256, {459, 472}},
        {"doublet four channels apart: the lower goes", {{40, 180}, {44, 200}}, 0, 256, {469}},
        {"flat top of four channels: its middle",
         {{50, 200}, {51, 200}, {52, 200}, {53, 200}},
         0,
         256,
         {488}},
        {"flat top of two channels: between them", {{49, 90}, {50, 200}, {51, 200}, {52, 90}}, 0, 256, {485}},
        {"a rise to the end of the range is no peak", {{125, 100}, {126, 150}, {127, 200}}, 0, 256, {}},
        {"a fall from the start of the range is no peak", {{0, 200}, {1, 150}}, 0, 256, {}},
        {"one channel in from the edge", {{0, 100}, {1, 200}, {2, 100}}, 0, 256, {362}},
        {"noise below 5 % of full scale", {{10, 12}, {20, 12}, {30, 12}, {31, 6}, {32, 12}}, 5, 256, {}},
        {"5 % of the full scale, just reached", {{10, 13}}, 0, 256, {385}},
        {"exactly 5 % of the full scale", {{10, 64}}, 0, 1280, {385}},
        {"5 % of a larger full scale, missed", {{10, 13}, {60, 400}}, 0, 512, {509}},
        {"a shoulder on a large peak",
         {{60, 200}, {61, 150}, {62, 120}, {63, 110}, {64, 112}},
         0,
         256,
         {510}},
    };
    for (const Shape& shape : shapes) {
        std::array<int32_t, ChannelCount> levels{};
        levels.fill(shape.Background);
        for (const auto& [channel, level] : shape.Levels)
            levels[channel] = level + shape.Background;
        std::vector<int32_t> found;
        for (const Peak& peak : FindPeaks(levels, WavelengthCalibration{}, shape.FullScale))
            found.push_back(peak.Wavelength);
        EXPECT_EQ(found, shape.Wavelengths) << shape.Name;
    }
}

TEST(PeakFinder, NamesTheEightHighestPeaksAtMost) {
    std::array<int32_t, ChannelCount> levels{};
    for (int i = 0; i < 10; ++i)
        levels[10 + 10 * i] = 100 + i;
    const std::vector<Peak> peaks = FindPeaks(levels, WavelengthCalibration{}, 256);
    ASSERT_EQ(peaks.size(), 8u);
    EXPECT_EQ(peaks.front().Channel, 100);
    EXPECT_EQ(peaks.front().Level, 109);
    EXPECT_EQ(peaks.back().Channel, 30);
}

} // namespace
