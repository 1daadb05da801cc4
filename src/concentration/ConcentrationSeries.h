// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evaluation/EvaluatedMeasurement.h"
#include "spectrum/MeasurementModes.h"
#include "spectrum/SpectrumModel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The one unit of all concentrations of a series.
enum class ConcentrationUnit {
    MolPerLitre,
    MillimolPerLitre,
    MicromolPerLitre,
    MilligramPerLitre,
    GramPerLitre
};
constexpr std::array<ConcentrationUnit, 5> ConcentrationUnits{
    ConcentrationUnit::MolPerLitre, ConcentrationUnit::MillimolPerLitre, ConcentrationUnit::MicromolPerLitre,
    ConcentrationUnit::MilligramPerLitre, ConcentrationUnit::GramPerLitre};
// "mol/L", "mmol/L", "µmol/L", "mg/L", "g/L" (UTF-8).
std::string UnitText(ConcentrationUnit unit);
// The unit of the slope A per concentration: "L/mol", "L/mmol", "L/µmol", "L/mg", "L/g".
std::string SlopeUnitText(ConcentrationUnit unit);

// Why a standard stays out of the line.
enum class Exclusion {
    None,
    NotMeasured, // the row has no spectrum yet
    NoValue,     // its absorbance is a gap or only a bound; the evaluation says why
    AboveLimit,  // A above the highest absorbance the line is trusted for
    ByHand,      // the teacher took it out
};
// The reason as the table writes it: "nicht gemessen", the evaluation's words for `why` (e.g.
// "übersteuert", "Licht der Probe nicht aufgelöst"), "A über 1,5", "von Hand herausgenommen"; empty
// for None.
std::string ExclusionText(Exclusion reason, Reason why = Reason::None);

// Above this absorbance so little light comes through that stray light bends the line.
constexpr double HighestTrustedAbsorbance = 1.5;

// A row's spectra as they were measured: the sample's evidence (whether the dark was taken off it
// is its own), the dark spectrum kept then, subtracted or not, and the reference.
struct RowSpectrum {
    Evidence Sample;
    std::optional<Evidence> Dark;
    Evidence Reference;
};

// The spectrum shown now as a row keeps it, with the dark and reference spectra in force; none
// unless both the reference and the shown spectrum were taken at `exposure`, since then there is no
// absorbance to keep.
std::optional<RowSpectrum> MeasuredRow(const MeasurementModes& measurement, int32_t exposure);

// An absorbance: a value with its standard uncertainty, a lower bound (`AtLeast`), or neither with
// the evaluation's reason.
struct Absorbance {
    std::optional<double> Value;
    double Uncertainty = 0;
    std::optional<double> AtLeast;
    Reason Why = Reason::None;
};
Absorbance AbsorbanceOf(Outcome kind, Reason why, double value, double uncertainty);
// "0,512 ± 0,003", a bound "> 2,14", empty for a gap.
std::string AbsorbanceText(const Absorbance& a);

// The row's spectra through the one evaluation.
Evaluation RowEvaluation(const RowSpectrum& spectrum);

// The mean absorbance over the channels whose wavelength lies within [fromNm, toNm] (at least the
// channel nearest to their middle), as the evaluation gives a band's value.
Absorbance BandAbsorbance(const Evaluation& evaluation, const WavelengthCalibration& calibration,
                          double fromNm, double toNm);
// The channels BandAbsorbance averages: first and last.
std::pair<int, int> BandChannels(const WavelengthCalibration& calibration, double fromNm, double toNm);

enum class RowKind { Standard, Sample };

// One line of the table: a standard of known concentration or a sample ("Probe") of unknown
// concentration, diluted `Dilution` times before it was measured.
struct SeriesRow {
    RowKind Kind = RowKind::Standard;
    std::string Name; // UTF-8
    double Concentration = 0;
    double Dilution = 1;
    std::optional<RowSpectrum> Spectrum;
    // The teacher's choice for the line; none leaves it to the exclusion rules.
    std::optional<bool> InLineByHand;
};

// A row's note as the table shows it: `note` (its exclusion or the sample's remark), "ohne
// Dunkelabzug" where its spectrum was measured without the dark subtracted, since its absorbance then
// falls short, the more the darker the solution, and "Genauigkeit geschätzt" where its reference
// and dark carry no spread to fit the noise to (such as rows of files that kept whole Digits only).
std::string RowNote(const SeriesRow& row, const std::string& note);

// How the series is evaluated: the band in nm and whether the line goes through the origin.
struct EvaluationBand {
    double FromNm = 520;
    double ToNm = 530;
    bool ThroughOrigin = true;
};

// The whole series: unit, the wavelength axis the spectra were measured on, the evaluation and the rows.
struct ConcentrationSeries {
    ConcentrationUnit Unit = ConcentrationUnit::MilligramPerLitre;
    WavelengthCalibration Calibration;
    EvaluationBand Band;
    std::vector<SeriesRow> Rows;
};
