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
    std::vector<double> W; // 1/σ² of each A, their mean 1; all 1 where not every σ is known
};

Points InRange(const std::vector<double>& times, const std::vector<double>& values,
               const KineticFitRequest& request, const std::vector<double>& uncertainties) {
    std::vector<size_t> order;
    const size_t n = std::min(times.size(), values.size());
    for (size_t i = 0; i < n; ++i)
        if (times[i] >= request.From && times[i] <= request.To && std::isfinite(values[i]))
            order.push_back(i);
    // The test of the range's end needs the points in time order.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return times[a] < times[b]; });
    const bool weighed = uncertainties.size() >= n && std::all_of(order.begin(), order.end(), [&](size_t i) {
                             return uncertainties[i] > 0 && std::isfinite(uncertainties[i]);
                         });
    Points points;
    for (size_t i : order) {
        points.T.push_back(times[i]);
        points.A.push_back(values[i]);
        points.W.push_back(weighed ? 1 / (uncertainties[i] * uncertainties[i]) : 1.0);
    }
    const double mean = std::accumulate(points.W.begin(), points.W.end(), 0.0) / double(order.size());
    for (double& w : points.W)
        w /= mean;
    return points;
}

// Errors from one degree of freedom or none mean nothing: they are dropped, and the fit says why.
void DropUnfoundedErrors(KineticFit& fit, int parameters) {
    fit.DegreesOfFreedom = fit.Count - parameters;
    if (fit.DegreesOfFreedom > 1) return;
    fit.RateConstantError = fit.StartValueError = fit.EndValueError = fit.HalfLifeError = 0;
    const std::string points = std::to_string(fit.Count) + " Punkte", count = std::to_string(parameters);
    fit.NoErrorReason =
        fit.DegreesOfFreedom == 0
            ? "Ohne Unsicherheit: " + points + " legen die " + count +
                  " Parameter genau fest, es bleibt keine Streuung, um sie zu schätzen."
            : "Ohne Unsicherheit: " + points + " für " + count +
                  " Parameter lassen nur einen Freiheitsgrad, zu wenig, um die Streuung zu schätzen.";
}

Outcome TooFew(size_t have, int need) {
    return Outcome::Failure("Zu wenige Messpunkte im Bereich: " + std::to_string(have) + " (mindestens " +
                            std::to_string(need) + " nötig).");
}

// Zeroth and second order: a straight line of A or 1/A against t.
Outcome FitStraight(const Points& points, ReactionOrder order) {
    if (points.T.size() < 2) return TooFew(points.T.size(), 2);
    std::vector<double> ys = points.A;
    FitOutcome<LineFit> line = FitOutcome<LineFit>::Failure({});
    if (order == ReactionOrder::Second) {
        if (std::any_of(ys.begin(), ys.end(), [](double a) { return a <= 0; }))
            return Outcome::Failure("Für 1/A müssen alle Extinktionen im Bereich über 0 liegen.");
        for (double& y : ys)
            y = 1 / y;
        // 1/A scatters by σ/A²: its weight is A⁴/σ². A from the line, not the measured one, whose own
        // noise would tilt the weights toward the points that happened to read high.
        std::vector<double> weights(ys.size());
        for (size_t i = 0; i < ys.size(); ++i)
            weights[i] = points.W[i] * std::pow(points.A[i], 4);
        line = FitLine(points.T, ys, false, weights, 0);
        for (size_t i = 0; line.Ok() && i < ys.size(); ++i)
            weights[i] = points.W[i] * std::pow(line->At(points.T[i]), -4);
        if (line.Ok()) line = FitLine(points.T, ys, false, weights, 0);
    } else {
        line = FitLine(points.T, ys, false, points.W, 0);
    }
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
    DropUnfoundedErrors(fit, 2);
    return fit;
}

// e^(−k·t) at the times of the points, in their order (by time) one after the other. Neighbouring times
// lie close together, so each follows from the one before times the exponential of the short step
// between them, which a few terms of its series give exactly: a full exponential per point would
// cost the fit of an hour's series most of its time.
class Exponentials {
public:
    Exponentials(const std::vector<double>& times, double k) : times_(times), k_(k) {}

