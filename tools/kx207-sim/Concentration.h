// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// A cuvette of a purple dye solution (a band at 525 nm with shoulders at 505 and 545 nm, as
// permanganate shows) in the beam. Its absorbance grows linearly with the concentration, A = ε·d · c;
// a share of stray light that reaches the sensor around the cuvette bends high absorbances as in a
// real instrument: the measured A = −log₁₀((T + s) / (1 + s)).
struct DyeCuvette {
    double concentration = 0; // mg/L; 0 is the blank
    double strayLight = 0;    // share of the light, 0.01 for 1 %
};

// ε·d per channel in L/mg: the true slope of A against c, the known answer of a calibration.
std::array<double, 128> DyeSlope();

// The absorbance the instrument measures for a true absorbance `absorbance` with stray light `strayLight`.
double MeasuredAbsorbance(double absorbance, double strayLight);

// The share of light (0 to 1) the sensor receives through the cuvette at each channel, compared with
// the lamp's light without a cuvette, stray light included.
std::array<double, 128> CuvetteTransmission(const DyeCuvette& cuvette);
