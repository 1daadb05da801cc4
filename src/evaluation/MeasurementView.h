// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/MeasurementModes.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

// Why a channel of the transmission and absorbance has no value, or has only a bound.
enum class ChannelVerdict : uint8_t {
    Value,        // a value with its uncertainty
    Bound,        // less light than the noise resolves: the value is an upper bound of T (lower of A)
    NoReference,  // no reference that belongs to the shown spectrum
    Saturated,    // the sample, dark or reference was at full scale there
    TooDark,      // the reference's light is not resolved above its noise
    TooMuchLight, // the sample is brighter than the reference beyond its noise
    LampNoise,    // the reference is lost in its lamp's flicker
};
using ChannelVerdicts = std::array<ChannelVerdict, ChannelCount>;

// Level units per pixel row of the main diagram while a transmission or absorbance is shown.
constexpr int32_t ViewScaleDivisor = 4;

// A transmission or absorbance curve laid onto a diagram's level scale, as the diagrams draw it.
struct ViewLevels {
    SpectrumValues Values; // Levels (never below 0), extremes over channels with a value, ScaleDivisor
    std::bitset<ChannelCount> NoValue;      // channels drawn as gaps
    std::bitset<ChannelCount> Bounds;       // channels whose level is a bound, not a measured value
    std::array<std::string, 4> RangeLabels; // the scale beside the diagram, top to bottom, e.g. "100", "75"
    double FullScale = 0;                   // the value at the diagram's top edge, in the view's unit
    bool AnyValue = false;                  // whether any channel has a value (not just a bound)
};

// Lays `values` of `view` (Transmission in %, 0 … 100 or up to the data; Absorbance, 0 … 2 or up to
// the data) onto the diagram: the same 256 rows as the Digits scale, a channel with no value a gap.
// Marks and extremes take only channels with a value, not bounds. Where `previousFullScale` is larger
// than the data need, the scale stays there until the data have clearly left its top.
ViewLevels LayOnDiagram(const ChannelValues& values, const ChannelVerdicts& verdicts, MeasurementView view,
                        double previousFullScale = 0);

// `values` where `verdicts` give a value; no value at bounds and gaps.
ChannelValues OnlyValues(const ChannelValues& values, const ChannelVerdicts& verdicts);

// A value of `view` as the readout writes it, decimal comma: "43,2 %", "0,37", with its uncertainty
// "43,2 ± 0,7 %", "0,37 ± 0,01"; a bound "< 0,8 %", "> 2,10"; "übersteuert" for a saturated channel,
// the cause for light too much or too noisy, "—" for any other without a value.
std::string ViewValueText(const std::optional<double>& value, MeasurementView view,
                          ChannelVerdict verdict = ChannelVerdict::Value,
                          const std::optional<double>& uncertainty = std::nullopt);

// The readout at column `x` of a diagram with `columnsPerChannel` columns a channel, in `view`:
// "608nm => 43,2 ± 0,7 %", "608nm => 0,37", "608nm => übersteuert" or "608nm => —".
std::string ViewReadoutText(const ChannelValues& values, const ChannelVerdicts& verdicts,
                            MeasurementView view, const WavelengthCalibration& calibration, int x,
                            int columnsPerChannel, const ChannelValues& uncertainties = {});
