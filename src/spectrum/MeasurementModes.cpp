// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/MeasurementModes.h"

#include "spectrum/VectorState.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

constexpr int32_t ViewLevelsFullScale = DiagramHeight * ViewScaleDivisor;
// Standard deviations a stated precision covers, so that nearly every channel of a spectrum keeps it.
constexpr double Coverage = 3.0;
// A single spectrum that differs from the mean by more than this, in Digits or as a share of the mean,
// in at least this many channels shows another sample: the mean starts afresh.
constexpr double SampleChangeDigits = 10;
constexpr double SampleChangeShare = 0.1;
constexpr int SampleChangeChannels = 8;

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

void MeasurementModes::Evaluate() {
    ClearUpperVectorState();
    transmission_.fill(std::nullopt);
    absorbance_.fill(std::nullopt);
    referenceLessDark_.fill(std::nullopt);
    verdicts_.fill(ChannelVerdict::NoReference);
    // A reference taken at another exposure would scale every transmission by the exposures' ratio; a
    // spectrum from a file has no known exposure at all.
    if (!reference_ || !conditions_.Measured || reference_->Exposure != conditions_.Exposure)
        return Lay(levels_.FullScale);
    const bool dark = conditions_.DarkSubtracted;
    const NoiseModel noise = FitNoise(reference_->Mean, reference_->Spread);
    for (int c = 0; c < ChannelCount; ++c) {
        const double blank = std::max(reference_->Mean[c] - (dark ? dark_->Mean[c] : 0.0), 0.0);
        referenceLessDark_[c] = blank;
        if (shownSaturated_[size_t(c)]) {
            verdicts_[c] = ChannelVerdict::Saturated;
            continue;
        }
        // The standard deviation of T: the noise of the sample, reference and dark means over R − D.
        const double t = blank > 0 ? shownMean_[c] / blank : 0.0;
        const double sample = noise.At(shownMean_[c] + (dark ? dark_->Mean[c] : 0.0));
        const double reference = noise.At(reference_->Mean[c]);
        const double darkNoise = dark ? noise.At(dark_->Mean[c]) : 0.0;
        const double variance =
            sample * sample / std::max(conditions_.Averaged, 1) +
            t * t * reference * reference / std::max(reference_->Count, 1) +
            (1 - t) * (1 - t) * darkNoise * darkNoise / std::max(dark ? dark_->Count : 1, 1);
        const double uncertainty = 100 * Coverage * std::sqrt(variance);
        // Where the reference's light itself can't keep the precision, the channel has no value.
        if (blank <= 0 || uncertainty > PrecisionPercent * blank) {
            verdicts_[c] = ChannelVerdict::TooDark;
            continue;
        }
        const double limit = uncertainty / blank; // in % T
        if (100 * t < limit) {
            verdicts_[c] = ChannelVerdict::Bound;
            transmission_[c] = limit;
            absorbance_[c] = 2 - std::log10(limit);
            continue;
        }
        verdicts_[c] = ChannelVerdict::Value;
        transmission_[c] = 100 * t;
        absorbance_[c] = -std::log10(t);
    }
    Lay(levels_.FullScale);
}

void MeasurementModes::SetView(MeasurementView view) {
    view_ = view;
    Lay(0);
}

void MeasurementModes::Lay(double previousFullScale) {
    if (const ChannelValues* values = ViewValues())
        levels_ = LayOnDiagram(*values, verdicts_, view_, previousFullScale);
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
               std::to_string(captured_.Count()) + " von " + std::to_string(CaptureCount);
    // The whole refusal stands inside the diagram; the status line has room for its gist.
    if (!refusal_.empty()) return refusal_.substr(0, refusal_.find(" bei "));
    if (InUse() && !SaturationText().empty()) return "Spektrum " + SaturationText();
    if (averaging_ > 1 && conditions_.Measured && conditions_.Averaged < averaging_)
        return "Mittelung " + std::to_string(conditions_.Averaged) + " von " + std::to_string(averaging_);
    const bool view = view_ != MeasurementView::Intensity;
    if (view && !conditions_.Measured) return "Spektrum aus Datei: keine Transmission";
    if (view && !reference_) return "Kein Referenzspektrum";
    if (view && reference_->Exposure != exposure) return at("Referenz nur", reference_->Exposure);
    if (darkSubtraction_ && dark_ && dark_->Exposure != exposure)
        return at("Dunkelabzug nur", dark_->Exposure);
    if (view && !AnyChannelWithValue()) return "Referenz zu schwach: kein Kanal mit Wert";
    if (reference_ && (view || lastTaken_ == Capture::Reference))
        return at("Referenzspektrum", reference_->Exposure) +
               (view && !conditions_.DarkSubtracted ? ", ohne Dunkelabzug" : "");
    if (dark_ && (darkSubtraction_ || lastTaken_ == Capture::Dark))
        return at("Dunkelspektrum", dark_->Exposure);
    return {};
}

std::string MeasurementModes::ViewNotice() const {
    if (!refusal_.empty())
        return refusal_.substr(0, refusal_.find(" – ")) + "\n" + refusal_.substr(refusal_.find(" – ") + 5);
    if (view_ == MeasurementView::Intensity) return {};
    if (!conditions_.Measured) return "Spektrum aus Datei: ohne Belichtung keine Transmission";
    if (!reference_) return "Kein Referenzspektrum\nMessung → Referenzspektrum aufnehmen";
    const std::string referenceExposure = std::to_string(reference_->Exposure);
    if (reference_->Exposure != conditions_.Exposure)
        return "Gemessen bei Belichtung " + std::to_string(conditions_.Exposure) + ", Referenz bei " +
               referenceExposure + "\nMessung → Belichtung " + referenceExposure + " wiederherstellen";
    if (!AnyChannelWithValue())
        return "Kein Kanal mit genug Licht\nBelichtung ändern und Referenz neu aufnehmen";
    if (!conditions_.DarkSubtracted) return "ohne Dunkelabzug";
    return {};
}

bool MeasurementModes::AnyChannelWithValue() const {
    return std::any_of(verdicts_.begin(), verdicts_.end(), [](ChannelVerdict v) {
        return v == ChannelVerdict::Value || v == ChannelVerdict::Bound;
    });
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
        if (verdicts[c] != ChannelVerdict::Value) continue;
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

std::string ViewValueText(const std::optional<double>& value, MeasurementView view, ChannelVerdict verdict) {
    if (verdict == ChannelVerdict::Saturated) return "übersteuert";
    if (!value) return "—";
    const bool percent = view == MeasurementView::Transmission;
    // A bound is an upper one of the transmission and so a lower one of the absorbance.
    const std::string bound = verdict != ChannelVerdict::Bound ? "" : percent ? "< " : "> ";
    return bound + (percent ? Decimal(*value, 1) + " %" : Decimal(*value, 2));
}

std::string ViewReadoutText(const ChannelValues& values, const ChannelVerdicts& verdicts,
                            MeasurementView view, const WavelengthCalibration& calibration, int x,
                            int columnsPerChannel) {
    x = std::clamp(x, 0, columnsPerChannel * ChannelCount - 1);
    const int32_t lambda =
        RoundHalfEven(x / double(columnsPerChannel) * calibration.NmPerChannel + calibration.LambdaMin);
    const size_t c = size_t(x / columnsPerChannel);
    return std::to_string(lambda) + "nm => " + ViewValueText(values[c], view, verdicts[c]);
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
