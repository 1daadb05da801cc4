// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LineFit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <numeric>

FitOutcome<LineFit> FitLine(const std::vector<double>& xs, const std::vector<double>& ys,
                            bool throughOrigin) {
    const int n = int(std::min(xs.size(), ys.size()));
    const int parameters = throughOrigin ? 1 : 2;
    if (n < parameters + 1)
        return FitOutcome<LineFit>::Failure("Zu wenige Messpunkte für eine Gerade: " + std::to_string(n) +
                                            " (mindestens " + std::to_string(parameters + 1) + " nötig).");
    LineFit fit;
    fit.ThroughOrigin = throughOrigin;
    fit.Count = n;
    fit.MeanX = std::accumulate(xs.begin(), xs.begin() + n, 0.0) / n;
    fit.MeanY = std::accumulate(ys.begin(), ys.begin() + n, 0.0) / n;
    fit.MinX = *std::min_element(xs.begin(), xs.begin() + n);
    fit.MaxX = *std::max_element(xs.begin(), xs.begin() + n);
    for (int i = 0; i < n; ++i) {
        const double dx = throughOrigin ? xs[i] : xs[i] - fit.MeanX;
        fit.SumSquaresX += dx * dx;
    }
    if (!(fit.SumSquaresX > 0) || (!throughOrigin && fit.MinX == fit.MaxX))
        return FitOutcome<LineFit>::Failure(
            "Alle Messpunkte liegen bei demselben x-Wert: keine Gerade möglich.");

    Eigen::MatrixXd design(n, parameters);
    Eigen::VectorXd y(n);
    for (int i = 0; i < n; ++i) {
        design(i, 0) = xs[i];
        if (!throughOrigin) design(i, 1) = 1;
        y(i) = ys[i];
    }
    const Eigen::VectorXd solution = design.colPivHouseholderQr().solve(y);
    const Eigen::VectorXd residuals = y - design * solution;
    const double ssResidual = residuals.squaredNorm();
    const double variance = ssResidual / (n - parameters);
    const Eigen::MatrixXd covariance = variance * (design.transpose() * design).inverse();

    fit.Slope = solution(0);
    fit.SlopeError = std::sqrt(covariance(0, 0));
    if (!throughOrigin) {
        fit.Intercept = solution(1);
        fit.InterceptError = std::sqrt(covariance(1, 1));
        fit.SlopeInterceptCovariance = covariance(0, 1);
    }
    fit.ResidualStandardDeviation = std::sqrt(variance);
    fit.Residuals.assign(residuals.data(), residuals.data() + n);
    double ssTotal = 0;
    for (int i = 0; i < n; ++i)
        ssTotal += (ys[i] - fit.MeanY) * (ys[i] - fit.MeanY);
    fit.RSquared = ssTotal > 0 ? 1 - ssResidual / ssTotal : 1;
    return fit;
}

FitOutcome<InversePrediction> PredictX(const LineFit& line, double y, int replicates) {
    // A tilt that changes the line by less than rounding over its points is no tilt.
    const double rise = std::fabs(line.Slope) * std::max(line.MaxX - line.MinX, std::fabs(line.MaxX));
    if (!std::isfinite(line.Slope) || rise <= 1e-12 * std::max(std::fabs(line.MeanY), 1e-300))
        return FitOutcome<InversePrediction>::Failure("Die Gerade ist waagrecht: kein x-Wert ablesbar.");
    InversePrediction result;
    result.X = (y - line.Intercept) / line.Slope;
    // The classical error of x read back from a line: the reading's own scatter, the line's position
    // and, for the tilt, the distance from the centre of the points.
    const double slope2 = line.Slope * line.Slope;
    const double centre = line.ThroughOrigin ? y : y - line.MeanY;
    double share = 1.0 / std::max(replicates, 1) + centre * centre / (slope2 * line.SumSquaresX);
    if (!line.ThroughOrigin) share += 1.0 / line.Count;
    result.Uncertainty = line.ResidualStandardDeviation / std::fabs(line.Slope) * std::sqrt(share);
    result.InsideRange = result.X >= line.MinX && result.X <= line.MaxX;
    return result;
}
