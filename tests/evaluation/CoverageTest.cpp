// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/Evaluation.h"
#include "kx207-sim/LampSpectrum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>

namespace {

// The evidence of `count` spectra of `scene` at `exposure`, as the simulated sensor reads them.
Evidence Measure(const Scene& scene, int exposure, int count, std::mt19937& random, bool darkSubtracted) {
    SpectrumMean mean(count);
    for (int i = 0; i < count; ++i) {
        const Readings readings = SceneReadings(scene, exposure, random);
        ChannelReadings values;
        std::copy(readings.begin(), readings.end(), values.begin());
        mean.Add(values, SaturatedChannels(values));
    }
    Evidence evidence;
    evidence.Mean = mean.Mean();
    evidence.Spread = mean.Spread();
    evidence.Count = count;
    evidence.Saturated = mean.Saturated();
    evidence.Exposure = exposure;
    evidence.DarkSubtracted = darkSubtracted;
    return evidence;
}

struct Coverage {
    int Values = 0;
    int WithinT = 0; // within two standard uncertainties of the truth in T
    int WithinA = 0; // the same in A
    int Bounds = 0;
    int BoundsHeld = 0; // bounds on the right side of the truth
};

} // namespace

// Shown values are honest: against the simulator's known filter curves, with its lamps, a dark signal
// and a noisy lamp, at averaging 1 and 16, at least 95 % of them lie within two of their stated
// uncertainties of the truth, and the bounds (at three) lie on the side of the truth they claim.
TEST(EvaluationCoverage, NinetyFivePercentOfValuesLieWithinTwoUncertaintiesOfTheTruth) {
    for (int averaging : {1, 16}) {
        Coverage coverage;
        std::mt19937 random(207 + averaging);
        for (Lamp lamp : {Lamp::White, Lamp::Led, Lamp::Mercury})
            for (double flicker : {0.005, 0.02})
                for (int exposure : {20, 45})
                    for (Filter filter : {Filter::RedDye, Filter::GreenGlass, Filter::NeutralDensity}) {
                        Scene scene{lamp};
                        scene.darkCurrent = 30;
                        scene.flicker = flicker;
                        Scene blocked = scene;
                        blocked.blocked = true;
                        const Evidence dark = Measure(blocked, exposure, 8, random, false);
                        const Evidence reference = Measure(scene, exposure, 8, random, false);
                        scene.filter = filter;
                        const Evaluation evaluation =
                            Evaluate(Measure(scene, exposure, averaging, random, true), &dark, &reference);
                        const std::array<double, 128> truth = FilterCurve(filter);
                        for (int c = 0; c < ChannelCount; ++c) {
                            const ChannelResult& channel = evaluation.Channels[c];
                            const double t = 100 * truth[size_t(c)];
                            if (channel.Kind == Outcome::Bound) {
                                ++coverage.Bounds;
                                coverage.BoundsHeld += channel.Transmission >= t;
                            }
                            if (channel.Kind != Outcome::Value) continue;
                            ++coverage.Values;
                            coverage.WithinT +=
                                std::abs(channel.Transmission - t) <= 2 * channel.TransmissionU;
                            coverage.WithinA +=
                                std::abs(channel.Absorbance + std::log10(t / 100)) <= 2 * channel.AbsorbanceU;
                        }
                    }
        SCOPED_TRACE("averaging " + std::to_string(averaging));
        ASSERT_GT(coverage.Values, 3000);
        EXPECT_GE(coverage.WithinT, 0.95 * coverage.Values) << coverage.WithinT << " of " << coverage.Values;
        EXPECT_GE(coverage.WithinA, 0.95 * coverage.Values) << coverage.WithinA << " of " << coverage.Values;
        EXPECT_GE(coverage.BoundsHeld, 0.99 * coverage.Bounds)
            << coverage.BoundsHeld << " of " << coverage.Bounds;
        std::printf("averaging %d: T %d, A %d of %d values within 2 u; %d of %d bounds hold\n", averaging,
                    coverage.WithinT, coverage.WithinA, coverage.Values, coverage.BoundsHeld,
                    coverage.Bounds);
    }
}
