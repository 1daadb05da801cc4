// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "series/TimedSeries.h"
#include "spectrum/MeasurementModes.h"

#include <bitset>
#include <optional>
#include <string>

// The quantities a time course or a calibration reads from a spectrum.
enum class SeriesQuantity {
    Absorbance,          // "Extinktion"
    TransmissionPercent, // "Transmission in %"
    Intensity,           // "Intensität in Digits"
};

// The value of a quantity in a band, or no value and why (e.g. "übersteuert").
struct BandValue {
    std::optional<double> Value;
    // Value is only a bound: the sample's light is not resolved, so A is at least Value and T at most.
    bool Bound = false;
    std::string Reason;
};

// A bound as it is written: "> 2,1" for an absorbance, "< 0,79" for a transmission, to two significant
// digits, as no more of it is known.
std::string BoundText(double value, SeriesQuantity quantity);

// The highest reading the sensor gives: a channel there is saturated and its light unknown.
constexpr int32_t SaturatedReading = 1023;

// The per-channel values of one spectrum in every quantity, with what makes a channel lack a value.
struct SpectrumQuantities {
    ChannelValues Intensity{};    // Digits as shown (dark subtracted where it was)
    ChannelValues Transmission{}; // %
    ChannelValues Absorbance{};
    ChannelVerdicts Verdicts{}; // which transmissions and absorbances are bounds
    std::bitset<ChannelCount> Saturated;
    bool ReferenceValid = false;    // a reference valid at the spectrum's exposure
    int32_t ReferenceExposure = -1; // the reference's exposure, −1 without one
};

// The mean of `quantity` over the channels whose wavelength lies within ± halfWidth nm of `wavelength`
// (the nearest channel alone when the band holds none). Any channel in the band saturated or without
// a value makes the whole band have none, with the reason in German; a bound in any (and no gap) makes
// the mean a bound.
BandValue ValueInBand(const SpectrumQuantities& values, const WavelengthCalibration& calibration,
                      double wavelength, double halfWidth, SeriesQuantity quantity);

// Turns the spectra of a series into values, with the series' dark and reference spectra as the
// measurement functions use them.
class SeriesEvaluator {
public:
    explicit SeriesEvaluator(const TimedSeries& series);

    // The values of the mean of `count` spectra from `first` (one point of the time course), measured
    // at the exposure of the first.
    SpectrumQuantities Evaluate(const SeriesSpectrum* first, size_t count);
    // ValueInBand of one point.
    BandValue PointValue(const SeriesPointSpectra& point, double wavelength, double halfWidth,
                         SeriesQuantity quantity);

private:
    const TimedSeries& series_;
    MeasurementModes modes_;
};
