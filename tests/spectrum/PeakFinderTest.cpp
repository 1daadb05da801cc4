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
    std::vector<int32_t> Wavelengths;     // highest peak first, default calibration 360..675 nm
    std::initializer_list<int> Gaps = {}; // channels without a value, at level 0
    bool Bands = false;
};

// A band 29 channels wide, as a filter's absorbance: highest at channel 54, 494 nm.
constexpr std::initializer_list<std::pair<int, int32_t>> BroadBand = {
    {40, 0},   {41, 6},   {42, 25},  {43, 54},  {44, 93},  {45, 139}, {46, 189}, {47, 239},
    {48, 287}, {49, 349}, {50, 516}, {51, 445}, {52, 478}, {53, 495}, {54, 500}, {55, 495},
    {56, 478}, {57, 445}, {58, 516}, {59, 349}, {60, 287}, {61, 239}, {62, 189}, {63, 139},
    {64, 93},  {65, 54},  {66, 25},  {67, 6},   {68, 0}};

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
        {"5 % of a larger full scale, missed", {{10, 13}, {60, 400}}, 0, 512, {509}},
        {"a shoulder on a large peak",
         {{60, 200}, {61, 150}, {62, 120}, {63, 110}, {64, 112}},
         0,
         256,
         {510}},
        {"a rise that ends at a gap is no peak", {{60, 100}, {61, 150}, {62, 200}}, 0, 256, {}, {63}},
        {"a fall from a gap is no peak", {{64, 200}, {65, 150}}, 0, 256, {}, {63}},
        {"the valley ends at a gap", {{47, 200}, {49, 90}, {50, 100}}, 0, 256, {}, {48}},
        {"a broad band's top is its middle, not its highest channel", BroadBand, 0, 1024, {494}, {}, true},
        {"the same with the parabola", BroadBand, 0, 1024, {485, 503}},
        {"noise in one channel makes no band", {{20, 40}, {70, 40}, {100, 40}}, 300, 512, {}, {}, true},
        {"a band beside a gap",
         {{30, 100}, {31, 200}, {32, 300}, {33, 200}, {34, 100}},
         0,
         1024,
         {439},
         {28},
         true},
    };
    for (const Shape& shape : shapes) {
        std::array<int32_t, ChannelCount> levels{};
        levels.fill(shape.Background);
        for (const auto& [channel, level] : shape.Levels)
            levels[channel] = level + shape.Background;
        PeakSearch search;
        search.Bands = shape.Bands;
        for (const int gap : shape.Gaps) {
            levels[gap] = 0;
            search.NoValue.set(size_t(gap));
        }
        std::vector<int32_t> found;
        for (const Peak& peak : FindPeaks(levels, WavelengthCalibration{}, shape.FullScale, search))
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
