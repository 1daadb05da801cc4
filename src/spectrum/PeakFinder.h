// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

// A peak of the levels: where its top lies and what it is called.
struct Peak {
    double Channel;         // position of the top, between channels
    int32_t Level;          // level of the highest channel of the peak
    int32_t Wavelength;     // whole nm of Channel under the calibration
    bool Saturated = false; // a channel its top is found from was at full scale: Wavelength is untrustworthy
};

// At most this many peaks are named.
constexpr size_t MaxPeakCount = 8;

// What the levels searched are besides their numbers.
struct PeakSearch {
    // Channels without a value: a gap ends the levels as the ends of the range do.
    std::bitset<ChannelCount> NoValue;
    // The levels are a transmission or absorbance, whose bands span many channels and whose weak
    // channels are noisy: the peaks are sought on the mean of each five neighbours, and a top's place
    // is the middle of its upper half.
    bool Bands = false;
    // Channels at full scale: a top found from any of them, or from its neighbours, is clipped.
    std::bitset<ChannelCount> Saturated;
};

// The peaks of `levels`, highest first (the lower channel first among equals), at most MaxPeakCount.
// A peak is a local maximum (a flat top counts once) inside the range — a rise that ends at channel 0
// or 127, or at a channel without a value, may go on beyond it and is none — that stands out from the
// higher of the valleys on either side, before higher ground, by at least 5 % of `fullScale`, and lies
// at least 5 channels from every higher peak. Its top is the vertex of the parabola through the three
// channels around it (the middle of a flat top), or for bands the weighted middle of the channels in
// its upper half; its wavelength is that position under `calibration`, rounded half to even.
std::vector<Peak> FindPeaks(const std::array<int32_t, ChannelCount>& levels,
                            const WavelengthCalibration& calibration, int32_t fullScale,
                            const PeakSearch& search = {});
