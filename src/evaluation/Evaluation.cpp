// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/Evaluation.h"

#include <algorithm>
#include <cmath>

namespace {

double Squared(double x) {
    return x * x;
}

bool SpreadKnown(const Evidence& evidence) {
    return evidence.Count >= 2 &&
           std::any_of(evidence.Spread.begin(), evidence.Spread.end(), [](double s) { return s > 0; });
}

// The spread of a few spectra falls short of their noise on average: by this factor for `count`.
double SpreadBias(int count) {
    return std::sqrt(2.0 / (count - 1)) * std::exp(std::lgamma(count / 2.0) - std::lgamma((count - 1) / 2.0));
}

// Least squares of the noise against the mean over the channels of every evidence that has a spread;
// saturated channels scatter less than their light does and stay out.
std::optional<NoiseModel> FitOver(std::initializer_list<const Evidence*> evidences) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Evidence* evidence : evidences) {
        if (!evidence || !SpreadKnown(*evidence)) continue;
        for (int c = 0; c < ChannelCount; ++c) {
            const double x = evidence->Mean[c], y = evidence->Spread[c] / SpreadBias(evidence->Count);
            if (evidence->Saturated[size_t(c)] || x >= FullScaleDigits) continue;
            n += 1;
            sx += x;
            sy += y;
            sxx += x * x;
            sxy += x * y;
        }
    }
    if (n < 2) return std::nullopt;
    const double meanX = sx / n, meanY = sy / n;
    const double varX = sxx / n - meanX * meanX;
    NoiseModel model;
    model.Share = varX > 0 ? std::max((sxy / n - meanX * meanY) / varX, 0.0) : 0.0;
    model.Floor = std::max(meanY - model.Share * meanX, model.Floor);
    return model;
}

bool Saturated(const Evidence& evidence, int c) {
    return evidence.Saturated[size_t(c)] || evidence.Mean[c] >= FullScaleDigits;
}

ChannelResult Gap(ChannelResult result, Reason why) {
    result.Kind = Outcome::Gap;
    result.Why = why;
    return result;
}

} // namespace

std::string ReasonText(Reason reason) {
    switch (reason) {
    case Reason::None:
        break;
    case Reason::LampNoise:
        return "Lampenrauschen";
    case Reason::WeakReference:
        return "Referenz zu schwach";
    case Reason::TooMuchLight:
        return "zu viel Licht";
    case Reason::SaturatedDark:
        return "Dunkelspektrum übersteuert";
    case Reason::SaturatedReference:
        return "Referenz übersteuert";
    case Reason::SaturatedSample:
        return "übersteuert";
    case Reason::NoReference:
        return "keine Referenz bei dieser Belichtung";
    case Reason::NoDark:
        return "kein Dunkelspektrum bei dieser Belichtung";
    case Reason::Unresolved:
        return "Licht der Probe nicht aufgelöst";
    case Reason::OutsideRange:
        return "außerhalb des Wellenlängenbereichs";
    }
    return {};
}

std::string RemedyText(Reason reason) {
    switch (reason) {
    case Reason::LampNoise:
    case Reason::Unresolved:
        return "Mittelung erhöhen";
    case Reason::WeakReference:
        return "Belichtung erhöhen und Referenz neu aufnehmen";
    case Reason::TooMuchLight:
        return "Referenz neu aufnehmen";
    case Reason::SaturatedDark:
        return "Licht abdecken und Dunkelspektrum neu aufnehmen";
    case Reason::SaturatedReference:
        return "Belichtung verringern und Referenz neu aufnehmen";
    case Reason::SaturatedSample:
        return "Belichtung verringern";
    case Reason::NoReference:
        return "Referenzspektrum aufnehmen";
    case Reason::NoDark:
        return "Dunkelspektrum aufnehmen";
    case Reason::None:
    case Reason::OutsideRange:
        break;
    }
    return {};
}

Evidence EvidenceOfReadings(const ChannelReadings& readings, int32_t exposure, int count) {
    Evidence evidence;
    for (int c = 0; c < ChannelCount; ++c)
        evidence.Mean[c] = readings[c];
    evidence.Count = count;
    evidence.Saturated = SaturatedChannels(readings);
    evidence.Exposure = exposure;
    return evidence;
}

