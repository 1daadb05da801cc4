// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/KineticFit.h"

#include "series/LineFit.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace {

using Outcome = FitOutcome<KineticFit>;

constexpr int MaxIterations = 200;
const char* const NoConvergence =
    "Die Anpassung 1. Ordnung konvergiert nicht: im Bereich ist keine Annäherung an einen Endwert erkennbar.";

struct Points {
    std::vector<double> T, A;
};

Points InRange(const std::vector<double>& times, const std::vector<double>& values,
               const KineticFitRequest& request) {
    std::vector<size_t> order;
    const size_t n = std::min(times.size(), values.size());
    for (size_t i = 0; i < n; ++i)
        if (times[i] >= request.From && times[i] <= request.To && std::isfinite(values[i]))
            order.push_back(i);
    // The test of the range's end needs the points in time order.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return times[a] < times[b]; });
    Points points;
    for (size_t i : order) {
        points.T.push_back(times[i]);
        points.A.push_back(values[i]);
    }
    return points;
}

Outcome TooFew(size_t have, int need) {
    return Outcome::Failure("Zu wenige Messpunkte im Bereich: " + std::to_string(have) + " (mindestens " +
                            std::to_string(need) + " nötig).");
}

// Zeroth and second order: a straight line of A or 1/A against t.
Outcome FitStraight(const Points& points, ReactionOrder order) {
    if (points.T.size() < 3) return TooFew(points.T.size(), 3);
    std::vector<double> ys = points.A;
    if (order == ReactionOrder::Second) {
        if (std::any_of(ys.begin(), ys.end(), [](double a) { return a <= 0; }))
            return Outcome::Failure("Für 1/A müssen alle Extinktionen im Bereich über 0 liegen.");
        for (double& y : ys)
            y = 1 / y;
    }
    const FitOutcome<LineFit> line = FitLine(points.T, ys, false);
    if (!line.Ok()) return Outcome::Failure(line.Message());
    KineticFit fit;
    fit.Order = order;
    fit.Count = line->Count;
    fit.RSquared = line->RSquared;
    fit.RateConstantError = line->SlopeError;
    if (order == ReactionOrder::Zeroth) {
        fit.RateConstant = -line->Slope;
        fit.StartValue = line->Intercept;
        fit.StartValueError = line->InterceptError;
    } else {
        fit.RateConstant = line->Slope;
        fit.StartValue = 1 / line->Intercept;
        fit.StartValueError = line->InterceptError * fit.StartValue * fit.StartValue;
    }
    if (!(fit.RateConstant > 0) || !(fit.StartValue > 0))
        return Outcome::Failure("Im Bereich nimmt A nicht ab: keine Halbwertszeit bestimmbar.");
    // t½ = A₀/(2k) or 1/(k·A₀) = 1/(k·b) with b = 1/A₀; the errors from the line's covariance.
    const double k = fit.RateConstant, sk = line->SlopeError, sb = line->InterceptError;
    const double cov = line->SlopeInterceptCovariance;
    if (order == ReactionOrder::Zeroth) {
        fit.HalfLife = fit.StartValue / (2 * k);
        // t½ = −b/(2m): ∂/∂b = −1/(2m), ∂/∂m = b/(2m²)
        const double m = line->Slope, b = line->Intercept;
        const double db = -1 / (2 * m), dm = b / (2 * m * m);
        fit.HalfLifeError =
            std::sqrt(std::max(db * db * sb * sb + dm * dm * sk * sk + 2 * db * dm * cov, 0.0));
    } else {
        const double b = line->Intercept;
        fit.HalfLife = b / k;
        const double db = 1 / k, dk = -b / (k * k);
        fit.HalfLifeError =
            std::sqrt(std::max(db * db * sb * sb + dk * dk * sk * sk + 2 * db * dk * cov, 0.0));
    }
    return fit;
}

// The model A∞ + (A₀ − A∞)·e^(−k′t) with parameters (A₀, k′[, A∞]); its residuals and Jacobian.
struct Exponential {
    const Points& points;
    bool endFree;

