// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/EvaluatedMeasurement.h"

#include "spectrum/VectorState.h"

#include <algorithm>
#include <map>

namespace {

ChannelVerdict VerdictOf(const ChannelResult& channel) {
    if (channel.Kind == Outcome::Value) return ChannelVerdict::Value;
    if (channel.Kind == Outcome::Bound) return ChannelVerdict::Bound;
    switch (channel.Why) {
    case Reason::SaturatedDark:
    case Reason::SaturatedReference:
    case Reason::SaturatedSample:
        return ChannelVerdict::Saturated;
    case Reason::WeakReference:
        return ChannelVerdict::TooDark;
    case Reason::LampNoise:
        return ChannelVerdict::LampNoise;
    case Reason::TooMuchLight:
        return ChannelVerdict::TooMuchLight;
    default:
        return ChannelVerdict::NoReference;
    }
}

} // namespace

Evidence EvidenceOf(const StoredSpectrum& stored) {
    Evidence evidence;
    evidence.Mean = stored.Mean;
    evidence.Spread = stored.Spread;
    evidence.Count = stored.Count;
    evidence.Saturated = SaturatedChannels(stored.Readings);
    evidence.Exposure = stored.Exposure;
    evidence.Taken = stored.Taken;
    return evidence;
}

Evidence ShownEvidence(const MeasurementModes& measurement) {
    const SpectrumConditions& shown = measurement.Conditions();
    Evidence evidence;
    evidence.Mean = measurement.ShownMean();
    if (shown.DarkSubtracted)
        for (int c = 0; c < ChannelCount; ++c)
            evidence.Mean[c] += measurement.Dark()->Mean[c];
    evidence.Spread = measurement.ShownSpread();
    evidence.Count = shown.Averaged;
    evidence.Saturated = measurement.ShownSaturated();
    evidence.Exposure = shown.Exposure;
    evidence.Calibration = measurement.ShownCalibration();
    evidence.DarkSubtracted = shown.DarkSubtracted;
    return evidence;
}

void EvaluatedMeasurement::SetView(MeasurementView view) {
    MeasurementModes::SetView(view);
    Lay(0);
}

void EvaluatedMeasurement::Evaluate() {
    ClearUpperVectorState();
    transmission_.fill(std::nullopt);
    transmissionU_.fill(std::nullopt);
    absorbance_.fill(std::nullopt);
    absorbanceU_.fill(std::nullopt);
    referenceLessDark_.fill(std::nullopt);
    const SpectrumConditions& shown = Conditions();
    std::optional<Evidence> dark, reference;
    if (Dark()) dark = EvidenceOf(*Dark());
    // A spectrum from a file has no known exposure: no reference belongs to it.
    if (Reference() && shown.Measured) reference = EvidenceOf(*Reference());
    result_ = ::Evaluate(ShownEvidence(*this), dark ? &*dark : nullptr, reference ? &*reference : nullptr);
    const bool blank = reference && reference->Exposure == shown.Exposure;
    for (int c = 0; c < ChannelCount; ++c) {
        const ChannelResult& channel = result_.Channels[c];
        verdicts_[c] = VerdictOf(channel);
        if (blank)
            referenceLessDark_[c] =
                std::max(reference->Mean[c] - (shown.DarkSubtracted ? dark->Mean[c] : 0.0), 0.0);
        if (channel.Kind == Outcome::Gap) continue;
        transmission_[c] = channel.Transmission;
        absorbance_[c] = channel.Absorbance;
        if (channel.Kind != Outcome::Value) continue;
        transmissionU_[c] = channel.TransmissionU;
        absorbanceU_[c] = channel.AbsorbanceU;
    }
    Lay(levels_.FullScale);
}

void EvaluatedMeasurement::Lay(double previousFullScale) {
    const ChannelValues* values = ViewValues();
    if (!values) return;
    const ChannelValues& uncertainties = *ViewUncertainties();
    const double limit = View() == MeasurementView::Transmission ? ViewLimitPercent : ViewLimitAbsorbance;
    ChannelValues shown = *values;
    leftOut_ = 0;
    for (int c = 0; c < ChannelCount; ++c)
        if (uncertainties[c] && *uncertainties[c] > limit) {
            shown[c].reset();
            ++leftOut_;
        }
    levels_ = LayOnDiagram(shown, verdicts_, View(), previousFullScale);
}

