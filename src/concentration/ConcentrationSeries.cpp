// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/ConcentrationSeries.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t ConverterTop = 1023;
// A reference weaker than this share of its strongest channel, or than this many Digits, is noise.
constexpr double WeakReferenceShare = 0.05;
constexpr double WeakReferenceFloor = 10.0;

double ChannelNm(const WavelengthCalibration& calibration, int channel) {
    return calibration.LambdaMin + channel * calibration.NmPerChannel;
}

} // namespace

std::string UnitText(ConcentrationUnit unit) {
    switch (unit) {
    case ConcentrationUnit::MolPerLitre:
        return "mol/L";
    case ConcentrationUnit::MillimolPerLitre:
        return "mmol/L";
    case ConcentrationUnit::MicromolPerLitre:
        return "\u00b5mol/L";
    case ConcentrationUnit::MilligramPerLitre:
        return "mg/L";
    case ConcentrationUnit::GramPerLitre:
        return "g/L";
    }
    return {};
}

std::string SlopeUnitText(ConcentrationUnit unit) {
    const std::string text = UnitText(unit);
    return "L/" + text.substr(0, text.size() - 2);
}

std::string RowNote(const SeriesRow& row, const std::string& note) {
    if (!row.Spectrum || row.Spectrum->Dark) return note;
    // A comma, not a semicolon: the exported table separates its cells with those.
    return note + (note.empty() ? "" : ", ") + "ohne Dunkelabzug";
}

std::string ExclusionText(Exclusion reason) {
    switch (reason) {
    case Exclusion::None:
        break;
    case Exclusion::NotMeasured:
        return "nicht gemessen";
    case Exclusion::Saturated:
        return "\u00fcbersteuert";
    case Exclusion::TooLittleLight:
        return "zu wenig Licht";
    case Exclusion::AboveLimit:
        return "A \u00fcber 1,5";
    case Exclusion::ByHand:
        return "von Hand herausgenommen";
    }
    return {};
}

std::optional<RowSpectrum> MeasuredRow(const MeasurementModes& measurement, const ChannelReadings& shown,
                                       int32_t exposure) {
    const std::optional<StoredSpectrum>& reference = measurement.Reference();
    // The slider may already stand elsewhere than the spectrum shown was measured at.
    const SpectrumConditions& shownUnder = measurement.Conditions();
    if (!reference || reference->Exposure != exposure || !shownUnder.Measured ||
        shownUnder.Exposure != exposure)
        return std::nullopt;
    RowSpectrum row{shown, exposure, std::nullopt, reference->Readings};
    if (shownUnder.DarkSubtracted && measurement.Dark()) row.Dark = measurement.Dark()->Readings;
    return row;
}

std::array<Absorbance, ChannelCount> RowAbsorbances(const RowSpectrum& spectrum) {
    std::array<double, ChannelCount> blank;
    for (int c = 0; c < ChannelCount; ++c)
        blank[c] = std::max(double(spectrum.Reference[c]) - (spectrum.Dark ? (*spectrum.Dark)[c] : 0), 0.0);
    const double strongest = *std::max_element(blank.begin(), blank.end());
    const double weakest = std::max(WeakReferenceShare * strongest, WeakReferenceFloor);
    std::array<Absorbance, ChannelCount> result;
    for (int c = 0; c < ChannelCount; ++c) {
        const int32_t measured = spectrum.Shown[c] + (spectrum.Dark ? (*spectrum.Dark)[c] : 0);
        if (measured >= ConverterTop || spectrum.Reference[c] >= ConverterTop)
            result[c].Reason = Exclusion::Saturated;
        else if (blank[c] < weakest || spectrum.Shown[c] <= 0)
            result[c].Reason = Exclusion::TooLittleLight;
        else
            result[c].Value = -std::log10(spectrum.Shown[c] / blank[c]);
    }
    return result;
}

std::pair<int, int> BandChannels(const WavelengthCalibration& calibration, double fromNm, double toNm) {
    if (toNm < fromNm) std::swap(fromNm, toNm);
    const auto nearest = [&](double nm) {
        const double channel = (nm - calibration.LambdaMin) / calibration.NmPerChannel;
        return std::clamp(static_cast<int>(std::nearbyint(channel)), 0, ChannelCount - 1);
    };
    int first = nearest(fromNm), last = nearest(toNm);
    if (ChannelNm(calibration, first) < fromNm - 1e-9 && first < last) ++first;
    if (ChannelNm(calibration, last) > toNm + 1e-9 && last > first) --last;
    if (first > last) first = last = nearest((fromNm + toNm) / 2);
    return {first, last};
}

Absorbance BandAbsorbance(const std::array<Absorbance, ChannelCount>& absorbances,
                          const WavelengthCalibration& calibration, double fromNm, double toNm) {
    const auto [first, last] = BandChannels(calibration, fromNm, toNm);
    double sum = 0;
    for (int c = first; c <= last; ++c) {
        if (!absorbances[c].Value) return {std::nullopt, absorbances[c].Reason};
        sum += *absorbances[c].Value;
    }
    return {sum / (last - first + 1), Exclusion::None};
}
