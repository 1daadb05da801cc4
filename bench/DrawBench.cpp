// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one full repaint of the main diagram and of the large diagram (bars, spectral colours, grid,
// marks, spectral lines and reference line on), against a floor of filling the same pictures once.
#include "BenchApplication.h"
#include "spectrum/DiagramPainter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// A fluorescent lamp: three phosphor bands and a mercury line over a weak continuum.
DiagramState LampState() {
    DiagramState state;
    for (int c = 0; c < ChannelCount; ++c) {
        const auto band = [c](double centre, double width, double height) {
            return height * std::exp(-std::pow((c - centre) / width, 2));
        };
        state.Values.Readings[c] = static_cast<int32_t>(30 + band(30, 2, 400) + band(75, 3, 900) +
                                                        band(100, 6, 250) + band(61, 1, 300));
    }
    ComputeLevels(state.Values, state.Calibration, 0, LevelOptions{});
    state.Options = {true, true, true, true, true};
    state.LinesShown = true;
    state.Lines = {405, 436, 546, 577, 579};
    state.ReferenceValue = 300;
    return state;
}

// The diagram, its colour strip and, for the main window, the miniature strip.
std::vector<QImage> Pictures(const DiagramGeometry& geometry, bool miniature) {
    std::vector<QImage> pictures{NewCanvasImage(geometry.Width, geometry.Height),
                                 NewCanvasImage(geometry.Width, geometry.StripHeight)};
    if (miniature) pictures.push_back(NewCanvasImage(MiniatureWidth, MiniatureHeight));
    return pictures;
}

void BM_Floor_FillPictures(benchmark::State& state, const DiagramGeometry& geometry, bool miniature) {
    std::vector<QImage> pictures = Pictures(geometry, miniature);
    for (auto _ : state) {
        for (QImage& picture : pictures)
            picture.fill(Qt::black);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_Floor_FillPictures, Main, MainDiagram, true);
BENCHMARK_CAPTURE(BM_Floor_FillPictures, Big, BigDiagram, false);

void BM_DrawDiagram(benchmark::State& state, const DiagramGeometry& geometry, bool miniature) {
    EnsureApplication();
    const DiagramState diagram = LampState();
    std::vector<QImage> pictures = Pictures(geometry, miniature);
    std::vector<TCanvas> canvases(pictures.begin(), pictures.end());
    for (auto _ : state) {
        if (miniature)
            benchmark::DoNotOptimize(DrawMainDiagram(diagram, canvases[0], canvases[1], canvases[2]));
        else
            benchmark::DoNotOptimize(DrawBigDiagram(diagram, canvases[0], canvases[1]));
    }
}
BENCHMARK_CAPTURE(BM_DrawDiagram, Main, MainDiagram, true);
BENCHMARK_CAPTURE(BM_DrawDiagram, Big, BigDiagram, false);

} // namespace
