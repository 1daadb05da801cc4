// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/ConcentrationSeries.h"

#include "concentration/Calibration.h"

#include <algorithm>
#include <cmath>

namespace {

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
    std::string text = note;
    // Commas, not semicolons: the exported table separates its cells with those.
    const auto add = [&text](const char* words) { text += (text.empty() ? "" : ", ") + std::string(words); };
    if (row.Spectrum && !row.Spectrum->Sample.DarkSubtracted) add("ohne Dunkelabzug");
    if (row.Spectrum && RowEvaluation(*row.Spectrum).NoiseEstimated) add("Genauigkeit gesch\u00e4tzt");
    return text;
}

std::string ExclusionText(Exclusion reason, Reason why) {
    switch (reason) {
    case Exclusion::None:
        break;
    case Exclusion::NotMeasured:
        return "nicht gemessen";
    case Exclusion::NoValue:
        return ReasonText(why);
    case Exclusion::AboveLimit:
        return "A \u00fcber 1,5";
    case Exclusion::ByHand:
        return "von Hand herausgenommen";
    }
    return {};
}

std::optional<RowSpectrum> MeasuredRow(const MeasurementModes& measurement, int32_t exposure) {
    const std::optional<StoredSpectrum>& reference = measurement.Reference();
    // The slider may already stand elsewhere than the spectrum shown was measured at.
    const SpectrumConditions& shownUnder = measurement.Conditions();
    if (!reference || reference->Exposure != exposure || !shownUnder.Measured ||
        shownUnder.Exposure != exposure)
        return std::nullopt;
    RowSpectrum row{ShownEvidence(measurement), std::nullopt, EvidenceOf(*reference)};
    // The dark is kept whether or not it was taken off: the evaluation goes by the sample's word.
    if (measurement.Dark()) row.Dark = EvidenceOf(*measurement.Dark());
    return row;
}

Absorbance AbsorbanceOf(Outcome kind, Reason why, double value, double uncertainty) {
    Absorbance a;
    a.Why = why;
    if (kind == Outcome::Value) {
        a.Value = value;
        a.Uncertainty = uncertainty;
    } else if (kind == Outcome::Bound) {
        a.AtLeast = value;
    }
    return a;
}

std::string AbsorbanceText(const Absorbance& a) {
    if (a.Value) return UncertainText(*a.Value, a.Uncertainty);
    if (a.AtLeast) return "> " + DecimalText(*a.AtLeast, 3);
    return {};
}

Evaluation RowEvaluation(const RowSpectrum& spectrum) {
    return Evaluate(spectrum.Sample, spectrum.Dark ? &*spectrum.Dark : nullptr, &spectrum.Reference);
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

Absorbance BandAbsorbance(const Evaluation& evaluation, const WavelengthCalibration& calibration,
                          double fromNm, double toNm) {
    const auto [first, last] = BandChannels(calibration, fromNm, toNm);
    const BandResult band = ValueInBand(evaluation, first, last, Quantity::Absorbance);
    return AbsorbanceOf(band.Kind, band.Why, band.Value, band.Uncertainty);
}
