// SPDX-License-Identifier: GPL-3.0-or-later
// Time series files as anybody may have written them: the reader takes every byte sequence, the
// evaluation takes every series it gives, and writing that series and reading it again gives the same
// spectra back.
#include "FuzzSupport.h"

#include "files/TimeSeriesFile.h"
#include "series/BandValue.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TimeSeriesFileLoad load = ParseTimeSeriesFile({reinterpret_cast<const char*>(data), size});
    if (!load.Series) return 0;
    const TimedSeries& series = *load.Series;
    SeriesEvaluator evaluator(series);
    for (const SeriesPointSpectra& point : GroupByPoint(series.Spectra))
        for (double wavelength : series.Wavelengths)
            evaluator.PointValue(point, wavelength, series.BandHalfWidth, SeriesQuantity::Absorbance);

    std::string bytes = TimeSeriesHeaderBytes(series);
    for (const SeriesSpectrum& spectrum : series.Spectra)
        bytes += TimeSeriesRowBytes(spectrum);
    const TimeSeriesFileLoad again = ParseTimeSeriesFile(bytes);
    Require(again.Series && again.SkippedLines == 0, "a written series reads back whole");
    Require(again.Series->Spectra.size() == series.Spectra.size(), "every written spectrum reads back");
    for (size_t i = 0; i < series.Spectra.size(); ++i)
        Require(again.Series->Spectra[i].Readings == series.Spectra[i].Readings,
                "a written spectrum reads back");
    return 0;
}
