// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/TimedSeries.h"

#include <algorithm>

SeriesSpectrum MakeSeriesSpectrum(const ChannelReadings& measured, double time, int32_t point,
                                  int32_t exposure) {
    SeriesSpectrum spectrum;
    spectrum.Time = time;
    spectrum.Point = point;
    spectrum.Exposure = int16_t(std::clamp(exposure, 0, 100));
    for (int c = 0; c < ChannelCount; ++c)
        spectrum.Readings[c] = uint16_t(std::clamp(measured[c], 0, 65535));
    return spectrum;
}

std::vector<SeriesPointSpectra> GroupByPoint(const std::vector<SeriesSpectrum>& spectra) {
    std::vector<SeriesPointSpectra> points;
    for (size_t i = 0; i < spectra.size(); ++i) {
        if (points.empty() || points.back().Point != spectra[i].Point)
            points.push_back({spectra[i].Point, i, 0, 0});
        SeriesPointSpectra& point = points.back();
        point.Time += (spectra[i].Time - point.Time) / double(++point.Count);
    }
    return points;
}
