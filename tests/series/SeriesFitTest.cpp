// SPDX-License-Identifier: GPL-3.0-or-later
// The straight lines and rate laws a class fits, on exact curves, on noisy ones and on data that must
// give a message instead of numbers.
#include "series/KineticFit.h"
#include "series/LineFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

constexpr double Minute = 60;

struct KineticCase {
    const char* name;
    KineticFitRequest request;
    std::function<double(double)> curve;
    double noise; // standard deviation added to every value
    double end;   // last time; points every `step` s from 0
    double step;
    double k, a0, aEnd;  // the expected answer; ignored where a message is expected
    double tolerance;    // relative for k, absolute for A₀ and A∞
    const char* message; // start of the expected message, or nullptr
    // Start of why the fit states no uncertainty, or nullptr where it states one.
    const char* noError = nullptr;
};

KineticFitRequest Request(ReactionOrder order, bool endFree = true, double from = 0, double to = 1e9) {
    return {order, endFree, from, to};
}

std::function<double(double)> Exponential(double a0, double aEnd, double k) {
    return [=](double t) { return aEnd + (a0 - aEnd) * std::exp(-k * t); };
}

const KineticCase kineticCases[] = {
    // Crystal violet bleached by hydroxide: k′ = 0.28 min⁻¹ toward 0.06.
    {"first order exact, end free", Request(ReactionOrder::First), Exponential(1.2, 0.06, 0.28 / Minute), 0,
     900, 5, 0.28 / Minute, 1.2, 0.06, 1e-6, nullptr},
    {"first order exact, end held at 0", Request(ReactionOrder::First, false), Exponential(1.0, 0, 0.01), 0,
     300, 2, 0.01, 1.0, 0, 1e-6, nullptr},
    {"first order with lamp noise", Request(ReactionOrder::First), Exponential(1.2, 0.06, 0.28 / Minute),
     0.004, 900, 1, 0.28 / Minute, 1.2, 0.06, 0.02, nullptr},
    {"first order rising to its end", Request(ReactionOrder::First), Exponential(0.1, 0.9, 0.02), 0, 400, 2,
     0.02, 0.1, 0.9, 1e-6, nullptr},
    {"first order over a range after a disturbed start", Request(ReactionOrder::First, true, 30, 600),
     [](double t) { return t < 30 ? 2.5 : 0.2 + 0.8 * std::exp(-0.005 * t); }, 0, 600, 3, 0.005, 1.0, 0.2,
     1e-6, nullptr},
    {"zeroth order exact", Request(ReactionOrder::Zeroth), [](double t) { return 0.8 - 0.001 * t; }, 0, 500,
     10, 0.001, 0.8, 0, 1e-9, nullptr},
    {"second order exact", Request(ReactionOrder::Second), [](double t) { return 1 / (1 / 0.8 + 0.02 * t); },
     0, 300, 5, 0.02, 0.8, 0, 1e-9, nullptr},
    {"first order, three points for three parameters", Request(ReactionOrder::First),
     Exponential(1, 0.1, 0.1), 0, 20, 10, 0.1, 1, 0.1, 1e-6, nullptr,
     "Ohne Unsicherheit: 3 Punkte legen die 3 Parameter genau fest"},
    {"first order held at 0, three points for two parameters", Request(ReactionOrder::First, false),
     Exponential(1, 0, 0.1), 0, 20, 10, 0.1, 1, 0, 1e-6, nullptr,
     "Ohne Unsicherheit: 3 Punkte für 2 Parameter lassen nur einen Freiheitsgrad"},
    {"first order held at 0, one point", Request(ReactionOrder::First, false), Exponential(1, 0, 0.1), 0, 0,
     10, 0, 0, 0, 0, "Zu wenige Messpunkte im Bereich: 1 (mindestens 2 nötig)."},
    {"zeroth order, range holding two points", Request(ReactionOrder::Zeroth, true, 95, 115),
     [](double t) { return 1 - 0.001 * t; }, 0, 500, 10, 0.001, 1, 0, 1e-9, nullptr,
     "Ohne Unsicherheit: 2 Punkte legen die 2 Parameter genau fest"},
    {"second order, three points for two parameters", Request(ReactionOrder::Second),
     [](double t) { return 1 / (1 / 0.8 + 0.02 * t); }, 0, 10, 5, 0.02, 0.8, 0, 1e-9, nullptr,
     "Ohne Unsicherheit: 3 Punkte für 2 Parameter lassen nur einen Freiheitsgrad"},
    {"zeroth order, range holding one point", Request(ReactionOrder::Zeroth, true, 95, 105),
     [](double t) { return 1 - 0.001 * t; }, 0, 500, 10, 0, 0, 0, 0,
     "Zu wenige Messpunkte im Bereich: 1 (mindestens 2 nötig)."},
    {"first order on a constant", Request(ReactionOrder::First), [](double) { return 0.5; }, 0, 100, 1, 0, 0,
     0, 0, "Die Anpassung 1. Ordnung konvergiert nicht"},
    {"first order on a straight decline", Request(ReactionOrder::First),
     [](double t) { return 1 - 0.001 * t; }, 0, 200, 1, 0, 0, 0, 0,
     "Die Anpassung 1. Ordnung konvergiert nicht"},
    {"end held at 0 above values that fall below it", Request(ReactionOrder::First, false),
     Exponential(1.0, -0.08, 0.02), 0.002, 600, 2, 0, 0, 0, 0, "A∞ liegt über den Messwerten"},
    {"second order through values at 0", Request(ReactionOrder::Second),
     [](double t) { return 0.5 - 0.005 * t; }, 0, 100, 5, 0, 0, 0, 0,
     "Für 1/A müssen alle Extinktionen im Bereich über 0 liegen."},
    {"zeroth order rising", Request(ReactionOrder::Zeroth), [](double t) { return 0.1 + 0.001 * t; }, 0, 100,
     5, 0, 0, 0, 0, "Im Bereich nimmt A nicht ab"},
};

