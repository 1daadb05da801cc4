// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/Calibration.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

std::optional<LineFit> CalibrationFit(const std::vector<double>& c, const std::vector<double>& a,
                                      bool throughOrigin) {
    const FitOutcome<LineFit> fit = FitLine(c, a, throughOrigin);
    if (!fit.Ok()) return std::nullopt;
    return *fit;
}

namespace {

// Why a standard stays out of the line, before the teacher's choice.
Exclusion RuleReason(const SeriesRow& row, const Absorbance& a) {
    if (!row.Spectrum) return Exclusion::NotMeasured;
    if (!a.Value) return Exclusion::NoValue;
    if (*a.Value > HighestTrustedAbsorbance) return Exclusion::AboveLimit;
    return Exclusion::None;
}

Absorbance RowBand(const ConcentrationSeries& series, const SeriesRow& row) {
    if (!row.Spectrum) return {};
    return BandAbsorbance(RowEvaluation(*row.Spectrum), series.Calibration, series.Band.FromNm,
                          series.Band.ToNm);
}

} // namespace

CalibrationResult EvaluateSeries(const ConcentrationSeries& series) {
    CalibrationResult result;
    std::vector<double> c, a;
    for (size_t i = 0; i < series.Rows.size(); ++i) {
        const SeriesRow& row = series.Rows[i];
        if (row.Kind != RowKind::Standard) continue;
        StandardPoint point{i, row.Concentration, RowBand(series, row), Exclusion::None, std::nullopt};
        point.Reason = RuleReason(row, point.A);
        if (row.InLineByHand && point.A.Value)
            point.Reason = *row.InLineByHand ? Exclusion::None : Exclusion::ByHand;
        if (point.Reason == Exclusion::None) {
            c.push_back(point.Concentration);
            a.push_back(*point.A.Value);
        }
        result.Standards.push_back(point);
    }
    result.Line = CalibrationFit(c, a, series.Band.ThroughOrigin);
    if (result.Line)
        for (StandardPoint& point : result.Standards)
            if (point.A.Value)
                point.Residual =
                    *point.A.Value - (result.Line->Slope * point.Concentration + result.Line->Intercept);
    for (size_t i = 0; i < series.Rows.size(); ++i) {
        const SeriesRow& row = series.Rows[i];
        if (row.Kind != RowKind::Sample) continue;
        SampleResult sample{i, RowBand(series, row), std::nullopt, 0, {}};
        if (!row.Spectrum) {
            sample.Note = ExclusionText(Exclusion::NotMeasured);
        } else if (!sample.A.Value) {
            sample.Note = ExclusionText(Exclusion::NoValue, sample.A.Why);
        } else if (!result.Line) {
            sample.Note = "keine Kalibriergerade";
        } else {
            const FitOutcome<InversePrediction> read = PredictX(*result.Line, *sample.A.Value);
            // Through the origin the line is known down to c = 0.
            const double lowest = result.Line->ThroughOrigin ? 0 : result.Line->MinX;
            if (!read.Ok() || !(read->X >= lowest && read->X <= result.Line->MaxX)) {
                sample.Note = "au\u00dferhalb der Kalibrierung";
            } else {
                sample.Concentration = read->X * row.Dilution;
                sample.Uncertainty = read->Uncertainty * row.Dilution;
            }
        }
        result.Samples.push_back(sample);
    }
    return result;
}

std::string LineText(const LineFit& line, ConcentrationUnit unit) {
    return "Steigung " + UncertainText(line.Slope, line.SlopeError) + " " + SlopeUnitText(unit) +
           ", Achsenabschnitt " +
           (line.ThroughOrigin ? std::string("0 (fest)")
                               : UncertainText(line.Intercept, line.InterceptError)) +
           ", R\u00b2 " + DecimalText(line.RSquared, 4) + ", " + std::to_string(line.Count) + " Punkte";
}

std::string BandText(const EvaluationBand& band) {
    return "Band " + DecimalText(band.FromNm, 4) + "\u2013" + DecimalText(band.ToNm, 4) + " nm";
}

std::string UncertainText(double value, double uncertainty) {
    if (!(uncertainty > 1e-9 * std::fabs(value)) || !std::isfinite(uncertainty)) return DecimalText(value, 4);
    const int place = static_cast<int>(std::floor(std::log10(uncertainty)));
    const int valuePlace = value == 0 ? place : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    return DecimalText(value, std::max(1, valuePlace - place + 2)) + " \u00b1 " + DecimalText(uncertainty, 2);
}

std::string DecimalText(double value, int significant) {
    if (!std::isfinite(value) || std::fabs(value) > 1e15) return "\u2014";
    // What is left of a zero after rounding, such as the residual of a point exactly on the line.
    if (std::fabs(value) < 1e-15) value = 0;
    const int magnitude = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    const int decimals = std::max(0, significant - 1 - magnitude);
    const double scale = std::pow(10.0, decimals);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, std::nearbyint(value * scale) / scale);
    std::string result = text;
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}
