// SPDX-License-Identifier: GPL-3.0-or-later
// Concentration series files as anybody may have written them: the reader takes every byte sequence
// and gives a series whose rows the evaluation, the map and the writer take without harm.
#include "FuzzSupport.h"

#include "concentration/LinearityMap.h"
#include "concentration/SeriesFile.h"
#include "files/TextFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const SeriesFileContents read =
        ParseSeriesFile(SplitTextLines({reinterpret_cast<const char*>(data), size}));
    const ConcentrationSeries& series = read.Series;
    Require(series.Rows.size() <= size_t(MaxSeriesRows), "the rows are capped");
    const CalibrationResult result = EvaluateSeries(series);
    Require(result.Standards.size() + result.Samples.size() == series.Rows.size(), "every row is evaluated");
    MapLinearity(series);
    // What was read is written and read back the same.
    const SeriesFileContents again = ParseSeriesFile(SplitTextLines(SeriesFileBytes(series)));
    Require(again.Recognised && again.Skipped.empty() && again.DroppedRows.empty() && again.MissingRows == 0,
            "a written series reads back whole");
    Require(again.Series.Rows.size() == series.Rows.size(), "a written series keeps its rows");
    return 0;
}