class KineticFitTest : public ::testing::TestWithParam<KineticCase> {};

TEST_P(KineticFitTest, FitsOrExplains) {
    const KineticCase& c = GetParam();
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, c.noise > 0 ? c.noise : 1);
    std::vector<double> times, values;
    for (double t = 0; t <= c.end + 1e-9; t += c.step) {
        times.push_back(t);
        values.push_back(c.curve(t) + (c.noise > 0 ? noise(random) : 0));
    }
    const FitOutcome<KineticFit> fit = FitKinetics(times, values, c.request);
    if (c.message) {
        ASSERT_FALSE(fit.Ok());
        EXPECT_EQ(fit.Message().rfind(c.message, 0), 0u) << fit.Message();
        return;
    }
    ASSERT_TRUE(fit.Ok()) << fit.Message();
    EXPECT_NEAR(fit->RateConstant, c.k, c.tolerance * c.k);
    EXPECT_NEAR(fit->StartValue, c.a0, c.tolerance);
    EXPECT_NEAR(fit->EndValue, c.aEnd, c.tolerance);
    const int parameters = c.request.Order != ReactionOrder::First ? 2 : c.request.EndValueFree ? 3 : 2;
    if (c.noError) {
        EXPECT_EQ(fit->NoErrorReason.rfind(c.noError, 0), 0u) << fit->NoErrorReason;
        EXPECT_EQ(fit->RateConstantError, 0);
        EXPECT_EQ(fit->StartValueError, 0);
        EXPECT_EQ(fit->HalfLifeError, 0);
    } else {
        EXPECT_EQ(fit->NoErrorReason, "");
        // The stated uncertainty covers the truth, and is no wider than the tolerance needs.
        EXPECT_LE(std::fabs(fit->RateConstant - c.k), 4 * fit->RateConstantError + 1e-9 * c.k);
        EXPECT_LE(fit->RateConstantError, c.tolerance * c.k + 1e-12);
    }
    const double halfLife = c.request.Order == ReactionOrder::First    ? std::log(2.0) / c.k
                            : c.request.Order == ReactionOrder::Zeroth ? c.a0 / (2 * c.k)
                                                                       : 1 / (c.k * c.a0);
    EXPECT_NEAR(fit->HalfLife, halfLife, 2 * c.tolerance * halfLife);
    EXPECT_NEAR(fit->At(c.end / 2), c.curve(c.end / 2), 4 * c.noise + 1e-6);
    EXPECT_GT(fit->RSquared, c.noise > 0 ? 0.99 : 0.999999);
    int inRange = 0;
    for (double t : times)
        inRange += t >= c.request.From && t <= c.request.To;
    EXPECT_EQ(fit->Count, inRange);
    EXPECT_EQ(fit->DegreesOfFreedom, inRange - parameters);
}

