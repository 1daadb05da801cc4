// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumMean.h"
#include "spectrum/SpectrumModel.h"

#include <chrono>
#include <cstdint>

// What a measured spectrum leaves for its evaluation, be it a sample, a dark or a reference: the mean
// of the spectra taken as the sensor read them (the dark is never taken off here), how much a single
// one scatters, how many there were and where any of them hit full scale.
struct Evidence {
    ChannelMeans Mean{};    // the mean in Digits as measured, unrounded
    ChannelMeans Spread{};  // the standard deviation of one spectrum; 0 where unknown
    int Count = 0;          // spectra in the mean; 0 where unknown (taken as one)
    ChannelFlags Saturated; // channels at full scale in any single spectrum of the mean
    int32_t Exposure = 0;
    WavelengthCalibration Calibration;
    std::chrono::system_clock::time_point Taken{}; // when the last spectrum came; the epoch when unknown
    bool DarkSubtracted = false; // a sample's: the dark spectrum at its exposure is taken off it
};

// Evidence of a spectrum known only by its mean in whole Digits (one read from an older file or the
// settings): no spread, a count of `count` (0 when unknown), saturated where the mean is at full scale.
Evidence EvidenceOfReadings(const ChannelReadings& readings, int32_t exposure, int count = 0);
