// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/ConcentrationSeries.h"
#include "series/LineFit.h"

#include <optional>
#include <string>
#include <vector>

// A standard as the line sees it: its absorbance in the band, why it stays out of the line (None when
// it is in), and its residual A − line(c) when there is a line and it has a value.
struct StandardPoint {
    size_t Row = 0;
    double Concentration = 0;
    Absorbance A;
    Exclusion Reason = Exclusion::None;
    std::optional<double> Residual;
};

// A sample's concentration from the line, times its dilution, with its standard uncertainty from the
// fit; none, with the reason in words, when its absorbance has none, there is no line, or it lies
// outside the standards' range ("außerhalb der Kalibrierung").
struct SampleResult {
    size_t Row = 0;
    Absorbance A;
    std::optional<double> Concentration;
    double Uncertainty = 0;
    std::string Note;
};

struct CalibrationResult {
    std::vector<StandardPoint> Standards;
    std::optional<LineFit> Line; // none below two standards in the line (three with intercept)
    std::vector<SampleResult> Samples;
};

// Evaluates the series in its band: each standard's absorbance and whether it is in the line (not
// measured, no value or only a bound, A above 1.5 or taken out by hand keep it out; the teacher's
// choice brings a point with a value back in), the line, the residuals and the samples' concentrations.
// The line is not weighted by the standards' uncertainties: how they scatter about it, their making
// included, is what an unknown read from it must carry; those uncertainties judge its bend instead.
CalibrationResult EvaluateSeries(const ConcentrationSeries& series);

// The least-squares line of `a` against `c`, through the origin or with intercept; none when the
// points cannot carry it (too few, or all at one concentration).
std::optional<LineFit> CalibrationFit(const std::vector<double>& c, const std::vector<double>& a,
                                      bool throughOrigin);

// The line in words: "Steigung 0,02945 ± 0,00035 L/mg, Achsenabschnitt 0 (fest), R² 0,9972, 4 Punkte".
std::string LineText(const LineFit& line, ConcentrationUnit unit);
// The band in words: "Band 520–530 nm".
std::string BandText(const EvaluationBand& band);

// A value and its standard uncertainty, the uncertainty to two significant digits and the value to the
// same place: "30,05 ± 0,21"; the value alone to four significant digits when the uncertainty is none.
std::string UncertainText(double value, double uncertainty);

// A number as the concentration window writes it: decimal comma, `significant` significant digits
// (at least none after the comma), halves to even; "2400", "0,0125"; "—" for a number too large, too
// small or not finite.
std::string DecimalText(double value, int significant);
