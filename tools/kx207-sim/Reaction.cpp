// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/Reaction.h"

#include "kx207-sim/LampSpectrum.h"

#include <cmath>

double Reaction::AbsorbanceAt(double seconds) const {
    const double minutes = seconds * options_.timeFactor / 60;
    return options_.end + (options_.start - options_.end) * std::exp(-options_.ratePerMinute * minutes);
}

std::array<double, 128> Reaction::Transmission(Clock::time_point now) const {
    std::array<double, 128> transmission;
    transmission.fill(1);
    if (!started_) return transmission;
    const double centre = AbsorbanceAt(std::chrono::duration<double>(now - *started_).count());
    for (int channel = 0; channel < 128; ++channel) {
        const double band = std::exp(-std::pow((SensorWavelength(channel) - BandCentre) / BandWidth, 2));
        transmission[channel] = std::pow(10.0, -centre * band);
    }
    return transmission;
}
