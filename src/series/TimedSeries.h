// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evaluation/Evidence.h"
#include "spectrum/SpectrumModel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// When t = 0 of a series is: at the click that starts it, or at a second click ("Jetzt mischen") for
// the moment the reagents meet.
enum class SeriesStart { AtClick, AtMixing };

// What a series is asked to do: a point every Interval seconds, until Count points or Duration seconds
// are reached (0: until stopped), each point the mean of up to Averaging spectra of its own interval.
struct SeriesPlan {
    double Interval = 1;
    int Count = 0;
    double Duration = 0;
    SeriesStart Start = SeriesStart::AtClick;
    int Averaging = 1;
};

// One spectrum of a series, kept whole as the instrument measured it (nothing subtracted), with the
// conditions it was taken in. Small on purpose: an hour at 0.5 s keeps 7 200 of them.
struct SeriesSpectrum {
    double Time = 0;               // s from t = 0, as it was measured
    int32_t Point = 0;             // the interval it belongs to: its point of the time course
    int16_t Exposure = 0;          // 0 to 100
    int8_t Averaging = 1;          // the averaging asked for while it was taken
    bool DarkSubtracted = false;   // the dark spectrum was subtracted for the display
    bool ReferenceInForce = false; // a reference valid at its exposure was there
    std::array<uint16_t, ChannelCount> Readings{};
};

// A whole series: what was asked, the dark and reference spectra and the calibration it was measured
// with, the wavelengths watched, and its spectra in the order they were taken.
struct TimedSeries {
    SeriesPlan Plan;
    WavelengthCalibration Calibration;
    // As measured, unrounded, with their spread and count: the evidence every point is evaluated against.
    std::optional<Evidence> Dark;
    std::optional<Evidence> Reference;
    std::vector<double> Wavelengths; // nm, up to three
    int BandHalfWidth = 0;           // ± nm averaged around each wavelength
    std::vector<SeriesSpectrum> Spectra;
};

// A spectrum as the series keeps it: readings out of 0 … 65535 are clamped into it.
SeriesSpectrum MakeSeriesSpectrum(const ChannelReadings& measured, double time, int32_t point,
                                  int32_t exposure);

// The spectra of one point of the time course: the indices [First, First + Count) into the series'
// spectra, and the mean of their true times.
struct SeriesPointSpectra {
    int32_t Point = 0;
    size_t First = 0;
    size_t Count = 0;
    double Time = 0;
};

// Groups consecutive spectra of the same point, so that a point's averaging never reaches into the
// interval before or after it.
std::vector<SeriesPointSpectra> GroupByPoint(const std::vector<SeriesSpectrum>& spectra);
