// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/LinearityMap.h"

class TCanvas;

// The calibration diagram on `canvas`: A against c with axis titles and units, the standards in the
// line and those left out (with the reason beside each), the samples read back onto the line, and
// the fitted line.
void DrawCalibrationChart(TCanvas& canvas, const ConcentrationSeries& series,
                          const CalibrationResult& result);

// The linearity map on `canvas`: the slope of A against c per channel over the wavelength axis as bars,
// green where the line holds (R² ≥ 0.999 and the highest standard's A ≤ 1.5), orange where it does
// not; the evaluation band and the proposed band shaded behind them.
void DrawLinearityMap(TCanvas& canvas, const ConcentrationSeries& series, const LinearityMap& map);
