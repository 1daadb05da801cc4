// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/LinearityMap.h"

#include <QImage>
#include <QSize>

// The calibration diagram: A against c with axis titles and units, each standard a dot (in the line)
// or a ring with its reason beside it (left out), the fitted line, and the samples as crosses on it.
QImage CalibrationPicture(const ConcentrationSeries& series, const CalibrationResult& result, QSize size);

// The linearity map over the wavelength axis: the slope of A against c per channel as bars, green
// where the line holds (R² ≥ 0.999, highest standard's A ≤ 1.5), orange where it bends and grey where
// no line could be fitted; the proposed band and the evaluation band shaded.
QImage MapPicture(const ConcentrationSeries& series, const LinearityMap& map, QSize size);

// Tick values 1-2-5 from 0 to at least `highest`, about `count` of them.
std::vector<double> AxisTicks(double highest, int count);
