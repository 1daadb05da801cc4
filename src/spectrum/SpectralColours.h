// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <cstdint>

// Red, green and blue bytes of one colour.
struct RgbBytes {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
};

// The colour model at one whole-nm wavelength before the eye's response is applied.
struct SpectralComponents {
    double Red = 0; // parts of a piecewise-linear approximation of the visible spectrum, each 0..1
    double Green = 0;
    double Blue = 0;
    double Intensity = 0; // the eye's sensitivity, 0.3..1 within the visible range
};

// Components at `lambda` whole nm; all 0 outside 380..780 nm.
SpectralComponents ComponentsAt(int32_t lambda);

// Colour the eye sees at `lambda` whole nm (black outside 380..780 nm); `brightness` below 1 darkens it,
// 1 or more gives full brightness. Each byte is AdjustComponent(component, intensity × brightness below 1).
RgbBytes WavelengthToRgb(int32_t lambda, double brightness);

// One colour byte from a component (0..1) and the intensity factor: Round(255 × (component × factor)^0.8),
// 0 where that product is not above 0; always within 0..255.
int32_t AdjustComponent(double component, double factor);

// The colour packed as red + 256 × green + 65536 × blue.
TColor PackColor(RgbBytes rgb);

// WavelengthToRgb packed into one colour value.
TColor WavelengthColor(int32_t lambda, double brightness);