    double Next() {
        if (index_ == 0) {
            value_ = std::exp(-k_ * times_[0]);
        } else {
            const double x = -k_ * (times_[index_] - times_[index_ - 1]);
            if (x != stepX_) {
                stepX_ = x;
                // Beyond this the six terms would no longer hold every digit.
                step_ = std::fabs(x) < 0.01 ? 1 + x * (1 + x / 2 * (1 + x / 3 * (1 + x / 4 * (1 + x / 5))))
                                            : std::exp(x);
            }
            value_ *= step_;
        }
        ++index_;
        return value_;
    }

private:
    const std::vector<double>& times_;
    double k_;
    size_t index_ = 0;
    double value_ = 1;
    double stepX_ = 0, step_ = 1; // the last step and its exponential, for evenly spaced times
};

// The model A∞ + (A₀ − A∞)·e^(−k′t) with parameters (A₀, k′[, A∞]) linearised at one point of the
// parameters: the normal matrix JᵀJ and gradient Jᵀr of its Jacobian J and residuals r, and their sum
// of squares, from one exponential per data point and without keeping J.
struct Linearised {
    Eigen::VectorXd P;
    Eigen::MatrixXd Normal;
    Eigen::VectorXd Gradient;
    double Sum = 0;
};

template <int Count> Linearised LineariseWith(const Points& points, bool endFree, const Eigen::VectorXd& p) {
    double normal[3][3] = {}, gradient[3] = {}, sum = 0;
    const double end = endFree ? p(2) : 0;
    Exponentials exponentials(points.T, p(1));
    for (size_t i = 0; i < points.T.size(); ++i) {
        const double t = points.T[i];
        const double e = exponentials.Next();
        const double row[3] = {e, -(p(0) - end) * t * e, 1 - e};
        const double residual = points.A[i] - (end + (p(0) - end) * e);
        const double w = points.W[i];
        sum += w * residual * residual;
        for (int a = 0; a < Count; ++a) {
            gradient[a] += w * row[a] * residual;
            for (int b = a; b < Count; ++b)
                normal[a][b] += w * row[a] * row[b];
        }
    }
    Linearised at{p, Eigen::MatrixXd(Count, Count), Eigen::VectorXd(Count), sum};
    for (int a = 0; a < Count; ++a) {
        at.Gradient(a) = gradient[a];
        for (int b = a; b < Count; ++b)
            at.Normal(a, b) = at.Normal(b, a) = normal[a][b];
    }
    return at;
}

// The parameter count known to the compiler lets it unroll the sums over the points.
Linearised Linearise(const Points& points, bool endFree, const Eigen::VectorXd& p) {
    return endFree ? LineariseWith<3>(points, true, p) : LineariseWith<2>(points, false, p);
}

// A start from the log-linear fit of ln|A − A∞| against t, with A∞ a little beyond the data on the side
// they head for (below a decay, above a rise) when free. Each point weighs with |A − A∞|², as the
// logarithm magnifies the noise of the small values by their inverse.
Eigen::VectorXd StartValues(const Points& points, bool endFree) {
    const auto [low, high] = std::minmax_element(points.A.begin(), points.A.end());
    const double sign = endFree && points.A.back() > points.A.front() ? -1 : 1;
    const double margin = 0.05 * (*high - *low) + 1e-6;
    const double end = !endFree ? 0 : sign > 0 ? *low - margin : *high + margin;
    Eigen::Matrix2d normal = Eigen::Matrix2d::Zero();
    Eigen::Vector2d right = Eigen::Vector2d::Zero();
    for (size_t i = 0; i < points.T.size(); ++i) {
        const double distance = sign * (points.A[i] - end);
        if (!(distance > 0)) continue;
        const double weight = distance * distance;
        const Eigen::Vector2d row(1, points.T[i] - points.T.front());
        normal += weight * row * row.transpose();
        right += weight * std::log(distance) * row;
    }
    const Eigen::Vector2d line = normal.ldlt().solve(right);
    const double span = points.T.back() - points.T.front();
    Eigen::VectorXd p(endFree ? 3 : 2);
    const bool usable = line.allFinite();
    // Back from the first point's time to t = 0.
    p(0) = usable ? end + sign * std::exp(line(0) - line(1) * points.T.front()) : points.A.front();
    // A flat start still gets a decay to begin with; the iteration finds where it goes.
    p(1) = usable && line(1) < 0 ? -line(1) : 1 / std::max(span, 1e-9);
    if (!std::isfinite(p(0))) p(0) = points.A.front();
    if (endFree) p(2) = end;
    // At that k′ the law is linear in A₀ and A∞: take their best values for it, which mends the
    // guessed end value.
    Eigen::Matrix2d normalAt = Eigen::Matrix2d::Zero();
    Eigen::Vector2d rightAt = Eigen::Vector2d::Zero();
    Exponentials exponentials(points.T, p(1));
    for (size_t i = 0; i < points.T.size(); ++i) {
        const double e = exponentials.Next();
        const Eigen::Vector2d row(e, endFree ? 1 - e : 0);
        normalAt += row * row.transpose();
        rightAt += points.A[i] * row;
    }
    if (!endFree) normalAt(1, 1) = 1;
    const Eigen::Vector2d levels = normalAt.ldlt().solve(rightAt);
    if (levels.allFinite()) {
        p(0) = levels(0);
        if (endFree) p(2) = levels(1);
    }
    return p;
}

