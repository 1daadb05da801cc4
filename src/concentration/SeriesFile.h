// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/ConcentrationSeries.h"

#include <QStringList>
#include <string>
#include <vector>

// A concentration series as a text file: a first line "KX207 Konzentrationsreihe", the series' keys
// (Einheit, Kalibrierung, Band, Ursprung) and one section "[Standard]" or "[Probe]" per row with its
// keys (Name, Konzentration, Verdünnung, Auswahl, Belichtung, Dunkelabzug, and per spectrum "Spektrum",
// "Dunkel", "Referenz" its evidence: ".Mittel", ".Streuung" as 128 numbers, ".Anzahl", ".Belichtung",
// ".Übersteuert" as a list of channels); numbers with a decimal point; Windows-1252, CR LF. The keys
// Spektrum, Dunkel and Referenz alone keep the spectra in whole Digits as older versions read them (the
// sample with the dark taken off, the dark only where it was); a file with only those loads with its
// precision estimated.
std::string SeriesFileBytes(const ConcentrationSeries& series);

// A line of the file that was not understood: its number from 1 and its text.
struct SkippedLine {
    int Number = 0;
    std::string Text;
};

// What a read brought: the series as far as it was sound, and whether the text was a series at all.
struct SeriesFileContents {
    ConcentrationSeries Series;
    bool Recognised = false;
    std::vector<SkippedLine> Skipped;     // lines that were not understood and left out
    std::vector<std::string> DroppedRows; // names of rows left out for a number that could not be read
    int MissingRows = 0;                  // rows the file announces but does not hold: it ends early
};

// Reads the lines of a series file. Whatever is not understood is left out: an unknown or malformed
// series key keeps its default, a spectrum that is not 128 numbers 0..65279 leaves its row unmeasured,
// a row without a readable concentration or dilution is left out whole (no value is made up for it),
// and the rows' count is capped at MaxSeriesRows.
SeriesFileContents ParseSeriesFile(const QStringList& lines);
constexpr int MaxSeriesRows = 200;

// Writes the series to `path`, replacing the file atomically. Throws std::system_error carrying errno
// when it can't be written; an existing file is then left as it was.
void SaveSeriesFile(const std::string& path, const ConcentrationSeries& series);
// Reads the series file at `path`; `error` is 0 or the errno that kept it from being read.
SeriesFileContents LoadSeriesFile(const std::string& path, int& error);
