// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "series/FitOutcome.h"

#include <vector>

// A straight line y = Slope · x + Intercept fitted by least squares, with the standard errors of its
// parameters from the scatter of the points about it.
struct LineFit {
    bool ThroughOrigin = false; // the intercept was held at 0
    double Slope = 0;
    double Intercept = 0;
    double SlopeError = 0;
    double InterceptError = 0;            // 0 through the origin
    double SlopeInterceptCovariance = 0;  // 0 through the origin
    double ResidualStandardDeviation = 0; // s of y about the line, for a point of average weight
    double RSquared = 0;                  // 1 − SSres / SStot, SStot about the mean of y in both models
    std::vector<double> Residuals;        // y − line, in the order of the points
    int Count = 0;
    int DegreesOfFreedom = 0; // points less parameters: what the scatter is estimated from
    // Means and Σ(x − x̄)² (Σx² through the origin) with each point's weight, the weights' mean being 1.
    double MeanX = 0, MeanY = 0, SumSquaresX = 0;
    double MinX = 0, MaxX = 0;

    double At(double x) const { return Slope * x + Intercept; }
};

// Fits the points (xs[i], ys[i]); needs `spare` points more than the line's parameters (2 with an
// intercept, 1 through the origin) so the scatter is known, and x values that differ. With spare 0 and
// no point to spare the line goes through them with errors of 0. `weights` (empty: all alike) weigh
// each point's squared residual as 1/σ² of its y, up to a common factor that the scatter sets.
FitOutcome<LineFit> FitLine(const std::vector<double>& xs, const std::vector<double>& ys, bool throughOrigin,
                            const std::vector<double>& weights = {}, int spare = 1);

// The x of a measured y read back from the line (an unknown sample on a calibration line), with its
// standard uncertainty from the line's scatter and parameters for the mean of `replicates` readings.
struct InversePrediction {
    double X = 0;
    double Uncertainty = 0;
    bool InsideRange = false; // X lies within the x values the line was fitted on
};
// Needs a line that is not flat.
FitOutcome<InversePrediction> PredictX(const LineFit& line, double y, int replicates = 1);
