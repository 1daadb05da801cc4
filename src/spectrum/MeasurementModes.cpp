// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/MeasurementModes.h"

#include "spectrum/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <locale>
#include <sstream>

namespace {

// A single spectrum that differs from the mean by more than this, in Digits or as a share of the mean,
// in at least this many channels shows another sample: the mean starts afresh.
constexpr double SampleChangeDigits = 10;
constexpr double SampleChangeShare = 0.1;
constexpr int SampleChangeChannels = 8;

int32_t Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// The wavelengths of the flagged channels as bands, e.g. "440–460 nm" or "405 nm, 440–460 nm".
std::string BandText(const ChannelFlags& flags, const WavelengthCalibration& calibration) {
    std::string text;
    for (int c = 0; c < ChannelCount; ++c) {
        if (!flags[size_t(c)]) continue;
        int last = c;
        while (last + 1 < ChannelCount && flags[size_t(last) + 1])
            ++last;
        if (!text.empty()) text += ", ";
        text += std::to_string(ChannelWavelength(calibration, c, 0));
        if (last > c) text += "–" + std::to_string(ChannelWavelength(calibration, last, 0));
        c = last;
    }
    return text + " nm";
}

// A dark spectrum's channels at full scale: it was measured there with light, or too long.
ChannelFlags DarkSaturated(const StoredSpectrum& dark) {
    return SaturatedChannels(dark.Readings);
}

} // namespace

ChannelReadings MeasurementModes::Process(const ChannelReadings& measured, int32_t exposure,
                                          const WavelengthCalibration& calibration) {
    ClearUpperVectorState();
    calibration_ = calibration;
    // A refusal asked for another exposure; once it is there, it has said its piece.
    if (!refusal_.empty() && exposure != captureExposure_) refusal_.clear();
    FeedCapture(measured, exposure, calibration);
    const bool dark = DarkInForce(exposure);
    const auto darkTaken = dark ? dark_->Taken : std::chrono::system_clock::time_point{};
    ChannelReadings values;
    for (int c = 0; c < ChannelCount; ++c)
        values[c] = dark ? Clamped(int64_t(measured[c]) - dark_->Readings[c]) : measured[c];
    if (exposure != meanExposure_ || dark != meanDark_ || darkTaken != meanDarkTaken_ ||
        calibration.LambdaMin != meanLambdaMin_ || calibration.LambdaMax != meanLambdaMax_ ||
        SampleChanged(values)) {
        mean_.Restart(averaging_);
        meanExposure_ = exposure;
        meanDark_ = dark;
        meanDarkTaken_ = darkTaken;
        meanLambdaMin_ = calibration.LambdaMin;
        meanLambdaMax_ = calibration.LambdaMax;
    }
    mean_.Add(values, SaturatedChannels(measured));
    for (int c = 0; c < ChannelCount; ++c)
        single_[c] = std::max(values[c], 0);
    // The unrounded mean subtracts the dark spectrum's unrounded mean: whole Digits would shift every
    // transmission by up to half a Digit of the dark.
    shownMean_ = mean_.Mean();
    if (dark)
        for (int c = 0; c < ChannelCount; ++c)
            shownMean_[c] += dark_->Readings[c] - dark_->Mean[c];
    shownSaturated_ = mean_.Saturated();
    if (dark) shownSaturated_ |= DarkSaturated(*dark_);
    conditions_ = {true, exposure, dark, averaging_, mean_.Count()};
    ChannelReadings shown;
    for (int c = 0; c < ChannelCount; ++c)
        shown[c] = std::max(RoundHalfEven(double(mean_.Mean()[c])), 0);
    return shown;
}

bool MeasurementModes::SampleChanged(const ChannelReadings& values) const {
    if (mean_.Count() == 0) return false;
    const ChannelMeans mean = mean_.Mean();
    int moved = 0;
    for (int c = 0; c < ChannelCount; ++c)
        if (std::abs(values[c] - mean[c]) >
            std::max(SampleChangeDigits, SampleChangeShare * std::abs(mean[c])))
            ++moved;
    return moved >= SampleChangeChannels;
}

void MeasurementModes::HoldFileSpectrum() {
    conditions_ = {};
    shownSaturated_.reset();
}

