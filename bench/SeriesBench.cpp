// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of an hour's series at 0.5 s (7 200 points) in the time course: the chart's redraw with three
// curves, adding one point and the first-order fit, each to be read against the main diagram's
// repaint (BM_DrawDiagram/Main of the same run); and the memory the series' spectra take.
#include "BenchApplication.h"
#include "chart/Chart.h"
#include "series/KineticFit.h"
#include "series/TimedSeries.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

constexpr int Points = 7200;
constexpr double Interval = 0.5;

// Crystal violet fading at three wavelengths, with lamp noise.
struct Course {
    std::vector<double> T;
    std::vector<std::vector<double>> A;
};

const Course& Reaction() {
    static const Course course = [] {
        Course made;
        std::mt19937 random(28);
        std::normal_distribution<double> noise(0, 0.004);
        made.A.resize(3);
        for (int i = 0; i < Points; ++i) {
            const double t = i * Interval;
            made.T.push_back(t);
            for (int w = 0; w < 3; ++w)
                made.A[size_t(w)].push_back((1.2 - 0.3 * w) * (0.05 + 0.95 * std::exp(-0.28 / 60 * t)) +
                                            noise(random));
        }
        return made;
    }();
    return course;
}

ChartContent Content(const std::vector<ColumnEnvelope>& envelopes) {
    ChartContent content;
    content.X = {QStringLiteral("Zeit in s"), 0, Points * Interval};
    content.Y = {QStringLiteral("Extinktion"), 0, 1.4};
    const TColor colours[] = {clYellow, 0x00FFFF00, 0x00FF00FF};
    for (size_t w = 0; w < envelopes.size(); ++w)
        content.Traces.push_back(
            {QStringLiteral("%1 nm").arg(590 + 20 * int(w)), colours[w], false, &envelopes[w], {}, {}});
    return content;
}

void BM_ChartRedrawThreeCurves(benchmark::State& state) {
    EnsureApplication();
    const Course& course = Reaction();
    QImage picture = NewCanvasImage(640, 400);
    TCanvas canvas(picture);
    std::vector<ColumnEnvelope> envelopes(3);
    const ChartContent content = Content(envelopes);
    for (auto _ : state) {
        const ChartFrame frame(canvas, content.X, content.Y);
        for (size_t w = 0; w < 3; ++w) {
            frame.ResetEnvelope(envelopes[w]);
            for (int i = 0; i < Points; ++i)
                envelopes[w].Add(course.T[size_t(i)], course.A[w][size_t(i)]);
        }
        benchmark::DoNotOptimize(DrawChart(canvas, content));
    }
}
BENCHMARK(BM_ChartRedrawThreeCurves);

void BM_ChartAddOnePoint(benchmark::State& state) {
    EnsureApplication();
    const Course& course = Reaction();
    QImage picture = NewCanvasImage(640, 400);
    TCanvas canvas(picture);
    std::vector<ColumnEnvelope> envelopes(3);
    const ChartContent content = Content(envelopes);
    const ChartFrame frame(canvas, content.X, content.Y);
    for (size_t w = 0; w < 3; ++w) {
        frame.ResetEnvelope(envelopes[w]);
        for (int i = 0; i < Points - 1; ++i)
            envelopes[w].Add(course.T[size_t(i)], course.A[w][size_t(i)]);
    }
    for (auto _ : state) {
        for (size_t w = 0; w < 3; ++w)
            envelopes[w].Add(course.T.back(), course.A[w].back());
        benchmark::DoNotOptimize(DrawChart(canvas, content));
    }
}
BENCHMARK(BM_ChartAddOnePoint);

void BM_FirstOrderFit(benchmark::State& state) {
    const Course& course = Reaction();
    const KineticFitRequest request{ReactionOrder::First, true, 0, Points * Interval};
    for (auto _ : state)
        benchmark::DoNotOptimize(FitKinetics(course.T, course.A[0], request));
}
BENCHMARK(BM_FirstOrderFit);

// Not a time: the bytes an hour at 0.5 s keeps of its spectra, as a counter.
void BM_SeriesMemoryPerHour(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(sizeof(SeriesSpectrum));
    state.counters["BytesPerSpectrum"] = double(sizeof(SeriesSpectrum));
    state.counters["MBPerHour"] = double(sizeof(SeriesSpectrum)) * Points / 1e6;
}
BENCHMARK(BM_SeriesMemoryPerHour);

} // namespace
