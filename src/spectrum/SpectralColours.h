#pragma once

#include "spectrum/SpectrumModel.h"

#include <cstdint>

// Red, green and blue bytes of one colour.
struct RgbBytes {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
};

// Colour the eye sees at `lambda` whole nm (black outside 380..780 nm); `brightness` below 1 darkens it,
// 1 or more gives full brightness.
RgbBytes WavelengthToRgb(int32_t lambda, double brightness);

// One colour byte from a component (0..1) and the intensity factor: Round(255 × (component × factor)^0.8),
// 0 for a component of 0; always within 0..255.
int32_t AdjustComponent(double component, double factor);

// The colour packed as red + 256 × green + 65536 × blue.
TColor PackColor(RgbBytes rgb);

// WavelengthToRgb packed into one colour value.
TColor WavelengthColor(int32_t lambda, double brightness);
