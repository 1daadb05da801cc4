// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

constexpr int ChannelCount = 128;

// Colours are held as 0x00BBGGRR (red in the lowest byte) everywhere in the program's logic.
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clGray = 0x808080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clYellow = 0x00FFFF;

// The 261 values of the one spectrum the main window keeps, all 0 at creation.
struct SpectrumValues {
    std::array<int32_t, ChannelCount> Readings{};
    int32_t MinReading = 0;
    int32_t MinChannel = 0;
    int32_t MaxReading = 0;
    int32_t MaxChannel = 0;
    std::array<int32_t, ChannelCount> Levels{};
    int32_t ScaleDivisor = 0;
};

// The ends of the wavelength axis of an instrument that was never calibrated.
constexpr int32_t DefaultLambdaMin = 360;
constexpr int32_t DefaultLambdaMax = 675;

// The wavelength axis: whole nm of channel 0 and channel 127 and the step between channels.
struct WavelengthCalibration {
    int32_t LambdaMin = DefaultLambdaMin;
    int32_t LambdaMax = DefaultLambdaMax;
    double NmPerChannel = (double(DefaultLambdaMax) - DefaultLambdaMin) / 127.0;

    // Sets both ends and recomputes NmPerChannel, keeping the three in step.
    void SetRange(int32_t lambdaMin, int32_t lambdaMax);
};

// Whole-nm wavelength of channel `c` at quarter step `k` (0..3) toward channel c + 1, rounded half to even.
int32_t ChannelWavelength(const WavelengthCalibration& calibration, int c, int k);

// Round half to even, as every Round of the program does.
int32_t RoundHalfEven(double value);

// The state of the controls that ComputeLevels reads.
struct LevelOptions {
    bool Korrektur = false;
    bool AutoScale = true;
    int32_t Skalierung = 3;
};

// Height of the main diagram in pixel rows, which the automatic scale fills.
constexpr int32_t DiagramHeight = 256;

// The detector's sensitivity correction of a level `v` at whole-nm wavelength `lambda`: inside
// 300..700 nm (exclusive) v is divided by the sensitivity there and rounded, and a result above
// 1023 becomes 1000; outside that range v is returned unchanged.
int64_t SensitivityCorrected(int64_t v, int32_t lambda);

// The readout text at diagram column `x` of a diagram with `columnsPerChannel` columns a channel:
// the wavelength at the pointer and the level of the channel under it, corrected once more at the
// pointer when `korrektur` is set, e.g. "532nm => 812 Digits".
std::string CursorReadoutText(const SpectrumValues& values, const WavelengthCalibration& calibration, int x,
                              int columnsPerChannel, bool korrektur);

// Turns Readings into Levels (zero offset, optional sensitivity correction), finds the extremes
// (the lowest channel wins ties) and chooses ScaleDivisor.
void ComputeLevels(SpectrumValues& values, const WavelengthCalibration& calibration, int32_t zeroOffset,
                   const LevelOptions& options);
