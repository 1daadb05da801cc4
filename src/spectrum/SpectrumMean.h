// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <vector>

// The sensor's converter reads at most this many Digits; a channel there measured no number.
constexpr int32_t FullScaleDigits = 1023;

using ChannelReadings = std::array<int32_t, ChannelCount>;
using ChannelMeans = std::array<double, ChannelCount>;
using ChannelFlags = std::bitset<ChannelCount>;

// The channels at or above full scale in one measured spectrum, as the sensor read it.
ChannelFlags SaturatedChannels(const ChannelReadings& measured);

// The mean of the last Capacity() spectra added, unrounded, with the spread of a single one per channel
// and the channels saturated in any of them. Plain arithmetic over whole Digits, so sums stay exact.
class SpectrumMean {
public:
    explicit SpectrumMean(int capacity = 1) { Restart(capacity); }

    // Empties the mean and lets it hold up to `capacity` (at least 1) spectra from now on.
    void Restart(int capacity);
    // Adds `values` (perhaps less a dark spectrum, so below 0 too) whose measured spectrum was saturated
    // at `saturated`; once full, the oldest spectrum leaves.
    void Add(const ChannelReadings& values, const ChannelFlags& saturated);

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Full() const { return count_ == capacity_; }
    // The mean per channel; 0 while empty.
    ChannelMeans Mean() const;
    // The standard deviation of a single spectrum per channel, from the spread of those in the mean;
    // 0 with fewer than two.
    ChannelMeans Spread() const;
    // The channels saturated in any spectrum of the mean.
    ChannelFlags Saturated() const;

private:
    int capacity_ = 1;
    int count_ = 0;
    int next_ = 0;
    std::vector<ChannelReadings> values_;
    std::vector<ChannelFlags> saturated_;
    std::array<int64_t, ChannelCount> sum_{};
    std::array<int64_t, ChannelCount> sumOfSquares_{};
};

// The noise of one measured spectrum as the sensor shows it: a floor in Digits plus a share of the
// reading, as a lamp's flicker grows with its light.
struct NoiseModel {
    double Floor = 2.0; // Digits; also the least assumed, the converter's own scatter
    double Share = 0.0;
    // The standard deviation of a single reading of `digits`.
    double At(double digits) const { return Floor + Share * std::max(digits, 0.0); }
};
