// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

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

// Why a row gives no absorbance, or why a standard stays out of the line.
enum class Exclusion {
    None,
    NotMeasured,    // the row has no spectrum yet
    Saturated,      // the sample or the reference reached the converter's top
    TooLittleLight, // the reference is too weak there, or no light came through the sample
    AboveLimit,     // A above the highest absorbance the line is trusted for
    ByHand,         // the teacher took it out
};
// The reason as the table writes it: "nicht gemessen", "übersteuert", "zu wenig Licht", "A über 1,5",
// "von Hand herausgenommen"; empty for None.
std::string ExclusionText(Exclusion reason);

// Above this absorbance so little light comes through that stray light bends the line.
constexpr double HighestTrustedAbsorbance = 1.5;

// A row's whole spectrum as it was measured: the readings as shown (the dark spectrum already
// subtracted when `Dark` is set), the exposure, the dark spectrum subtracted and the reference spectrum
// (as measured, nothing subtracted) in force then.
struct RowSpectrum {
    ChannelReadings Shown{};
    int32_t Exposure = 0;
    std::optional<ChannelReadings> Dark;
    ChannelReadings Reference{};
};

// The spectrum shown now as a row keeps it, with the dark and reference spectra in force; none
// unless both the reference and the shown spectrum were taken at `exposure`, since then there is no
// absorbance to keep.
std::optional<RowSpectrum> MeasuredRow(const MeasurementModes& measurement, const ChannelReadings& shown,
                                       int32_t exposure);

// An absorbance, or the reason there is none.
struct Absorbance {
    std::optional<double> Value;
    Exclusion Reason = Exclusion::None;
};

// A = −log₁₀((S − D) / (R − D)) per channel with the reason where there is none: saturated where the
// sample's or the reference's reading reached 1023, too little light where R − D is below 5 % of its
// largest channel or below 10 Digits, or where no light came through the sample.
std::array<Absorbance, ChannelCount> RowAbsorbances(const RowSpectrum& spectrum);

// The mean absorbance over the channels whose wavelength lies within [fromNm, toNm] (at least the
// channel nearest to their middle); no value, with the first channel's reason, when one of them has none.
Absorbance BandAbsorbance(const std::array<Absorbance, ChannelCount>& absorbances,
                          const WavelengthCalibration& calibration, double fromNm, double toNm);
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

// A row's note as the table shows it: `note` (its exclusion or the sample's remark), and "ohne
// Dunkelabzug" where its spectrum was measured without the dark subtracted, since its absorbance then
// falls short, the more the darker the solution.
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