INSTANTIATE_TEST_SUITE_P(Laws, KineticFitTest, ::testing::ValuesIn(kineticCases),
                         [](const ::testing::TestParamInfo<KineticCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// The stated uncertainties against the scatter of the fitted values over many noisy runs of one
// reaction: the linearised covariance, scaled by the scatter about the law over n − p degrees of
// freedom, must tell how far k and A₀ really wander.
struct ScatterCase {
    const char* name;
    KineticFitRequest request;
    std::function<double(double)> curve;
    int points;
    double step, noise;
};

const ScatterCase scatterCases[] = {
    // 1/A weighed as its scatter σ/A² asks; a plain line through 1/A states σ of k 22 % too small.
    {"second order", Request(ReactionOrder::Second), [](double t) { return 1 / (1 / 2.0 + 0.01 * t); }, 61, 5,
     0.005},
    // Few points, where n − p and n differ: 3 against 6 degrees of freedom.
    {"first order, six points", Request(ReactionOrder::First), Exponential(1.2, 0.1, 0.01), 6, 40, 0.002},
    {"first order held at 0, five points", Request(ReactionOrder::First, false), Exponential(1.0, 0, 0.02), 5,
     20, 0.002},
    {"zeroth order, four points", Request(ReactionOrder::Zeroth), [](double t) { return 0.9 - 0.002 * t; }, 4,
     50, 0.004},
};

class KineticScatterTest : public ::testing::TestWithParam<ScatterCase> {};

TEST_P(KineticScatterTest, StatedUncertaintiesMatchTheScatterOfRepeatedRuns) {
    const ScatterCase& c = GetParam();
    constexpr int Runs = 2000;
    std::mt19937 random(11);
    std::normal_distribution<double> noise(0, c.noise);
    std::vector<double> times;
    for (int i = 0; i < c.points; ++i)
        times.push_back(i * c.step);
    std::vector<double> k, a0;
    double statedK = 0, statedA0 = 0; // mean squares
    for (int run = 0; run < Runs; ++run) {
        std::vector<double> values;
        for (double t : times)
            values.push_back(c.curve(t) + noise(random));
        const FitOutcome<KineticFit> fit = FitKinetics(times, values, c.request);
        ASSERT_TRUE(fit.Ok()) << fit.Message();
        k.push_back(fit->RateConstant);
        a0.push_back(fit->StartValue);
        statedK += fit->RateConstantError * fit->RateConstantError / Runs;
        statedA0 += fit->StartValueError * fit->StartValueError / Runs;
    }
    const auto deviation = [](const std::vector<double>& xs) {
        double mean = 0, square = 0;
        for (double x : xs)
            mean += x / double(xs.size());
        for (double x : xs)
            square += (x - mean) * (x - mean) / double(xs.size() - 1);
        return std::sqrt(square);
    };
    EXPECT_NEAR(std::sqrt(statedK) / deviation(k), 1, 0.1);
    EXPECT_NEAR(std::sqrt(statedA0) / deviation(a0), 1, 0.1);
}

INSTANTIATE_TEST_SUITE_P(Laws, KineticScatterTest, ::testing::ValuesIn(scatterCases),
                         [](const ::testing::TestParamInfo<ScatterCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// Hand-worked: x 1…4, y 2.1, 3.9, 6.2, 7.8 give y = 1.94 x + 0.15 with s² = 0.041.
TEST(LineFitTest, KnownLineWithInterceptAndTheXReadBack) {
    const FitOutcome<LineFit> line = FitLine({1, 2, 3, 4}, {2.1, 3.9, 6.2, 7.8}, false);
    ASSERT_TRUE(line.Ok());
    EXPECT_NEAR(line->Slope, 1.94, 1e-12);
    EXPECT_NEAR(line->Intercept, 0.15, 1e-12);
    EXPECT_NEAR(line->SlopeError, 0.0905538514, 1e-9);
    EXPECT_NEAR(line->InterceptError, 0.2479919354, 1e-9);
    EXPECT_NEAR(line->RSquared, 0.9956613757, 1e-9);
    ASSERT_EQ(line->Residuals.size(), 4u);
    EXPECT_NEAR(line->Residuals[1], -0.13, 1e-12);
    EXPECT_NEAR(line->Residuals[2], 0.23, 1e-12);

    const FitOutcome<InversePrediction> centre = PredictX(*line, 5.0);
    ASSERT_TRUE(centre.Ok());
    EXPECT_NEAR(centre->X, 2.5, 1e-12);
    EXPECT_NEAR(centre->Uncertainty, 0.1166931075, 1e-9);
    EXPECT_TRUE(centre->InsideRange);
    const FitOutcome<InversePrediction> high = PredictX(*line, 8.0);
    EXPECT_NEAR(high->X, 4.0463917526, 1e-9);
    EXPECT_NEAR(high->Uncertainty, 0.1372130530, 1e-9);
    EXPECT_FALSE(high->InsideRange);
}

TEST(LineFitTest, ThroughTheOrigin) {
    const FitOutcome<LineFit> line = FitLine({1, 2, 3}, {2, 4, 6.3}, true);
    ASSERT_TRUE(line.Ok());
    EXPECT_NEAR(line->Slope, 2.0642857143, 1e-9);
    EXPECT_EQ(line->Intercept, 0);
    EXPECT_NEAR(line->SlopeError, 0.0338815464, 1e-9);
    EXPECT_NEAR(line->Residuals[2], 0.1071428571, 1e-9);
    EXPECT_NEAR(PredictX(*line, 4.128571428571)->X, 2, 1e-9);
}

TEST(LineFitTest, ExplainsWhatCantBeALine) {
    EXPECT_EQ(FitLine({1, 2}, {1, 2}, false).Message(),
              "Zu wenige Messpunkte für eine Gerade: 2 (mindestens 3 nötig).");
    EXPECT_TRUE(FitLine({1, 2}, {1, 2}, true).Ok());
    EXPECT_EQ(FitLine({3, 3, 3}, {1, 2, 3}, false).Message(),
              "Alle Messpunkte liegen bei demselben x-Wert: keine Gerade möglich.");
    const FitOutcome<LineFit> flat = FitLine({1, 2, 3}, {0.2, 0.2, 0.2}, false);
    ASSERT_TRUE(flat.Ok());
    EXPECT_FALSE(PredictX(*flat, 2).Ok());
}

} // namespace
