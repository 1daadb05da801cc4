// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/LinearityMap.h"

#include <QImage>

class TCanvas;

// The calibration diagram on `canvas`: A against c with axis titles and units, the standards in the
// line and those left out (with the reason beside each), the samples read back onto the line, and
// the fitted line.
void DrawCalibrationChart(TCanvas& canvas, const ConcentrationSeries& series,
                          const CalibrationResult& result);

// The calibration diagram as saved: `chart` with the line under it in words, slope ± u with its unit,
// intercept, R², points and band, since the picture leaves the window that states them.
QImage CalibrationPicture(const QImage& chart, const ConcentrationSeries& series,
                          const CalibrationResult& result);

// The linearity map on `canvas`: the slope of A against c per channel over the wavelength axis as bars,
// green where the line holds (no bend beyond the standards' uncertainties and the highest standard's
// A ≤ 1.5), orange where it does not; the evaluation band and the proposed band shaded behind them.
void DrawLinearityMap(TCanvas& canvas, const ConcentrationSeries& series, const LinearityMap& map);
