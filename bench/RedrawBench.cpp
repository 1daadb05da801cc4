// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the main window's redraw, DrawSpectrum of the real windows, with a fluorescent lamp as the
// instrument sees it and the display as the program starts (bars, spectral colours, grid, maximum mark):
// with the main window alone and with the large window shown; and beside it the arithmetic the
// measurement functions add to a cycle. The floors, measured in the same run, fill
// the pictures that redraw paints once: the main window's three, and those and the large window's two.
#include "ProbeWindows.h"
#include "app/MainFrm.h"
#include "bigview/BigDlg.h"
#include "evaluation/EvaluatedMeasurement.h"
#include "kx207-sim/LampSpectrum.h"
#include "ui/Application.h"
#include "ui/ImageView.h"

#include <QCheckBox>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

std::vector<QImage*> RedrawnPictures(bool bigShown) {
    std::vector<QImage*> pictures{&MainForm->Image->Picture(), &MainForm->Spektral_Image->Picture(),
                                  &MainForm->Image2->Picture()};
    if (bigShown) {
        pictures.push_back(&BigForm->Image->Picture());
        pictures.push_back(&BigForm->Spektral_Image->Picture());
    }
    return pictures;
}

void ShowBig(bool shown) {
    if (MainForm->BigShown != shown) MainForm->GroesSpektrogramm1Click();
}

void BM_Floor_FillPictures(benchmark::State& state, bool bigShown) {
    const std::vector<QImage*> pictures = RedrawnPictures(bigShown);
    for (auto _ : state) {
        for (QImage* picture : pictures)
            picture->fill(Qt::black);
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_Floor_FillPictures, Main, false);
BENCHMARK_CAPTURE(BM_Floor_FillPictures, MainAndBig, true);

void BM_DrawSpectrum(benchmark::State& state, bool bigShown) {
    ShowBig(bigShown);
    for (auto _ : state) {
        MainForm->DrawSpectrum();
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_DrawSpectrum, Main, false);
BENCHMARK_CAPTURE(BM_DrawSpectrum, MainAndBig, true);

// What the measurement functions add to one cycle, with every one of them on: the dark spectrum
// subtracted, the mean of 16, transmission and absorbance against a reference, the absorbance laid onto
// the diagrams' scale and the single spectrum's peak for the automatic exposure. Its ratio to DrawSpectrum
// above is the share these functions add to a cycle's redraw.
void BM_MeasurementArithmetic(benchmark::State& state) {
    std::mt19937 random(207);
    Scene scene{Lamp::Led, Filter::None, true, 30};
    const WavelengthCalibration calibration;
    EvaluatedMeasurement modes;
    const auto measured = [&] {
        const Readings readings = SceneReadings(scene, 60, random);
        ChannelReadings channels;
        std::copy(readings.begin(), readings.end(), channels.begin());
        return channels;
    };
    for (const auto capture : {MeasurementModes::Capture::Dark, MeasurementModes::Capture::Reference}) {
        modes.StartCapture(capture);
        for (int i = 0; i < MeasurementModes::CaptureCount; ++i)
            modes.Process(measured(), 60, calibration);
        scene.blocked = false;
    }
    modes.SetDarkSubtraction(true);
    modes.SetAveraging(16);
    modes.SetView(MeasurementView::Absorbance);
    scene.filter = Filter::RedDye;
    const ChannelReadings sample = measured();
    for (auto _ : state) {
        benchmark::DoNotOptimize(modes.Process(sample, 60, calibration));
        modes.Evaluate(); // lays the view onto the diagram too
        benchmark::DoNotOptimize(modes.Levels());
        SpectrumValues single;
        single.Readings = modes.LastSingle();
        ComputeLevels(single, calibration, 0, {});
        benchmark::DoNotOptimize(single);
    }
}
BENCHMARK(BM_MeasurementArithmetic);

// The display the program starts with, stated here so that a changed default does not change the figure.
void PrepareMainWindow() {
    for (QCheckBox* box : {MainForm->Balkendiagramm_CheckBox, MainForm->Spektralfarben_CheckBox,
                           MainForm->Gitter_CheckBox, MainForm->Max_CheckBox})
        box->setChecked(true);
    std::mt19937 random(207);
    const Readings readings = LampReadings(Lamp::Fluorescent, 60, random);
    std::copy(readings.begin(), readings.end(), MainForm->Spectrum.Readings.begin());
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication application(argc, argv);
    {
        const ProbeWindows windows(std::nullopt);
        PrepareMainWindow();
        QCoreApplication::processEvents();
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    return 0;
}
