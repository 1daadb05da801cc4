// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumModel.h"

#include <gtest/gtest.h>

namespace {

WavelengthCalibration Range(int32_t lambdaMin, int32_t lambdaMax) {
    WavelengthCalibration calibration;
    calibration.SetRange(lambdaMin, lambdaMax);
    return calibration;
}

// A spectrum whose only non-zero reading is `reading` at channel `c`.
SpectrumValues Single(int c, int32_t reading) {
    SpectrumValues values;
    values.Readings[c] = reading;
    return values;
}

TEST(ChannelWavelengthTest, DefaultCalibrationGivesTheAxisValues) {
    const WavelengthCalibration calibration = Range(360, 675);
    EXPECT_DOUBLE_EQ(calibration.NmPerChannel, 315.0 / 127.0);
    EXPECT_EQ(ChannelWavelength(calibration, 0, 0), 360);
    EXPECT_EQ(ChannelWavelength(calibration, 1, 0), 362);
    EXPECT_EQ(ChannelWavelength(calibration, 63, 0), 516);
    EXPECT_EQ(ChannelWavelength(calibration, 64, 0), 519);
    EXPECT_EQ(ChannelWavelength(calibration, 127, 0), 675);
}

TEST(ChannelWavelengthTest, HalvesRoundToTheEvenNeighbour) {
    // 254 nm over 127 channels: 2 nm a channel, so quarter steps fall on exact halves.
    const WavelengthCalibration calibration = Range(400, 654);
    EXPECT_DOUBLE_EQ(calibration.NmPerChannel, 2.0);
    EXPECT_EQ(ChannelWavelength(calibration, 0, 1), 400) << "400.5 rounds down to the even 400";
    EXPECT_EQ(ChannelWavelength(calibration, 1, 1), 402) << "402.5 rounds down to the even 402";
    EXPECT_EQ(ChannelWavelength(calibration, 0, 3), 402) << "401.5 rounds up to the even 402";
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(1e12), INT32_MAX);
    EXPECT_EQ(RoundHalfEven(-1e12), INT32_MIN);
}

TEST(ComputeLevelsTest, AllZeroReadingsGiveZeroExtremesAtChannelZero) {
    SpectrumValues values;
    for (auto& reading : values.Readings)
        reading = 7;
    ComputeLevels(values, Range(360, 675), 10, {});
    for (int32_t level : values.Levels)
        EXPECT_EQ(level, 0);
    EXPECT_EQ(values.MinReading, 0);
    EXPECT_EQ(values.MinChannel, 0);
    EXPECT_EQ(values.MaxReading, 0);
    EXPECT_EQ(values.MaxChannel, 0);
    EXPECT_EQ(values.ScaleDivisor, 1);
}

TEST(ComputeLevelsTest, OffsetIsSubtractedAndTiesGoToTheLowestChannel) {
    SpectrumValues values;
    for (int c = 0; c < ChannelCount; ++c)
        values.Readings[c] = 500;
    values.Readings[10] = 900;
    values.Readings[90] = 900;
    values.Readings[20] = 105;
    values.Readings[100] = 105;
    ComputeLevels(values, Range(360, 675), 5, {});
    EXPECT_EQ(values.Levels[0], 495);
    EXPECT_EQ(values.MaxReading, 895);
    EXPECT_EQ(values.MaxChannel, 10);
    EXPECT_EQ(values.MinReading, 100);
    EXPECT_EQ(values.MinChannel, 20);
}

TEST(ComputeLevelsTest, NoLevelBelow1024KeepsTheMinimumSearchStart) {
    SpectrumValues values;
    for (auto& reading : values.Readings)
        reading = 5000;
    ComputeLevels(values, Range(360, 675), 0, {});
    EXPECT_EQ(values.MinReading, 1024);
    EXPECT_EQ(values.MinChannel, 0);
    EXPECT_EQ(values.MaxReading, 5000);
}

// Channel at `nm` for a calibration that puts channel 1 exactly there, 1 nm per channel after it.
int32_t CorrectedLevel(int32_t nm, int32_t reading) {
    SpectrumValues values = Single(1, reading);
    ComputeLevels(values, Range(nm - 1, nm - 1 + 127), 0, {true, true, 3});
    return values.Levels[1];
}

TEST(ComputeLevelsTest, SensitivityCorrectionFollowsTheDetectorLine) {
    EXPECT_EQ(CorrectedLevel(400, 100), 250);
    EXPECT_EQ(CorrectedLevel(310, 500), 1000) << "2272.7 is above 1023 and becomes 1000";
    EXPECT_EQ(CorrectedLevel(500, 600), 1000);
    EXPECT_EQ(CorrectedLevel(301, 10), 50) << "49.50 rounds to 50";
    EXPECT_EQ(CorrectedLevel(300, 100), 100) << "300 nm lies outside the corrected range";
    EXPECT_EQ(CorrectedLevel(700, 100), 100) << "700 nm lies outside the corrected range";
    EXPECT_EQ(CorrectedLevel(600, 2000), 1000);
}

TEST(ComputeLevelsTest, CorrectionRoundsHalvesToEven) {
    // At 400 nm the factor is 0.4: 1 / 0.4 = 2.5 and 3 / 0.4 = 7.5, exact halves in floating point.
    EXPECT_EQ(CorrectedLevel(400, 1), 2);
    EXPECT_EQ(CorrectedLevel(400, 3), 8);
}

TEST(ComputeLevelsTest, ScaleDivisorFromPeakOrSpinEdit) {
    for (const auto& [peak, divisor] :
         {std::pair{255, 1}, {256, 2}, {511, 2}, {512, 3}, {1023, 4}, {1024, 5}}) {
        SpectrumValues values = Single(3, peak);
        ComputeLevels(values, Range(360, 675), 0, {false, true, 3});
        EXPECT_EQ(values.ScaleDivisor, divisor) << "peak " << peak;
    }
    SpectrumValues values = Single(3, 1000);
    ComputeLevels(values, Range(360, 675), 0, {false, false, 3});
    EXPECT_EQ(values.ScaleDivisor, 3);
}

TEST(ComputeLevelsTest, ExtremeReadingsAndOffsetsDoNotOverflow) {
    SpectrumValues values = Single(0, INT32_MAX);
    values.Readings[1] = INT32_MIN;
    ComputeLevels(values, Range(360, 675), -100, {false, true, 3});
    EXPECT_EQ(values.Levels[0], INT32_MAX);
    EXPECT_EQ(values.Levels[1], 0);
    EXPECT_GE(values.ScaleDivisor, 1);
}

} // namespace
