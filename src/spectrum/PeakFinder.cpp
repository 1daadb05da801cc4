// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/PeakFinder.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int MinPeakDistance = 5;

// A local maximum: the channels first..last share the top level, both neighbours lie lower.
struct Top {
    int First;
    int Last;
};

std::vector<Top> LocalMaxima(const std::array<int32_t, ChannelCount>& levels) {
    std::vector<Top> tops;
    for (int i = 1; i < ChannelCount - 1; ++i) {
        if (levels[i] <= levels[i - 1]) continue;
        int last = i;
        while (last + 1 < ChannelCount && levels[last + 1] == levels[i])
            ++last;
        if (last + 1 < ChannelCount && levels[last + 1] < levels[i]) tops.push_back({i, last});
        i = last;
    }
    return tops;
}

// The lowest level met walking from `start` in `step` direction until a level above `height` or the end.
int64_t Valley(const std::array<int32_t, ChannelCount>& levels, int start, int step, int32_t height) {
    int64_t lowest = height;
    for (int c = start; c >= 0 && c < ChannelCount && levels[c] <= height; c += step)
        lowest = std::min<int64_t>(lowest, levels[c]);
    return lowest;
}

double TopPosition(const std::array<int32_t, ChannelCount>& levels, const Top& top) {
    if (top.First != top.Last) return (top.First + top.Last) / 2.0;
    const double left = levels[top.First - 1];
    const double middle = levels[top.First];
    const double right = levels[top.First + 1];
    // Both neighbours lie lower, so the parabola opens downward and its vertex stays within half a channel.
    return top.First + 0.5 * (left - right) / (left - 2 * middle + right);
}

} // namespace

std::vector<Peak> FindPeaks(const std::array<int32_t, ChannelCount>& levels,
                            const WavelengthCalibration& calibration, int32_t fullScale) {
    const double threshold = 0.05 * fullScale;
    std::vector<Top> candidates;
    for (const Top& top : LocalMaxima(levels)) {
        const int32_t height = levels[top.First];
        const int64_t base =
            std::max(Valley(levels, top.First - 1, -1, height), Valley(levels, top.Last + 1, +1, height));
        if (height - base >= threshold) candidates.push_back(top);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const Top& a, const Top& b) { return levels[a.First] > levels[b.First]; });

    std::vector<Peak> peaks;
    for (const Top& top : candidates) {
        const double channel = TopPosition(levels, top);
        const bool crowded = std::any_of(peaks.begin(), peaks.end(), [&](const Peak& higher) {
            return std::abs(higher.Channel - channel) < MinPeakDistance;
        });
        if (crowded) continue;
        peaks.push_back({channel, levels[top.First],
                         RoundHalfEven(channel * calibration.NmPerChannel + calibration.LambdaMin)});
        if (peaks.size() == MaxPeakCount) break;
    }
    return peaks;
}
