// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/BandValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double ChannelNm(const WavelengthCalibration& calibration, int c) {
    return calibration.LambdaMin + c * calibration.NmPerChannel;
}

std::string MissingReason(const SpectrumQuantities& values, SeriesQuantity quantity, int c) {
    if (quantity == SeriesQuantity::Intensity) return "kein Messwert";
    if (!values.ReferenceValid)
        return values.ReferenceExposure < 0
                   ? "kein Referenzspektrum"
                   : "Referenz nur bei Belichtung " + std::to_string(values.ReferenceExposure);
    if (!values.Transmission[c]) return "zu wenig Licht in der Referenz";
    return "zu dunkel";
}

} // namespace

BandValue ValueInBand(const SpectrumQuantities& values, const WavelengthCalibration& calibration,
                      double wavelength, double halfWidth, SeriesQuantity quantity) {
    const ChannelValues& channel = quantity == SeriesQuantity::Intensity    ? values.Intensity
                                   : quantity == SeriesQuantity::Absorbance ? values.Absorbance
                                                                            : values.Transmission;
    int first = ChannelCount, last = -1;
    for (int c = 0; c < ChannelCount; ++c)
        if (std::fabs(ChannelNm(calibration, c) - wavelength) <= halfWidth) {
            first = std::min(first, c);
            last = c;
        }
    if (last < 0) {
        const double step = calibration.NmPerChannel;
        const int nearest = int(std::nearbyint((wavelength - calibration.LambdaMin) / step));
        if (!(step > 0) || nearest < 0 || nearest >= ChannelCount)
            return {std::nullopt, false, "außerhalb des Wellenlängenbereichs"};
        first = last = nearest;
    }
    double sum = 0;
    bool bound = false;
    for (int c = first; c <= last; ++c) {
        if (values.Saturated[size_t(c)]) return {std::nullopt, false, "übersteuert"};
        if (!channel[c]) return {std::nullopt, false, MissingReason(values, quantity, c)};
        sum += *channel[c];
        bound |= quantity != SeriesQuantity::Intensity && values.Verdicts[c] == ChannelVerdict::Bound;
    }
    return {sum / (last - first + 1), bound, bound ? "mehr Extinktion, als das Licht auflöst" : ""};
}

std::string BoundText(double value, SeriesQuantity quantity) {
    const int decimals = value > 0 ? std::clamp(1 - int(std::floor(std::log10(value))), 0, 6) : 2;
    char text[64];
    std::snprintf(text, sizeof text, "%s %.*f", quantity == SeriesQuantity::Absorbance ? ">" : "<", decimals,
                  std::nearbyint(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals));
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

SeriesEvaluator::SeriesEvaluator(const TimedSeries& series) : series_(series) {
    if (series.Dark) modes_.SetDark(*series.Dark);
    if (series.Reference) {
        // The measurement functions take a reference only as the mean of captured spectra: hand them
        // the stored one that many times.
        modes_.StartCapture(MeasurementModes::Capture::Reference);
        for (int i = 0; i < MeasurementModes::CaptureCount; ++i)
            modes_.Process(series.Reference->Readings, series.Reference->Exposure, series.Calibration);
    }
}

SpectrumQuantities SeriesEvaluator::Evaluate(const SeriesSpectrum* first, size_t count) {
    SpectrumQuantities result;
    const int32_t exposure = first->Exposure;
    std::array<int64_t, ChannelCount> sum{};
    size_t used = 0;
    for (const SeriesSpectrum* spectrum = first; spectrum != first + count; ++spectrum) {
        // Readings of another exposure are another scale: they don't mix into this mean.
        if (spectrum->Exposure != exposure) continue;
        ++used;
        for (int c = 0; c < ChannelCount; ++c) {
            sum[c] += spectrum->Readings[c];
            if (spectrum->Readings[c] >= SaturatedReading) result.Saturated.set(size_t(c));
        }
    }
    ChannelReadings mean;
    for (int c = 0; c < ChannelCount; ++c)
        mean[c] = RoundHalfEven(double(sum[c]) / double(used));

    modes_.SetDarkSubtraction(first->DarkSubtracted);
    const ChannelReadings shown = modes_.Process(mean, exposure, series_.Calibration);
    modes_.Evaluate();
    for (int c = 0; c < ChannelCount; ++c)
        result.Intensity[c] = shown[c];
    result.Transmission = modes_.Transmission();
    result.Absorbance = modes_.Absorbance();
    result.Verdicts = modes_.Verdicts();
    result.ReferenceExposure = series_.Reference ? series_.Reference->Exposure : -1;
    result.ReferenceValid = series_.Reference && series_.Reference->Exposure == exposure;
    return result;
}

BandValue SeriesEvaluator::PointValue(const SeriesPointSpectra& point, double wavelength, double halfWidth,
                                      SeriesQuantity quantity) {
    const SpectrumQuantities values = Evaluate(series_.Spectra.data() + point.First, point.Count);
    return ValueInBand(values, series_.Calibration, wavelength, halfWidth, quantity);
}
