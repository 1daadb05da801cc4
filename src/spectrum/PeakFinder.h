// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <array>
#include <cstdint>
#include <vector>

// A peak of the levels: where its top lies and what it is called.
struct Peak {
    double Channel;     // position of the top, between channels where the parabola puts it
    int32_t Level;      // level of the highest channel of the peak
    int32_t Wavelength; // whole nm of Channel under the calibration
};

// At most this many peaks are named.
constexpr size_t MaxPeakCount = 8;

// The peaks of `levels`, highest first (the lower channel first among equals), at most MaxPeakCount.
// A peak is a local maximum (a flat top counts once) inside the range — a rise that ends at channel 0
// or 127 may go on beyond it and is none — that stands out from the higher of the valleys on either
// side, before higher ground, by at least 5 % of `fullScale`, and lies at least 5 channels from every
// higher peak. Its top is the vertex of the parabola through the three channels around it (the middle
// of a flat top), its wavelength that position under `calibration`, rounded half to even.
std::vector<Peak> FindPeaks(const std::array<int32_t, ChannelCount>& levels,
                            const WavelengthCalibration& calibration, int32_t fullScale);
