// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/MeasurementView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int32_t ViewLevelsFullScale = DiagramHeight * ViewScaleDivisor;

// A number with `decimals` places and a decimal comma; a rounded −0 loses its sign.
std::string Decimal(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result.find_first_not_of("-0.") == std::string::npos && result[0] == '-') result.erase(0, 1);
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

// A scale value without trailing zeros: "100", "1,5", "0,75".
std::string ScaleText(double value) {
    std::string text = Decimal(value, 2);
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == ',') text.pop_back();
    return text;
}

} // namespace

ViewLevels LayOnDiagram(const ChannelValues& values, const ChannelVerdicts& verdicts, MeasurementView view,
                        double previousFullScale) {
    const bool percent = view == MeasurementView::Transmission;
    // The scale keeps its usual span, also for the noise of a blank a little above 100 %, and grows
    // in steps of a fifth of it where the data reach further.
    const double span = percent ? 100.0 : 2.0;
    const double step = span / 5;
    double largest = 0;
    for (const std::optional<double>& value : values)
        if (value) largest = std::max(largest, *value);
    ViewLevels result;
    result.FullScale = largest <= 1.05 * span ? span : step * std::ceil(largest / step);
    // It shrinks only once the data have left the top step and a half, so noise at a step's edge
    // doesn't make it jump from frame to frame.
    if (result.FullScale < previousFullScale && largest > previousFullScale - 1.5 * step)
        result.FullScale = previousFullScale;
    const double full = result.FullScale;
    result.RangeLabels = {ScaleText(full), ScaleText(full / 4 * 3), ScaleText(full / 2), ScaleText(full / 4)};

    SpectrumValues& levels = result.Values;
    for (int c = 0; c < ChannelCount; ++c) {
        if (!values[c]) {
            result.NoValue.set(size_t(c));
            continue;
        }
        const int32_t level = std::max(RoundHalfEven(*values[c] / full * ViewLevelsFullScale), 0);
        levels.Levels[c] = level;
        // The marks name channels with a value, not bounds; among equal values the lowest channel wins.
        if (verdicts[c] != ChannelVerdict::Value) {
            result.Bounds.set(size_t(c));
            continue;
        }
        if (!result.AnyValue || level > levels.MaxReading) {
            levels.MaxReading = level;
            levels.MaxChannel = c;
        }
        if (!result.AnyValue || level < levels.MinReading) {
            levels.MinReading = level;
            levels.MinChannel = c;
        }
        result.AnyValue = true;
    }
    levels.ScaleDivisor = ViewScaleDivisor;
    return result;
}

ChannelValues OnlyValues(const ChannelValues& values, const ChannelVerdicts& verdicts) {
    ChannelValues result{};
    for (int c = 0; c < ChannelCount; ++c)
        if (verdicts[c] == ChannelVerdict::Value) result[c] = values[c];
    return result;
}

std::string ViewValueText(const std::optional<double>& value, MeasurementView view, ChannelVerdict verdict,
                          const std::optional<double>& uncertainty) {
    switch (verdict) {
    case ChannelVerdict::Saturated:
        return "übersteuert";
    case ChannelVerdict::TooMuchLight:
        return "zu viel Licht";
    case ChannelVerdict::LampNoise:
        return "Lampenrauschen";
    default:
        break;
    }
    if (!value) return "—";
    const bool percent = view == MeasurementView::Transmission;
    const int decimals = percent ? 1 : 2;
    // A bound is an upper one of the transmission and so a lower one of the absorbance.
    const std::string bound = verdict != ChannelVerdict::Bound ? "" : percent ? "< " : "> ";
    const std::string spread =
        uncertainty && verdict == ChannelVerdict::Value ? " ± " + Decimal(*uncertainty, decimals) : "";
    return bound + Decimal(*value, decimals) + spread + (percent ? " %" : "");
}

std::string ViewReadoutText(const ChannelValues& values, const ChannelVerdicts& verdicts,
                            MeasurementView view, const WavelengthCalibration& calibration, int x,
                            int columnsPerChannel, const ChannelValues& uncertainties) {
    x = std::clamp(x, 0, columnsPerChannel * ChannelCount - 1);
    const int32_t lambda =
        RoundHalfEven(x / double(columnsPerChannel) * calibration.NmPerChannel + calibration.LambdaMin);
    const size_t c = size_t(x / columnsPerChannel);
    return std::to_string(lambda) + "nm => " + ViewValueText(values[c], view, verdicts[c], uncertainties[c]);
}
