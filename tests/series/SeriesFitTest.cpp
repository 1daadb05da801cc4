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
    {"second order exact", Request(ReactionOrder::Second), [](double t) { return 1 / (1 / 1.0 + 0.02 * t); },
     0, 300, 5, 0.02, 1.0, 0, 1e-9, nullptr},
    {"first order, three points for three parameters", Request(ReactionOrder::First),
     Exponential(1, 0.1, 0.1), 0, 20, 10, 0, 0, 0, 0,
     "Zu wenige Messpunkte im Bereich: 3 (mindestens 4 nötig)."},
    {"first order held at 0, two points", Request(ReactionOrder::First, false), Exponential(1, 0, 0.1), 0, 10,
     10, 0, 0, 0, 0, "Zu wenige Messpunkte im Bereich: 2 (mindestens 3 nötig)."},
    {"zeroth order, range holding two points", Request(ReactionOrder::Zeroth, true, 95, 115),
     [](double t) { return 1 - 0.001 * t; }, 0, 500, 10, 0, 0, 0, 0, "Zu wenige Messpunkte im Bereich: 2"},
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
    // The stated uncertainty covers the truth, and is no wider than the tolerance needs.
    EXPECT_LE(std::fabs(fit->RateConstant - c.k), 4 * fit->RateConstantError + 1e-9 * c.k);
    EXPECT_LE(fit->RateConstantError, c.tolerance * c.k + 1e-12);
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
}

INSTANTIATE_TEST_SUITE_P(Laws, KineticFitTest, ::testing::ValuesIn(kineticCases),
                         [](const ::testing::TestParamInfo<KineticCase>& info) {
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
