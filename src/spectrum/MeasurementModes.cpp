// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/MeasurementModes.h"

#include "spectrum/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

// A reference channel weaker than this share of the reference's largest channel, or than the floor
// in Digits, gives a transmission made of noise: it has no value.
constexpr double WeakReferenceShare = 0.05;
constexpr double WeakReferenceFloor = 10;
constexpr int32_t ViewLevelsFullScale = DiagramHeight * ViewScaleDivisor;

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

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

ChannelReadings MeasurementModes::Process(const ChannelReadings& measured, int32_t exposure,
                                          const WavelengthCalibration& calibration) {
    ClearUpperVectorState();
    FeedCapture(measured, exposure);
    const bool dark = DarkInForce(exposure);
    if (exposure != meanExposure_ || dark != meanDark_ || calibration.LambdaMin != meanLambdaMin_ ||
        calibration.LambdaMax != meanLambdaMax_) {
        ResetMean();
        meanExposure_ = exposure;
        meanDark_ = dark;
        meanLambdaMin_ = calibration.LambdaMin;
        meanLambdaMax_ = calibration.LambdaMax;
    }
    for (int c = 0; c < ChannelCount; ++c)
        single_[c] = dark ? std::max(Clamped(int64_t(measured[c]) - dark_->Readings[c]), 0) : measured[c];
    if (averaging_ == 1) return single_;

    ChannelReadings& slot = ring_[size_t(ringNext_)];
    const bool full = ringCount_ == averaging_;
    for (int c = 0; c < ChannelCount; ++c) {
        if (full) ringSum_[c] -= slot[c];
        ringSum_[c] += single_[c];
    }
    slot = single_;
    ringNext_ = (ringNext_ + 1) % averaging_;
    if (!full) ++ringCount_;
    ChannelReadings mean;
    for (int c = 0; c < ChannelCount; ++c)
        mean[c] = RoundHalfEven(double(ringSum_[c]) / ringCount_);
    return mean;
}

void MeasurementModes::ResetMean() {
    ringSum_.fill(0);
    ringCount_ = 0;
    ringNext_ = 0;
}

void MeasurementModes::StartCapture(Capture what) {
    capture_ = what;
    captured_ = 0;
    captureSum_.fill(0);
}

void MeasurementModes::FeedCapture(const ChannelReadings& measured, int32_t exposure) {
    if (capture_ == Capture::None) return;
    if (captured_ > 0 && exposure != captureExposure_) StartCapture(capture_);
    captureExposure_ = exposure;
    for (int c = 0; c < ChannelCount; ++c)
        captureSum_[c] += measured[c];
    if (++captured_ < CaptureCount) return;
    StoredSpectrum taken;
    taken.Exposure = exposure;
    for (int c = 0; c < ChannelCount; ++c)
        taken.Readings[c] = RoundHalfEven(double(captureSum_[c]) / CaptureCount);
    if (capture_ == Capture::Dark)
        dark_ = taken;
    else
        reference_ = taken;
    lastTaken_ = capture_;
    capture_ = Capture::None;
}

void MeasurementModes::SetDark(const StoredSpectrum& dark) {
    dark_ = dark;
}

bool MeasurementModes::DarkInForce(int32_t exposure) const {
    return darkSubtraction_ && dark_ && dark_->Exposure == exposure;
}

void MeasurementModes::SetAveraging(int count) {
    if (std::find(AveragingChoices.begin(), AveragingChoices.end(), count) == AveragingChoices.end()) return;
    averaging_ = count;
    ResetMean();
}

void MeasurementModes::Evaluate(const ChannelReadings& shown, int32_t exposure) {
    ClearUpperVectorState();
    transmission_.fill(std::nullopt);
    absorbance_.fill(std::nullopt);
    referenceLessDark_.fill(std::nullopt);
    // A reference taken at another exposure would scale every transmission by the exposures' ratio.
    if (!reference_ || reference_->Exposure != exposure) return;
    const bool dark = DarkInForce(exposure);
    std::array<double, ChannelCount> blank;
    for (int c = 0; c < ChannelCount; ++c)
        blank[c] = std::max(double(reference_->Readings[c]) - (dark ? dark_->Readings[c] : 0), 0.0);
    const double strongest = *std::max_element(blank.begin(), blank.end());
    const double weakest = std::max(WeakReferenceShare * strongest, WeakReferenceFloor);
    for (int c = 0; c < ChannelCount; ++c) {
        referenceLessDark_[c] = blank[c];
        if (blank[c] < weakest) continue;
        const double t = shown[c] / blank[c];
        transmission_[c] = 100 * t;
        if (t > 0) absorbance_[c] = -std::log10(t);
    }
}

