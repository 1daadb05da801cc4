// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evaluation/Evidence.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What a channel's evaluation came to.
enum class Outcome : uint8_t {
    Value, // a value with its standard uncertainty
    Bound, // the sample's light is not resolved: an upper bound of T, a lower one of A
    Gap,   // no value that means anything; the reason says why
};

// Why a channel has no value, or only a bound, or (for a value) what limits its precision. The same
// words stand in every window and file (ReasonText).
enum class Reason : uint8_t {
    None,
    LampNoise,          // the lamp's own flicker: "Lampenrauschen"
    WeakReference,      // the reference's light is not resolved above its noise
    TooMuchLight,       // the sample is brighter than the reference beyond its noise
    SaturatedDark,      // the dark spectrum was at full scale
    SaturatedReference, // the reference was at full scale
    SaturatedSample,    // the sample was at full scale in one of its spectra
    NoReference,        // no reference at the sample's exposure
    NoDark,             // the dark is to be subtracted, but none was taken at the sample's exposure
    Unresolved,         // a bound: the sample's light is not resolved above its noise
    OutsideRange,       // a band outside the wavelength axis
};

// The reason in the program's words, e.g. "Referenz zu schwach"; empty for None.
std::string ReasonText(Reason reason);
// What helps, e.g. "Mittelung erhöhen"; empty where nothing needs doing.
std::string RemedyText(Reason reason);

// One channel's result. Transmission in %, absorbance in absorbance units, intensity in Digits as
// shown (less the dark where it is subtracted); uncertainties are standard uncertainties (one σ).
struct ChannelResult {
    Outcome Kind = Outcome::Gap;
    // For a gap or a bound why; for a value what limits its precision (LampNoise or WeakReference).
    Reason Why = Reason::NoReference;
    double Transmission = 0; // a bound's upper bound
    double TransmissionU = 0;
    double Absorbance = 0; // a bound's lower bound
    double AbsorbanceU = 0;
    double Intensity = 0;
    double IntensityU = 0;
    bool IntensityValid = false; // false where the sample (or the dark taken off) was saturated
};

// The evaluation of one sample spectrum against its dark and reference.
struct Evaluation {
    std::array<ChannelResult, ChannelCount> Channels{};
    NoiseModel Noise;            // fitted over the reference (and the dark), or assumed
    bool NoiseEstimated = false; // the reference had no spread to fit: the lamp's noise is assumed
    bool DarkSubtracted = false;
    WavelengthCalibration Calibration;
};

// Standard deviations the light must stand above its noise to count as resolved.
constexpr double ResolvedSigmas = 3.0;
// How far above 100 % a transmission may lie, beyond its noise, before the light is too much: the slow
// drift of a lamp after its reference was taken.
constexpr double LampDriftPercent = 2.0;
// The lamp's noise as a share of the light, assumed where a reference carries no spread to fit.
constexpr double AssumedLampShare = 0.01;

// The noise of one spectrum, fitted over the spreads of the reference and (if given) the dark; the
// assumption above where neither carries a spread.
NoiseModel FitNoise(const Evidence& reference, const Evidence* dark, bool* estimated = nullptr);

// Evaluates `sample` against `dark` and `reference` (nullptr: none taken). The dark is taken off only
// where the sample says so and only at its own exposure; a reference belongs to its exposure alone.
// Per channel: T = (S − D) / (R − D), A = −log10 T, their uncertainties from the noise model through
// the three means and their counts; a bound where S − D is not resolved; a gap where the reference's
// light is not resolved, anything was saturated, or no reference or dark belongs to the sample.
Evaluation Evaluate(const Evidence& sample, const Evidence* dark, const Evidence* reference);

// The quantities a band is read in.
enum class Quantity { Transmission, Absorbance, Intensity };

// The value of a band: a value with its standard uncertainty, a bound, or a gap with its reason.
struct BandResult {
    Outcome Kind = Outcome::Gap;
    Reason Why = Reason::None; // as in ChannelResult
    double Value = 0;
    double Uncertainty = 0;
    int Channels = 0; // channels in the band
};

// The mean of `quantity` over channels `first` … `last`. Any gap makes the band a gap with that
// channel's reason; any bound (and no gap) a bound of the mean. Channels' noise is independent.
BandResult ValueInBand(const Evaluation& evaluation, int first, int last, Quantity quantity);
// The channels whose wavelength lies within ± `halfWidth` nm of `wavelength`, or the nearest alone when
// none does; nothing when the wavelength lies outside the axis.
std::optional<std::pair<int, int>> ChannelsAround(const WavelengthCalibration& calibration, double wavelength,
                                                  double halfWidth);
// ValueInBand over ChannelsAround; a gap OutsideRange where that gives nothing.
BandResult ValueAround(const Evaluation& evaluation, double wavelength, double halfWidth, Quantity quantity);
