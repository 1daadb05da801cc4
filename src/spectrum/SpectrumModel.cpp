// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumModel.h"

#include <algorithm>
#include <cmath>

void WavelengthCalibration::SetRange(int32_t lambdaMin, int32_t lambdaMax) {
    LambdaMin = lambdaMin;
    LambdaMax = lambdaMax;
    NmPerChannel = (static_cast<double>(lambdaMax) - lambdaMin) / 127.0;
}

int32_t RoundHalfEven(double value) {
    // nearbyint follows the default rounding mode, which rounds halves to the even neighbour.
    const double rounded = std::nearbyint(value);
    if (!(rounded > INT32_MIN)) return INT32_MIN;
    if (!(rounded < INT32_MAX)) return INT32_MAX;
    return static_cast<int32_t>(rounded);
}

int32_t ChannelWavelength(const WavelengthCalibration& calibration, int c, int k) {
    return RoundHalfEven(c * calibration.NmPerChannel + calibration.LambdaMin +
                         k * calibration.NmPerChannel / 4);
}

int64_t SensitivityCorrected(int64_t v, int32_t lambda) {
    if (lambda <= 300 || lambda >= 700) return v;
    // The detector's sensitivity rises in a straight line from 0.2 at 300 nm to 1.0 at 700 nm.
    const double sensitivity = 0.002 * lambda - 0.4;
    const int32_t corrected = RoundHalfEven(static_cast<double>(v) / sensitivity);
    return corrected > 1023 ? 1000 : corrected;
}

std::string CursorReadoutText(const SpectrumValues& values, const WavelengthCalibration& calibration, int x,
                              int columnsPerChannel, bool korrektur) {
    x = std::clamp(x, 0, columnsPerChannel * ChannelCount - 1);
    const int32_t lambda =
        RoundHalfEven(x / double(columnsPerChannel) * calibration.NmPerChannel + calibration.LambdaMin);
    int64_t v = values.Levels[x / columnsPerChannel];
    if (korrektur) v = SensitivityCorrected(v, lambda);
    return std::to_string(lambda) + "nm => " + std::to_string(v) + " Digits";
}

void ComputeLevels(SpectrumValues& values, const WavelengthCalibration& calibration, int32_t zeroOffset,
                   const LevelOptions& options) {
    for (int c = 0; c < ChannelCount; ++c) {
        int64_t v = int64_t(values.Readings[c]) - zeroOffset;
        if (v < 0) v = 0;
        if (options.Korrektur) v = SensitivityCorrected(v, ChannelWavelength(calibration, c, 0));
        values.Levels[c] = static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v);
    }
    values.MinReading = 1024;
    values.MinChannel = 0;
    values.MaxReading = 0;
    values.MaxChannel = 0;
    for (int c = 0; c < ChannelCount; ++c) {
        if (values.Levels[c] > values.MaxReading) {
            values.MaxReading = values.Levels[c];
            values.MaxChannel = c;
        }
        if (values.Levels[c] < values.MinReading) {
            values.MinReading = values.Levels[c];
            values.MinChannel = c;
        }
    }
    values.ScaleDivisor = options.AutoScale ? values.MaxReading / DiagramHeight + 1 : options.Skalierung;
}
