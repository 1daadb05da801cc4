// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/BandValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::string BoundText(double value, SeriesQuantity quantity) {
    const int decimals = value > 0 ? std::clamp(1 - int(std::floor(std::log10(value))), 0, 6) : 2;
    const double scale = std::pow(10.0, decimals);
    char text[64];
    std::snprintf(text, sizeof text, "%s %.*f", quantity == SeriesQuantity::Absorbance ? ">" : "<", decimals,
                  std::nearbyint(value * scale) / scale);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

namespace {

// A point of A = 1 measured at `averaging` against `reference` and `dark`, in the band.
BandResult PointAtOne(const Evidence& reference, const Evidence* dark, int averaging, double wavelength,
                      double halfWidth) {
    Evidence sample;
    sample.Exposure = reference.Exposure;
    sample.Calibration = reference.Calibration;
    sample.DarkSubtracted = dark && dark->Exposure == reference.Exposure;
    sample.Count = averaging;
    for (int c = 0; c < ChannelCount; ++c) {
        const double d = sample.DarkSubtracted ? dark->Mean[c] : 0.0;
        sample.Mean[c] = d + (reference.Mean[c] - d) / 10;
    }
    return ValueAround(Evaluate(sample, dark, &reference), wavelength, halfWidth, Quantity::Absorbance);
}

bool Enough(const BandResult& point) {
    return point.Kind == Outcome::Value && point.Uncertainty <= PrecisionLimit;
}

} // namespace

std::string PrecisionWarning(const Evidence* reference, const Evidence* dark, int averaging,
                             double wavelength, double halfWidth) {
    if (!reference) return {};
    const BandResult now = PointAtOne(*reference, dark, averaging, wavelength, halfWidth);
    if (Enough(now) || now.Why == Reason::OutsideRange) return {};
    char nm[32];
    std::snprintf(nm, sizeof nm, "%.0f", std::nearbyint(wavelength));
    std::string warning = "Bei " + std::string(nm) + " nm werden die Punkte zu unsicher: bei A = 1 ";
    if (now.Kind == Outcome::Value) {
        char u[32];
        std::snprintf(u, sizeof u, "%.2f", std::nearbyint(now.Uncertainty * 100) / 100);
        std::string text = u;
        std::replace(text.begin(), text.end(), '.', ',');
        warning += "± " + text + ".";
    } else {
        warning +=
            now.Kind == Outcome::Bound ? "nur eine Schranke." : "kein Wert (" + ReasonText(now.Why) + ").";
    }
    // Averaging helps where the sample's own noise is what limits; otherwise only more light does.
    for (const int more : {2, 4, 8, 16})
        if (more > averaging && Enough(PointAtOne(*reference, dark, more, wavelength, halfWidth)))
            return warning + " Mittelung auf " + std::to_string(more) + " erhöhen.";
    return warning +
           " Mehr Licht nötig: Belichtung erhöhen oder eine hellere Lampe nehmen, dann Referenz neu "
           "aufnehmen.";
}

Evidence SeriesEvaluator::PointEvidence(const SeriesSpectrum* first, size_t count) const {
    Evidence evidence;
    evidence.Exposure = first->Exposure;
    evidence.DarkSubtracted = first->DarkSubtracted;
    evidence.Calibration = series_.Calibration;
    std::array<double, ChannelCount> sum{}, squares{};
    for (const SeriesSpectrum* spectrum = first; spectrum != first + count; ++spectrum) {
        // Readings of another exposure are another scale, and one with the dark taken off another
        // quantity: they don't mix into this mean.
        if (spectrum->Exposure != first->Exposure || spectrum->DarkSubtracted != first->DarkSubtracted)
            continue;
        ++evidence.Count;
        for (int c = 0; c < ChannelCount; ++c) {
            const double reading = spectrum->Readings[c];
            sum[c] += reading;
            squares[c] += reading * reading;
            if (reading >= FullScaleDigits) evidence.Saturated.set(size_t(c));
        }
    }
    const double n = evidence.Count;
    for (int c = 0; c < ChannelCount; ++c) {
        evidence.Mean[c] = sum[c] / n;
        if (evidence.Count > 1)
            evidence.Spread[c] = std::sqrt(std::max(squares[c] - sum[c] * sum[c] / n, 0.0) / (n - 1));
    }
    return evidence;
}

BandValue SeriesEvaluator::PointValue(const SeriesPointSpectra& point, double wavelength, double halfWidth,
                                      SeriesQuantity quantity) const {
    const Evidence sample = PointEvidence(series_.Spectra.data() + point.First, point.Count);
    const Evaluation evaluation = Evaluate(sample, series_.Dark ? &*series_.Dark : nullptr,
                                           series_.Reference ? &*series_.Reference : nullptr);
    const Quantity read = quantity == SeriesQuantity::Absorbance            ? Quantity::Absorbance
                          : quantity == SeriesQuantity::TransmissionPercent ? Quantity::Transmission
                                                                            : Quantity::Intensity;
    const BandResult band = ValueAround(evaluation, wavelength, halfWidth, read);
    BandValue value;
    value.DarkSubtracted = sample.DarkSubtracted;
    if (band.Kind != Outcome::Gap) value.Value = band.Value;
    value.Uncertainty = band.Uncertainty;
    value.Bound = band.Kind == Outcome::Bound;
    if (band.Kind != Outcome::Value) value.Reason = ReasonText(band.Why);
    return value;
}