const ChannelValues* MeasurementModes::ViewValues() const {
    switch (view_) {
    case MeasurementView::Transmission:
        return &transmission_;
    case MeasurementView::Absorbance:
        return &absorbance_;
    case MeasurementView::Intensity:
        break;
    }
    return nullptr;
}

std::string MeasurementModes::StatusText(int32_t exposure) const {
    const auto at = [](const char* what, int32_t taken) {
        return std::string(what) + " bei Belichtung " + std::to_string(taken);
    };
    if (capture_ != Capture::None)
        return std::string(capture_ == Capture::Dark ? "Dunkelspektrum " : "Referenzspektrum ") +
               std::to_string(captured_) + " von " + std::to_string(CaptureCount);
    const bool view = view_ != MeasurementView::Intensity;
    if (view && !reference_) return "Kein Referenzspektrum";
    if (view && reference_->Exposure != exposure) return at("Referenz nur", reference_->Exposure);
    if (darkSubtraction_ && dark_ && dark_->Exposure != exposure)
        return at("Dunkelabzug nur", dark_->Exposure);
    if (reference_ && (view || lastTaken_ == Capture::Reference))
        return at("Referenzspektrum", reference_->Exposure);
    if (dark_ && (darkSubtraction_ || lastTaken_ == Capture::Dark))
        return at("Dunkelspektrum", dark_->Exposure);
    return {};
}

ViewLevels LayOnDiagram(const ChannelValues& values, MeasurementView view) {
    const bool percent = view == MeasurementView::Transmission;
    // The scale keeps its usual span and grows in whole steps where the data reach beyond it.
    const double step = percent ? 100.0 : 2.0;
    double largest = 0;
    for (const std::optional<double>& value : values)
        if (value) largest = std::max(largest, *value);
    ViewLevels result;
    result.FullScale = step * std::max(1.0, std::ceil(largest / step));
    const double full = result.FullScale;
    result.RangeLabels = {ScaleText(full), ScaleText(full / 4 * 3), ScaleText(full / 2), ScaleText(full / 4)};

    SpectrumValues& levels = result.Values;
    bool first = true;
    for (int c = 0; c < ChannelCount; ++c) {
        if (!values[c]) {
            result.NoValue.set(size_t(c));
            continue;
        }
        const int32_t level = std::max(RoundHalfEven(*values[c] / full * ViewLevelsFullScale), 0);
        levels.Levels[c] = level;
        // The marks name channels with a value; among equal values the lowest channel wins.
        if (first || level > levels.MaxReading) {
            levels.MaxReading = level;
            levels.MaxChannel = c;
        }
        if (first || level < levels.MinReading) {
            first = false;
            levels.MinReading = level;
            levels.MinChannel = c;
        }
    }
    levels.ScaleDivisor = ViewScaleDivisor;
    return result;
}

std::string ViewValueText(const std::optional<double>& value, MeasurementView view) {
    if (!value) return "—";
    return view == MeasurementView::Transmission ? Decimal(*value, 1) + " %" : Decimal(*value, 2);
}

std::string ViewReadoutText(const ChannelValues& values, MeasurementView view,
                            const WavelengthCalibration& calibration, int x, int columnsPerChannel) {
    x = std::clamp(x, 0, columnsPerChannel * ChannelCount - 1);
    const int32_t lambda =
        RoundHalfEven(x / double(columnsPerChannel) * calibration.NmPerChannel + calibration.LambdaMin);
    return std::to_string(lambda) + "nm => " + ViewValueText(values[size_t(x / columnsPerChannel)], view);
}

std::string FormatStoredReadings(const ChannelReadings& readings) {
    std::string text;
    for (int c = 0; c < ChannelCount; ++c)
        text += (c ? "," : "") + std::to_string(readings[c]);
    return text;
}

std::optional<ChannelReadings> ParseStoredReadings(const std::string& text) {
    ChannelReadings readings{};
    std::istringstream stream(text);
    std::string item;
    int c = 0;
    while (std::getline(stream, item, ',')) {
        if (c == ChannelCount || item.empty()) return std::nullopt;
        size_t used = 0;
        try {
            const long value = std::stol(item, &used);
            if (used != item.size() || value < 0 || value > 65280) return std::nullopt;
            readings[c++] = static_cast<int32_t>(value);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    if (c != ChannelCount) return std::nullopt;
    return readings;
}
