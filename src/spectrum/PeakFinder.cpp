// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/PeakFinder.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int MinPeakDistance = 5;
// Channels on either side of one that the mean of a band search takes in.
constexpr int BandReach = 2;

using Levels = std::array<int32_t, ChannelCount>;
using Gaps = std::bitset<ChannelCount>;

// A local maximum: the channels first..last share the top level, both neighbours lie lower.
struct Top {
    int First;
    int Last;
};

bool Inside(int c, const Gaps& gaps) {
    return c >= 0 && c < ChannelCount && !gaps[size_t(c)];
}

std::vector<Top> LocalMaxima(const Levels& levels, const Gaps& gaps) {
    std::vector<Top> tops;
    for (int i = 1; i < ChannelCount - 1; ++i) {
        if (!Inside(i, gaps) || !Inside(i - 1, gaps) || levels[i] <= levels[i - 1]) continue;
        int last = i;
        while (Inside(last + 1, gaps) && levels[last + 1] == levels[i])
            ++last;
        if (Inside(last + 1, gaps) && levels[last + 1] < levels[i]) tops.push_back({i, last});
        i = last;
    }
    return tops;
}

// The lowest level met walking from `start` in `step` direction until a level above `height`, a gap
// or the end.
int64_t Valley(const Levels& levels, const Gaps& gaps, int start, int step, int32_t height) {
    int64_t lowest = height;
    for (int c = start; Inside(c, gaps) && levels[c] <= height; c += step)
        lowest = std::min<int64_t>(lowest, levels[c]);
    return lowest;
}

// Each channel the mean of itself and its neighbours within reach, gaps left out.
Levels BandMeans(const Levels& levels, const Gaps& gaps) {
    Levels means{};
    for (int c = 0; c < ChannelCount; ++c) {
        if (gaps[size_t(c)]) continue;
        int64_t sum = 0;
        int count = 0;
        for (int n = c - BandReach; n <= c + BandReach; ++n)
            if (Inside(n, gaps)) {
                sum += levels[n];
                ++count;
            }
        means[c] = RoundHalfEven(double(sum) / count);
    }
    return means;
}

double ParabolaTop(const Levels& levels, const Top& top) {
    if (top.First != top.Last) return (top.First + top.Last) / 2.0;
    const double left = levels[top.First - 1];
    const double middle = levels[top.First];
    const double right = levels[top.First + 1];
    // Both neighbours lie lower, so the parabola opens downward and its vertex stays within half a channel.
    return top.First + 0.5 * (left - right) / (left - 2 * middle + right);
}

// The middle of a broad top: the channels around it above half its height over `base`, each weighted
// by how far it rises above that half, so that noise on a few channels moves it little.
double BandTop(const Levels& levels, const Gaps& gaps, const Top& top, int64_t base) {
    const double half = (levels[top.First] + double(base)) / 2;
    double weights = 0;
    double moments = 0;
    const auto add = [&](int c) {
        weights += levels[c] - half;
        moments += (levels[c] - half) * c;
    };
    for (int c = top.First; Inside(c, gaps) && levels[c] > half; --c)
        add(c);
    for (int c = top.First + 1; Inside(c, gaps) && levels[c] > half; ++c)
        add(c);
    return moments / weights;
}

} // namespace

std::vector<Peak> FindPeaks(const Levels& measured, const WavelengthCalibration& calibration,
                            int32_t fullScale, const PeakSearch& search) {
    const Gaps& gaps = search.NoValue;
    const Levels levels = search.Bands ? BandMeans(measured, gaps) : measured;
    const double threshold = 0.05 * fullScale;
    struct Candidate {
        Top Where;
        int64_t Base;
    };
    std::vector<Candidate> candidates;
    for (const Top& top : LocalMaxima(levels, gaps)) {
        const int32_t height = levels[top.First];
        const int64_t base = std::max(Valley(levels, gaps, top.First - 1, -1, height),
                                      Valley(levels, gaps, top.Last + 1, +1, height));
        if (height - base >= threshold) candidates.push_back({top, base});
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](const Candidate& a, const Candidate& b) {
        return levels[a.Where.First] > levels[b.Where.First];
    });

    std::vector<Peak> peaks;
    for (const Candidate& candidate : candidates) {
        const double channel = search.Bands ? BandTop(levels, gaps, candidate.Where, candidate.Base)
                                            : ParabolaTop(levels, candidate.Where);
        const bool crowded = std::any_of(peaks.begin(), peaks.end(), [&](const Peak& higher) {
            return std::abs(higher.Channel - channel) < MinPeakDistance;
        });
        if (crowded) continue;
        // The label stands above the highest channel as drawn, not above the mean.
        int32_t level = measured[candidate.Where.First];
        for (int c = candidate.Where.First - BandReach; search.Bands && c <= candidate.Where.Last + BandReach;
             ++c)
            if (Inside(c, gaps)) level = std::max(level, measured[c]);
        const int reach = search.Bands ? BandReach : 1;
        bool saturated = false;
        for (int c = candidate.Where.First - reach; c <= candidate.Where.Last + reach; ++c)
            saturated = saturated || (Inside(c, gaps) && search.Saturated[size_t(c)]);
        peaks.push_back({channel, level,
                         RoundHalfEven(channel * calibration.NmPerChannel + calibration.LambdaMin),
                         saturated});
        if (peaks.size() == MaxPeakCount) break;
    }
    return peaks;
}
