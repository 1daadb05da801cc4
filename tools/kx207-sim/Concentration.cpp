// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/Concentration.h"

#include "kx207-sim/LampSpectrum.h"

#include <algorithm>
#include <cmath>

namespace {

// The largest ε·d, at the band's centre: 120 mg/L give an absorbance of 1.5.
constexpr double PeakSlope = 0.0125;

double Gauss(double nm, double centre, double width) {
    const double x = (nm - centre) / width;
    return std::exp(-0.5 * x * x);
}

double BandShape(double nm) {
    return 0.72 * Gauss(nm, 505.0, 10.0) + Gauss(nm, 526.0, 11.0) + 0.62 * Gauss(nm, 546.0, 9.0);
}

} // namespace

std::array<double, 128> DyeSlope() {
    std::array<double, 128> slope{};
    double peak = 0;
    for (int channel = 0; channel < 128; ++channel) {
        slope[channel] = BandShape(SensorWavelength(channel));
        peak = std::max(peak, slope[channel]);
    }
    for (double& value : slope)
        value *= PeakSlope / peak;
    return slope;
}

double MeasuredAbsorbance(double absorbance, double strayLight) {
    return -std::log10((std::pow(10.0, -absorbance) + strayLight) / (1.0 + strayLight));
}

std::array<double, 128> CuvetteTransmission(const DyeCuvette& cuvette) {
    const std::array<double, 128> slope = DyeSlope();
    std::array<double, 128> transmission{};
    for (int channel = 0; channel < 128; ++channel)
        transmission[channel] =
            std::pow(10.0, -MeasuredAbsorbance(slope[channel] * cuvette.concentration, cuvette.strayLight));
    return transmission;
}