// Levenberg–Marquardt with the damping scaled to the diagonal, from `at`, which it leaves at the
// minimum; false when it does not settle.
bool Iterate(const Points& points, bool endFree, Linearised& at) {
    double lambda = 1e-3;
    for (int iteration = 0; iteration < MaxIterations; ++iteration) {
        Eigen::MatrixXd damped = at.Normal;
        damped.diagonal() += lambda * at.Normal.diagonal().cwiseMax(1e-12);
        const Eigen::VectorXd step = damped.ldlt().solve(at.Gradient);
        if (!step.allFinite()) return false;
        // A step below the parameters' rounding: nothing is left to gain.
        if (step.cwiseAbs().maxCoeff() <= 1e-12 * (at.P.cwiseAbs().maxCoeff() + 1e-12)) return true;
        Linearised next = Linearise(points, endFree, at.P + step);
        if (std::isfinite(next.Sum) && next.Sum <= at.Sum) {
            const bool settled = at.Sum - next.Sum <= 1e-10 * at.Sum;
            at = std::move(next);
            if (settled) return true;
            lambda = std::max(lambda / 10, 1e-12);
        } else if ((lambda *= 10) > 1e10) {
            return true; // no step lowers the sum any further: the minimum
        }
    }
    return false;
}

Outcome FitFirstOrder(const Points& points, bool endFree) {
    const int parameters = endFree ? 3 : 2;
    if (int(points.T.size()) < parameters) return TooFew(points.T.size(), parameters);
    const auto [low, high] = std::minmax_element(points.A.begin(), points.A.end());
    if (*low == *high) return Outcome::Failure(NoConvergence);

    Linearised at = Linearise(points, endFree, StartValues(points, endFree));
    const Eigen::VectorXd& p = at.P;
    const double span = points.T.back() - points.T.front();
    if (!Iterate(points, endFree, at) || !p.allFinite() || !(p(1) * span > 1e-3) ||
        (endFree && std::fabs(p(2) - p(0)) > 1e3 * (*high - *low)))
        return Outcome::Failure(NoConvergence);

    const int n = int(points.T.size());
    const double sum = at.Sum;
    const double variance = n > parameters ? sum / (n - parameters) : 0.0;
    const Eigen::FullPivLU<Eigen::MatrixXd> lu(at.Normal);
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
    const double margin = 3 * std::sqrt(variance / tail) + 1e-9 * (*high - *low);
    if (direction * (tailMean - fit.EndValue) < -margin)
        return Outcome::Failure(direction > 0
                                    ? "A∞ liegt über den Messwerten am Ende des Bereichs: die Werte "
                                      "fallen unter den Endwert, das Gesetz 1. Ordnung passt nicht."
                                    : "A∞ liegt unter den Messwerten am Ende des Bereichs: die Werte "
                                      "steigen über den Endwert, das Gesetz 1. Ordnung passt nicht.");

    double mean = 0, total = 0;
    for (int i = 0; i < n; ++i)
        mean += points.W[size_t(i)] * points.A[size_t(i)] / n;
    for (int i = 0; i < n; ++i)
        total += points.W[size_t(i)] * (points.A[size_t(i)] - mean) * (points.A[size_t(i)] - mean);
    fit.RSquared = 1 - sum / total;
    DropUnfoundedErrors(fit, parameters);
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
                                   const KineticFitRequest& request,
                                   const std::vector<double>& uncertainties) {
    const Points points = InRange(times, values, request, uncertainties);
    if (request.Order == ReactionOrder::First) return FitFirstOrder(points, request.EndValueFree);
    return FitStraight(points, request.Order);
}