const ChannelValues* EvaluatedMeasurement::ViewValues() const {
    switch (View()) {
    case MeasurementView::Transmission:
        return &transmission_;
    case MeasurementView::Absorbance:
        return &absorbance_;
    case MeasurementView::Intensity:
        break;
    }
    return nullptr;
}

const ChannelValues* EvaluatedMeasurement::ViewUncertainties() const {
    if (!ViewValues()) return nullptr;
    return View() == MeasurementView::Transmission ? &transmissionU_ : &absorbanceU_;
}

std::string EvaluatedMeasurement::StatusText(int32_t exposure) const {
    const auto at = [](const char* what, int32_t taken) {
        return std::string(what) + " bei Belichtung " + std::to_string(taken);
    };
    const std::optional<StoredSpectrum>& reference = Reference();
    const std::optional<StoredSpectrum>& dark = Dark();
    const SpectrumConditions& shown = Conditions();
    if (Capturing() != Capture::None)
        return std::string(Capturing() == Capture::Dark ? "Dunkelspektrum " : "Referenzspektrum ") +
               std::to_string(CapturedCount()) + " von " + std::to_string(CaptureCount);
    // The whole refusal stands inside the diagram; the status line has room for its gist.
    if (!Refusal().empty()) return Refusal().substr(0, Refusal().find(" bei "));
    if (InUse() && !SaturationText().empty()) return "Spektrum " + SaturationText();
    if (Averaging() > 1 && shown.Measured && shown.Averaged < Averaging())
        return "Mittelung " + std::to_string(shown.Averaged) + " von " + std::to_string(Averaging());
    const bool view = View() != MeasurementView::Intensity;
    if (view && !shown.Measured) return "Spektrum aus Datei: keine Transmission";
    if (view && !reference) return "Kein Referenzspektrum";
    if (view && reference->Exposure != exposure) return at("Referenz nur", reference->Exposure);
    if (DarkSubtraction() && dark && dark->Exposure != exposure) return at("Dunkelabzug nur", dark->Exposure);
    if (view && !AnyChannelWithValue()) return "Kein Kanal mit Wert: " + ReasonText(CommonCause());
    if (reference && (view || LastTaken() == Capture::Reference))
        return at("Referenzspektrum", reference->Exposure) +
               (view && !shown.DarkSubtracted ? ", ohne Dunkelabzug" : "");
    if (dark && (DarkSubtraction() || LastTaken() == Capture::Dark))
        return at("Dunkelspektrum", dark->Exposure);
    return {};
}

std::string EvaluatedMeasurement::ViewNotice() const {
    const std::string& refusal = Refusal();
    if (!refusal.empty())
        return refusal.substr(0, refusal.find(" – ")) + "\n" + refusal.substr(refusal.find(" – ") + 5);
    if (View() == MeasurementView::Intensity) return {};
    const SpectrumConditions& shown = Conditions();
    const std::optional<StoredSpectrum>& reference = Reference();
    if (!shown.Measured) return "Spektrum aus Datei: ohne Belichtung keine Transmission";
    if (!reference) return "Kein Referenzspektrum\nMessung → Referenzspektrum aufnehmen";
    const std::string referenceExposure = std::to_string(reference->Exposure);
    if (reference->Exposure != shown.Exposure)
        return "Gemessen bei Belichtung " + std::to_string(shown.Exposure) + ", Referenz bei " +
               referenceExposure + "\nMessung → Belichtung " + referenceExposure + " wiederherstellen";
    if (!AnyChannelWithValue())
        return "Kein Kanal mit Wert: " + ReasonText(CommonCause()) + "\n" + RemedyText(CommonCause());
    std::string notice;
    if (leftOut_ > 0)
        notice =
            View() == MeasurementView::Transmission ? "ohne Kanäle mit u > 5 % T" : "ohne Kanäle mit u > 0,1";
    if (!shown.DarkSubtracted) notice += (notice.empty() ? "" : "\n") + std::string("ohne Dunkelabzug");
    return notice;
}

Reason EvaluatedMeasurement::CommonCause() const {
    std::map<Reason, int> causes;
    for (const ChannelResult& channel : result_.Channels)
        ++causes[channel.Why];
    return std::max_element(causes.begin(), causes.end(),
                            [](auto& a, auto& b) { return a.second < b.second; })
        ->first;
}

bool EvaluatedMeasurement::AnyChannelWithValue() const {
    return std::any_of(verdicts_.begin(), verdicts_.end(), [](ChannelVerdict v) {
        return v == ChannelVerdict::Value || v == ChannelVerdict::Bound;
    });
}
