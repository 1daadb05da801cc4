// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the level computation that opens every redraw, against a floor of copying the readings.
#include "spectrum/SpectrumModel.h"

#include <benchmark/benchmark.h>

namespace {

SpectrumValues SampleSpectrum() {
    SpectrumValues values;
    for (int c = 0; c < ChannelCount; ++c)
        values.Readings[c] = (c * 37) % 1024;
    return values;
}

void BM_Floor_CopyReadings(benchmark::State& state) {
    const SpectrumValues source = SampleSpectrum();
    SpectrumValues target;
    for (auto _ : state) {
        target.Levels = source.Readings;
        benchmark::DoNotOptimize(target);
    }
}
BENCHMARK(BM_Floor_CopyReadings);

void BM_ComputeLevels(benchmark::State& state) {
    SpectrumValues values = SampleSpectrum();
    WavelengthCalibration calibration;
    const LevelOptions options{state.range(0) != 0, true, 3};
    for (auto _ : state) {
        ComputeLevels(values, calibration, 10, options);
        benchmark::DoNotOptimize(values);
    }
}
BENCHMARK(BM_ComputeLevels)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
