// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/LineFit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <numeric>

FitOutcome<LineFit> FitLine(const std::vector<double>& xs, const std::vector<double>& ys, bool throughOrigin,
                            const std::vector<double>& weights, int spare) {
    const int n = int(std::min(xs.size(), ys.size()));
    const int parameters = throughOrigin ? 1 : 2;
    if (n < parameters + spare)
        return FitOutcome<LineFit>::Failure("Zu wenige Messpunkte für eine Gerade: " + std::to_string(n) +
                                            " (mindestens " + std::to_string(parameters + spare) +
                                            " nötig).");
    // Weights scaled to a mean of 1, so that the scatter is that of a point of average weight.
    std::vector<double> w(size_t(n), 1.0);
    if (weights.size() >= size_t(n)) {
        const double mean = std::accumulate(weights.begin(), weights.begin() + n, 0.0) / n;
        if (!(mean > 0) || !std::isfinite(mean))
            return FitOutcome<LineFit>::Failure("Die Gewichte der Messpunkte sind unbrauchbar.");
        for (int i = 0; i < n; ++i)
            w[size_t(i)] = weights[size_t(i)] / mean;
    }
    LineFit fit;
    fit.ThroughOrigin = throughOrigin;
    fit.Count = n;
    fit.DegreesOfFreedom = n - parameters;
    for (int i = 0; i < n; ++i) {
        fit.MeanX += w[size_t(i)] * xs[i] / n;
        fit.MeanY += w[size_t(i)] * ys[i] / n;
    }
    fit.MinX = *std::min_element(xs.begin(), xs.begin() + n);
    fit.MaxX = *std::max_element(xs.begin(), xs.begin() + n);
    for (int i = 0; i < n; ++i) {
        const double dx = throughOrigin ? xs[i] : xs[i] - fit.MeanX;
        fit.SumSquaresX += w[size_t(i)] * dx * dx;
    }
    if (!(fit.SumSquaresX > 0) || (!throughOrigin && fit.MinX == fit.MaxX))
        return FitOutcome<LineFit>::Failure(
            "Alle Messpunkte liegen bei demselben x-Wert: keine Gerade möglich.");

    // With an intercept the line is fitted about the points' centre, where slope and level are
    // independent and the normal equations are as well conditioned as the data allow.
    const double shift = throughOrigin ? 0 : fit.MeanX;
    Eigen::MatrixXd design(n, parameters);
    Eigen::VectorXd y(n);
    for (int i = 0; i < n; ++i) {
        const double root = std::sqrt(w[size_t(i)]);
        design(i, 0) = root * (xs[i] - shift);
        if (!throughOrigin) design(i, 1) = root;
        y(i) = root * ys[i];
    }
    const Eigen::MatrixXd normal = design.transpose() * design;
    const Eigen::LDLT<Eigen::MatrixXd> solver(normal);
    const Eigen::VectorXd solution = solver.solve(design.transpose() * y);
    const Eigen::VectorXd weighted = y - design * solution;
    const double ssResidual = weighted.squaredNorm();
    // Through as many points as parameters the line has no scatter to go by: its errors stay 0.
    const double variance = fit.DegreesOfFreedom > 0 ? ssResidual / fit.DegreesOfFreedom : 0.0;
    const Eigen::MatrixXd covariance =
        variance * solver.solve(Eigen::MatrixXd::Identity(parameters, parameters));

    fit.Slope = solution(0);
    fit.SlopeError = std::sqrt(covariance(0, 0));
    if (!throughOrigin) {
        // Back from the centre to x = 0: b = level − slope·x̄.
        fit.Intercept = solution(1) - fit.Slope * shift;
        fit.InterceptError = std::sqrt(covariance(1, 1) + shift * shift * covariance(0, 0));
        fit.SlopeInterceptCovariance = -shift * covariance(0, 0);
    }
    fit.ResidualStandardDeviation = std::sqrt(variance);
    double ssTotal = 0;
    for (int i = 0; i < n; ++i) {
        fit.Residuals.push_back(ys[i] - fit.At(xs[i]));
        ssTotal += w[size_t(i)] * (ys[i] - fit.MeanY) * (ys[i] - fit.MeanY);
    }
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
