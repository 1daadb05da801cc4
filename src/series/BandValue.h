// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evaluation/Evaluation.h"
#include "series/TimedSeries.h"

#include <optional>
#include <string>

// The quantities a time course or a calibration reads from a spectrum.
enum class SeriesQuantity {
    Absorbance,          // "Extinktion"
    TransmissionPercent, // "Transmission in %"
    Intensity,           // "Intensität in Digits"
};

// The value of a quantity in a band with its standard uncertainty, a bound, or no value and why.
struct BandValue {
    std::optional<double> Value; // the value, or a bound's limit; none for a gap
    double Uncertainty = 0;      // one σ; 0 for a bound or a gap
    // Value is only a bound: the sample's light is not resolved, so A is at least Value and T at most.
    bool Bound = false;
    std::string Reason;          // why a gap has no value, or a bound only a bound
    bool DarkSubtracted = false; // whether the dark was taken off the spectra it comes from
};

// A bound as it is written: "> 2,1" for an absorbance, "< 0,79" for a transmission, to two significant
// digits, as no more of it is known.
std::string BoundText(double value, SeriesQuantity quantity);

// Before the start: a German warning when points measured now, at `averaging`, would be too uncertain
// at `wavelength` ± halfWidth nm: at A = 1 no value, only a bound, or one less precise than
// ± PrecisionLimit; with the remedy that works, the averaging that would do or more light. Empty when
// they will do or there is no reference to judge by.
constexpr double PrecisionLimit = 0.05;
std::string PrecisionWarning(const Evidence* reference, const Evidence* dark, int averaging,
                             double wavelength, double halfWidth);

// Turns the spectra of a series into values through the one evaluation, against the series' dark and
// reference as they were measured.
class SeriesEvaluator {
public:
    explicit SeriesEvaluator(const TimedSeries& series) : series_(series) {}

    // The evidence of one point of the time course: the unrounded mean of `count` spectra from `first`
    // that share the first one's exposure and dark subtraction, their spread, count and saturation.
    Evidence PointEvidence(const SeriesSpectrum* first, size_t count) const;
    // `quantity` of one point in the band of ± halfWidth nm around `wavelength`.
    BandValue PointValue(const SeriesPointSpectra& point, double wavelength, double halfWidth,
                         SeriesQuantity quantity) const;

private:
    const TimedSeries& series_;
};