NoiseModel FitNoise(const Evidence& reference, const Evidence* dark, bool* estimated) {
    const std::optional<NoiseModel> fitted = FitOver({&reference, dark});
    if (estimated) *estimated = !fitted;
    return fitted.value_or(NoiseModel{NoiseModel{}.Floor, AssumedLampShare});
}

Evaluation Evaluate(const Evidence& sample, const Evidence* dark, const Evidence* reference) {
    Evaluation evaluation;
    evaluation.Calibration = sample.Calibration;
    evaluation.DarkSubtracted = sample.DarkSubtracted;
    const bool darkMissing = sample.DarkSubtracted && !(dark && dark->Exposure == sample.Exposure);
    if (!sample.DarkSubtracted || darkMissing) dark = nullptr;
    if (reference && reference->Exposure != sample.Exposure) reference = nullptr;
    if (reference)
        evaluation.Noise = FitNoise(*reference, dark, &evaluation.NoiseEstimated);
    else
        evaluation.Noise = FitOver({&sample, dark}).value_or(NoiseModel{});
    const NoiseModel& noise = evaluation.Noise;
    const auto count = [](const Evidence* e) { return double(std::max(e->Count, 1)); };

    for (int c = 0; c < ChannelCount; ++c) {
        ChannelResult result;
        const double d = dark ? dark->Mean[c] : 0.0;
        const double darkVariance = dark ? Squared(noise.At(d)) / count(dark) : 0.0;
        const double sampleVariance = Squared(noise.At(sample.Mean[c])) / count(&sample);
        const double s = sample.Mean[c] - d;
        result.Intensity = s;
        result.IntensityU = std::sqrt(sampleVariance + darkVariance);
        const bool darkSaturated = dark && Saturated(*dark, c);
        result.IntensityValid = !darkMissing && !darkSaturated && !Saturated(sample, c);

        if (darkMissing) {
            evaluation.Channels[c] = Gap(result, Reason::NoDark);
            continue;
        }
        if (!reference) {
            evaluation.Channels[c] = Gap(result, Reason::NoReference);
            continue;
        }
        if (darkSaturated || Saturated(*reference, c) || Saturated(sample, c)) {
            evaluation.Channels[c] = Gap(result, darkSaturated              ? Reason::SaturatedDark
                                                 : Saturated(*reference, c) ? Reason::SaturatedReference
                                                                            : Reason::SaturatedSample);
            continue;
        }
        const double r = reference->Mean[c];
        const double referenceVariance = Squared(noise.At(r)) / count(reference);
        const double blank = r - d;
        if (blank < ResolvedSigmas * std::sqrt(referenceVariance + darkVariance)) {
            // Unresolved because of the lamp's own scatter or of too little light.
            evaluation.Channels[c] =
                Gap(result, noise.Share * r > noise.Floor ? Reason::LampNoise : Reason::WeakReference);
            continue;
        }
        // T = s / b: the sample's noise over b, the reference's scaled by T, the dark's by 1 − T (it
        // is taken off both).
        const double t = s / blank;
        const double tVariance =
            (sampleVariance + t * t * referenceVariance + (1 - t) * (1 - t) * darkVariance) / (blank * blank);
        const double tU = std::sqrt(tVariance);
        if (s < ResolvedSigmas * result.IntensityU) {
            result.Kind = Outcome::Bound;
            result.Why = Reason::Unresolved;
            result.Transmission = 100 * (std::max(s, 0.0) + ResolvedSigmas * result.IntensityU) / blank;
            result.Absorbance = 2 - std::log10(result.Transmission);
            evaluation.Channels[c] = result;
            continue;
        }
        if (100 * (t - 1) > ResolvedSigmas * 100 * tU + LampDriftPercent) {
            evaluation.Channels[c] = Gap(result, Reason::TooMuchLight);
            continue;
        }
        // What limits the precision: the sensor's floor, which more light overcomes, or the lamp.
        const double floorOnly =
            Squared(noise.Floor) *
            (1 / count(&sample) + t * t / count(reference) + (dark ? (1 - t) * (1 - t) / count(dark) : 0.0)) /
            (blank * blank);
        result.Kind = Outcome::Value;
        result.Why = 2 * floorOnly >= tVariance ? Reason::WeakReference : Reason::LampNoise;
        result.Transmission = 100 * t;
        result.TransmissionU = 100 * tU;
        result.Absorbance = -std::log10(t);
        result.AbsorbanceU = tU / (t * std::log(10.0));
        evaluation.Channels[c] = result;
    }
    return evaluation;
}
