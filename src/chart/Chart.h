// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/AxisTicks.h"
#include "chart/ColumnEnvelope.h"
#include "spectrum/Canvas.h"

#include <QRect>
#include <QString>
#include <functional>
#include <vector>

// One axis of a chart: its title with the unit (e.g. "Zeit in s") and its range.
struct ChartAxis {
    QString Title;
    double Low = 0;
    double High = 1;
};

// A measured curve: drawn as joined pixel columns (any number of points), or as a marker at each
// point (a few points, such as the standards of a calibration).
struct ChartTrace {
    QString Name; // in the legend; none when empty
    TColor Color = clYellow;
    bool Markers = false;
    const ColumnEnvelope* Envelope = nullptr; // the curve, when not Markers
    std::vector<double> X, Y;                 // the points, when Markers; a y that is not finite is none
};

// A fitted curve, evaluated at every pixel column between From and To.
struct ChartFit {
    QString Name;
    TColor Color = clWhite;
    double From = 0, To = 0;
    std::function<double(double)> At;
};

struct ChartContent {
    ChartAxis X, Y;
    std::vector<ChartTrace> Traces;
    std::vector<ChartFit> Fits;
    TColor Background = clBlack;
    TColor Frame = clWhite; // axes, ticks and their labels
    TColor Grid = 0x404040;
};

// Where a chart's plot lies on a canvas and how it maps values to pixels and back, for the drawing,
// the envelopes and the readout under the pointer.
class ChartFrame {
public:
    // The plot inside a canvas of `width` × `height` with room for labels of the font `canvas` uses.
    ChartFrame(const TCanvas& canvas, const ChartAxis& x, const ChartAxis& y);

    const QRect& Plot() const { return plot_; }
    const AxisTicks& XTicks() const { return xTicks_; }
    const AxisTicks& YTicks() const { return yTicks_; }
    int PixelX(double x) const;
    int PixelY(double y) const; // clamped to the plot, so values off the scale lie on its edge
    double ValueX(int pixel) const;
    double ValueY(int pixel) const;
    // An envelope set to this plot's columns.
    void ResetEnvelope(ColumnEnvelope& envelope) const;

private:
    QRect plot_;
    ChartAxis x_, y_;
    AxisTicks xTicks_, yTicks_;
};

// Draws `content` filling `canvas`: background, grid, axes with ticks, labels and titles, the traces,
// the fitted curves over them, and a legend of the named traces and fits, each name in its colour.
// The traces' envelopes must have been reset by the same frame.
ChartFrame DrawChart(TCanvas& canvas, const ChartContent& content);