void MeasurementModes::StartCapture(Capture what) {
    capture_ = what;
    captured_.Restart(CaptureCount);
    refusal_.clear();
    if (what != Capture::None) exposureFixed_ = true;
}

void MeasurementModes::FeedCapture(const ChannelReadings& measured, int32_t exposure,
                                   const WavelengthCalibration& calibration) {
    if (capture_ == Capture::None) return;
    if (captured_.Count() > 0 && exposure != captureExposure_) captured_.Restart(CaptureCount);
    captureExposure_ = exposure;
    captured_.Add(measured, SaturatedChannels(measured));
    if (!captured_.Full()) return;
    const Capture what = capture_;
    capture_ = Capture::None;
    const ChannelFlags saturated = captured_.Saturated();
    if (saturated.any()) {
        refusal_ = std::string(what == Capture::Dark ? "Dunkelspektrum" : "Referenzspektrum") +
                   " übersteuert bei " + BandText(saturated, calibration) +
                   " – Belichtung verringern und neu aufnehmen";
        // Nothing was taken: "Automatik" may look for a sound exposure again unless a reference holds it.
        exposureFixed_ = reference_.has_value();
        return;
    }
    StoredSpectrum taken;
    taken.Exposure = exposure;
    taken.Mean = captured_.Mean();
    taken.Spread = captured_.Spread();
    taken.Count = CaptureCount;
    taken.Taken = std::chrono::system_clock::now();
    for (int c = 0; c < ChannelCount; ++c)
        taken.Readings[c] = RoundHalfEven(taken.Mean[c]);
    (what == Capture::Dark ? dark_ : reference_) = taken;
    lastTaken_ = what;
}

void MeasurementModes::SetDark(const StoredSpectrum& dark) {
    dark_ = dark;
    if (dark.Count > 0) return;
    dark_->Spread = {};
    for (int c = 0; c < ChannelCount; ++c)
        dark_->Mean[c] = dark.Readings[c];
}

bool MeasurementModes::DarkInForce(int32_t exposure) const {
    return darkSubtraction_ && dark_ && dark_->Exposure == exposure;
}

void MeasurementModes::SetAveraging(int count) {
    if (std::find(AveragingChoices.begin(), AveragingChoices.end(), count) == AveragingChoices.end()) return;
    averaging_ = count;
    mean_.Restart(averaging_);
}

void MeasurementModes::DiscardReference() {
    reference_.reset();
    exposureFixed_ = capture_ != Capture::None;
    if (lastTaken_ == Capture::Reference) lastTaken_ = Capture::None;
}

bool MeasurementModes::InUse() const {
    return darkSubtraction_ || averaging_ > 1 || reference_ || view_ != MeasurementView::Intensity ||
           capture_ != Capture::None;
}

std::string MeasurementModes::SaturationText() const {
    if (!conditions_.Measured || shownSaturated_.none()) return {};
    // One span from the first to the last saturated channel keeps the text short for the status line.
    size_t first = 0, last = ChannelCount - 1;
    while (!shownSaturated_[first])
        ++first;
    while (!shownSaturated_[last])
        --last;
    ChannelFlags span;
    for (size_t c = first; c <= last; ++c)
        span.set(c);
    return "übersteuert bei " + BandText(span, calibration_);
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

std::string FormatStoredMeans(const ChannelMeans& means) {
    std::string text;
    char number[32];
    for (int c = 0; c < ChannelCount; ++c) {
        // Four places keep a mean of up to 16 whole numbers exactly; the C locale's point, always.
        std::snprintf(number, sizeof number, "%.4f", means[c]);
        text += (c ? "," : "") + std::string(number);
    }
    return text;
}

std::optional<ChannelMeans> ParseStoredMeans(const std::string& text) {
    ChannelMeans means{};
    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    std::string item;
    int c = 0;
    while (std::getline(stream, item, ',')) {
        if (c == ChannelCount || item.empty()) return std::nullopt;
        std::istringstream cell(item);
        cell.imbue(std::locale::classic());
        double value = 0;
        if (!(cell >> value) || !cell.eof() || !(value >= 0 && value <= 65280)) return std::nullopt;
        means[c++] = value;
    }
    if (c != ChannelCount) return std::nullopt;
    return means;
}
