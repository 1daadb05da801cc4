// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/Calibration.h"

#include <string>

// The series' table for a lab report, as a German spreadsheet reads it (the same kind as the spectrum's
// table): a line with the band and the line's slope, intercept and R², the column heads
// "Art;Name;c (mg/L);Verdünnung;A;Residuum;Ergebnis (mg/L);± (mg/L);Hinweis" and one line per row; cells
// separated by ";", decimal commas, Windows-1252, CR LF. A missing number leaves its cell empty.
std::string SeriesTableBytes(const ConcentrationSeries& series, const CalibrationResult& result);
