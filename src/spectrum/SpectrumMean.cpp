// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumMean.h"

#include <algorithm>
#include <cmath>

ChannelFlags SaturatedChannels(const ChannelReadings& measured) {
    ChannelFlags saturated;
    for (int c = 0; c < ChannelCount; ++c)
        saturated[size_t(c)] = measured[c] >= FullScaleDigits;
    return saturated;
}

void SpectrumMean::Restart(int capacity) {
    capacity_ = std::max(capacity, 1);
    count_ = 0;
    next_ = 0;
    values_.assign(size_t(capacity_), ChannelReadings{});
    saturated_.assign(size_t(capacity_), ChannelFlags{});
    sum_.fill(0);
    sumOfSquares_.fill(0);
}

void SpectrumMean::Add(const ChannelReadings& values, const ChannelFlags& saturated) {
    ChannelReadings& slot = values_[size_t(next_)];
    for (int c = 0; c < ChannelCount; ++c) {
        if (Full()) {
            sum_[c] -= slot[c];
            sumOfSquares_[c] -= int64_t(slot[c]) * slot[c];
        }
        sum_[c] += values[c];
        sumOfSquares_[c] += int64_t(values[c]) * values[c];
    }
    slot = values;
    saturated_[size_t(next_)] = saturated;
    next_ = (next_ + 1) % capacity_;
    if (!Full()) ++count_;
}

ChannelMeans SpectrumMean::Mean() const {
    ChannelMeans mean{};
    if (count_ == 0) return mean;
    for (int c = 0; c < ChannelCount; ++c)
        mean[c] = double(sum_[c]) / count_;
    return mean;
}

ChannelMeans SpectrumMean::Spread() const {
    ChannelMeans spread{};
    if (count_ < 2) return spread;
    for (int c = 0; c < ChannelCount; ++c) {
        // Sums of whole numbers: n·Σx² − (Σx)² is exact and never below 0.
        const double scatter = double(int64_t(count_) * sumOfSquares_[c] - sum_[c] * sum_[c]);
        spread[c] = std::sqrt(std::max(scatter, 0.0) / (double(count_) * (count_ - 1)));
    }
    return spread;
}

ChannelFlags SpectrumMean::Saturated() const {
    ChannelFlags any;
    for (int i = 0; i < count_; ++i)
        any |= saturated_[size_t(i)];
    return any;
}