    double Value(const Eigen::VectorXd& p, double t) const {
        const double end = endFree ? p(2) : 0;
        return end + (p(0) - end) * std::exp(-p(1) * t);
    }
    double SquaredResidual(const Eigen::VectorXd& p) const {
        double sum = 0;
        for (size_t i = 0; i < points.T.size(); ++i) {
            const double r = points.A[i] - Value(p, points.T[i]);
            sum += r * r;
        }
        return sum;
    }
    void Linearise(const Eigen::VectorXd& p, Eigen::MatrixXd& jacobian, Eigen::VectorXd& residual) const {
        const Eigen::Index n = Eigen::Index(points.T.size());
        jacobian.resize(n, p.size());
        residual.resize(n);
        const double end = endFree ? p(2) : 0;
        for (Eigen::Index i = 0; i < n; ++i) {
            const double t = points.T[size_t(i)];
            const double e = std::exp(-p(1) * t);
            jacobian(i, 0) = e;
            jacobian(i, 1) = -(p(0) - end) * t * e;
            if (endFree) jacobian(i, 2) = 1 - e;
            residual(i) = points.A[size_t(i)] - (end + (p(0) - end) * e);
        }
    }
};

// A start from the log-linear fit of ln|A − A∞| against t, with A∞ a little beyond the data on the side
// they head for (below a decay, above a rise) when free.
Eigen::VectorXd StartValues(const Points& points, bool endFree) {
    const auto [low, high] = std::minmax_element(points.A.begin(), points.A.end());
    const double sign = endFree && points.A.back() > points.A.front() ? -1 : 1;
    const double margin = 0.05 * (*high - *low) + 1e-6;
    const double end = !endFree ? 0 : sign > 0 ? *low - margin : *high + margin;
    std::vector<double> ts, logs;
    for (size_t i = 0; i < points.T.size(); ++i)
        if (sign * (points.A[i] - end) > 0) {
            ts.push_back(points.T[i]);
            logs.push_back(std::log(sign * (points.A[i] - end)));
        }
    Eigen::VectorXd p(endFree ? 3 : 2);
    const FitOutcome<LineFit> line = FitLine(ts, logs, false);
    const double span = points.T.back() - points.T.front();
    const double slope = line.Ok() ? line->Slope : 0;
    p(0) = line.Ok() ? end + sign * std::exp(line->Intercept) : points.A.front();
    // A flat start still gets a decay to begin with; the iteration finds where it goes.
    p(1) = slope < 0 ? -slope : 1 / std::max(span, 1e-9);
    if (endFree) p(2) = end;
    return p;
}

// Levenberg–Marquardt with the damping scaled to the diagonal; false when it does not settle.
bool Iterate(const Exponential& model, Eigen::VectorXd& p, Eigen::MatrixXd& jacobian) {
    double lambda = 1e-3;
    double sum = model.SquaredResidual(p);
    Eigen::VectorXd residual;
    for (int iteration = 0; iteration < MaxIterations; ++iteration) {
        model.Linearise(p, jacobian, residual);
        const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
        const Eigen::VectorXd gradient = jacobian.transpose() * residual;
        bool improved = false;
        while (lambda < 1e12) {
            Eigen::MatrixXd damped = normal;
            damped.diagonal() += lambda * normal.diagonal().cwiseMax(1e-12);
            const Eigen::VectorXd step = damped.ldlt().solve(gradient);
            const Eigen::VectorXd next = p + step;
            const double nextSum = model.SquaredResidual(next);
            if (step.allFinite() && std::isfinite(nextSum) && nextSum <= sum) {
                const bool settled = sum - nextSum <= 1e-14 * std::max(sum, 1e-30) ||
                                     step.cwiseAbs().maxCoeff() <= 1e-12 * (p.cwiseAbs().maxCoeff() + 1e-12);
                p = next;
                sum = nextSum;
                lambda = std::max(lambda / 10, 1e-15);
                improved = true;
                if (settled) {
                    model.Linearise(p, jacobian, residual);
                    return true;
                }
                break;
            }
            lambda *= 10;
        }
        if (!improved) {
            model.Linearise(p, jacobian, residual);
            return true; // no step lowers the sum any further: the minimum
        }
    }
    return false;
}

