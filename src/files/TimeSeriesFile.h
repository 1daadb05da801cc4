// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/AppendFile.h"
#include "series/TimedSeries.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// The file of a timed series, as a German spreadsheet reads it: ";" between cells, decimal commas,
// Windows-1252, CR LF. A header of "name;value" lines holds the plan, the calibration, the wavelengths
// watched and the dark and reference spectra with their exposures; then a line of column heads and one
// line per spectrum: time in s, point, exposure, dark subtracted (0/1), reference in force (0/1),
// averaging, and the 128 readings.

// The header lines and the column heads.
std::string TimeSeriesHeaderBytes(const TimedSeries& series);
// The line of one spectrum.
std::string TimeSeriesRowBytes(const SeriesSpectrum& spectrum);

// Writes a series while it is measured: the header at once, then each spectrum as it comes, each on
// the disk before Append returns. Throws std::system_error carrying errno when the file can't be written.
class TimeSeriesFileWriter {
public:
    TimeSeriesFileWriter(const std::string& path, const TimedSeries& series);
    void Append(const SeriesSpectrum& spectrum);

private:
    AppendFile file_;
};

// What loading a series file gave.
struct TimeSeriesFileLoad {
    int Error = 0;                     // errno when the file could not be read
    std::optional<TimedSeries> Series; // none when the header is not that of a series file
    int SkippedLines = 0;              // lines of spectra left out
    QString Report;                    // German: what was left out and why; empty when nothing was
};

// Reads a series from the bytes of its file: every sound line of a spectrum, leaving out (and naming
// in the report) a line cut short, an edited line that is no spectrum, or one whose time runs back.
TimeSeriesFileLoad ParseTimeSeriesFile(std::string_view bytes);
// Reads the series file at `path`.
TimeSeriesFileLoad LoadTimeSeriesFile(const std::string& path);