Outcome FitFirstOrder(const Points& points, bool endFree) {
    const int parameters = endFree ? 3 : 2;
    if (int(points.T.size()) < parameters + 1) return TooFew(points.T.size(), parameters + 1);
    const auto [low, high] = std::minmax_element(points.A.begin(), points.A.end());
    if (*low == *high) return Outcome::Failure(NoConvergence);

    const Exponential model{points, endFree};
    Eigen::VectorXd p = StartValues(points, endFree);
    Eigen::MatrixXd jacobian;
    const double span = points.T.back() - points.T.front();
    if (!Iterate(model, p, jacobian) || !p.allFinite() || !(p(1) * span > 1e-3) ||
        (endFree && std::fabs(p(2) - p(0)) > 1e3 * (*high - *low)))
        return Outcome::Failure(NoConvergence);

    const int n = int(points.T.size());
    const double sum = model.SquaredResidual(p);
    const double variance = sum / (n - parameters);
    const Eigen::MatrixXd normal = jacobian.transpose() * jacobian;
    const Eigen::FullPivLU<Eigen::MatrixXd> lu(normal);
    if (!lu.isInvertible()) return Outcome::Failure(NoConvergence);
    const Eigen::MatrixXd covariance = variance * lu.inverse();

    KineticFit fit;
    fit.Order = ReactionOrder::First;
    fit.EndValueFree = endFree;
    fit.Count = n;
    fit.StartValue = p(0);
    fit.StartValueError = std::sqrt(covariance(0, 0));
    fit.RateConstant = p(1);
    fit.RateConstantError = std::sqrt(covariance(1, 1));
    if (endFree) {
        fit.EndValue = p(2);
        fit.EndValueError = std::sqrt(covariance(2, 2));
    }
    fit.HalfLife = std::log(2.0) / fit.RateConstant;
    fit.HalfLifeError = fit.HalfLife * fit.RateConstantError / fit.RateConstant;

    // The end of the range must not lie on the far side of A∞: a decay that ends below its own end
    // value (or a rise above it) is a curve the law does not describe, whatever the numbers say.
    const int tail = std::max(3, n / 4);
    double tailMean = 0;
    for (int i = n - tail; i < n; ++i)
        tailMean += points.A[size_t(i)];
    tailMean /= tail;
    const double direction = fit.StartValue >= fit.EndValue ? 1 : -1;
    const double margin = 3 * std::sqrt(variance / tail);
    if (direction * (tailMean - fit.EndValue) < -margin)
        return Outcome::Failure(direction > 0
                                    ? "A∞ liegt über den Messwerten am Ende des Bereichs: die Werte "
                                      "fallen unter den Endwert, das Gesetz 1. Ordnung passt nicht."
                                    : "A∞ liegt unter den Messwerten am Ende des Bereichs: die Werte "
                                      "steigen über den Endwert, das Gesetz 1. Ordnung passt nicht.");

    const double mean = std::accumulate(points.A.begin(), points.A.end(), 0.0) / n;
    double total = 0;
    for (double a : points.A)
        total += (a - mean) * (a - mean);
    fit.RSquared = 1 - sum / total;
    return fit;
}

} // namespace

double KineticFit::At(double t) const {
    switch (Order) {
    case ReactionOrder::Zeroth:
        return StartValue - RateConstant * t;
    case ReactionOrder::Second:
        return 1 / (1 / StartValue + RateConstant * t);
    case ReactionOrder::First:
        break;
    }
    return EndValue + (StartValue - EndValue) * std::exp(-RateConstant * t);
}

FitOutcome<KineticFit> FitKinetics(const std::vector<double>& times, const std::vector<double>& values,
                                   const KineticFitRequest& request) {
    const Points points = InRange(times, values, request);
    if (request.Order == ReactionOrder::First) return FitFirstOrder(points, request.EndValueFree);
    return FitStraight(points, request.Order);
}
