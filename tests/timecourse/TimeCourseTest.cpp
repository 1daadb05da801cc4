// SPDX-License-Identifier: GPL-3.0-or-later
// The time course of a series, read from spectra whose absorbance is known.
#include "timecourse/TimeCourse.h"
#include "files/TimeSeriesFile.h"
#include "timecourse/TimeCourseDlg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

constexpr int Exposure = 40;
constexpr double Blank = 800;

ChannelReadings Flat(double digits) {
    ChannelReadings readings;
    readings.fill(int32_t(std::nearbyint(digits)));
    return readings;
}

// A series with a blank of 800 Digits as its reference, so that a flat spectrum of 800 · 10^−A has the
// absorbance A at every wavelength.
TimedSeries BlankSeries() {
    TimedSeries series;
    series.Reference = EvidenceOfReadings(Flat(Blank), Exposure, 8);
    return series;
}

void Add(TimedSeries& series, double time, int32_t point, double digits) {
    series.Spectra.push_back(MakeSeriesSpectrum(Flat(digits), time, point, Exposure));
}

// A decay from A₀ 2,6 to A∞ 0,2 with k′ 0,01 1/s as the instrument gives it: a lamp of 900 Digits over
// a dark of 30, each reading scattered by 2 Digits and 0,5 % of its light; dark and reference the means
// of eight spectra, every point of the course the mean of four. Its first points hold less light than
// the noise resolves.
TimedSeries NoisyDecay() {
    constexpr double Dark = 30, Lamp = 900;
    std::mt19937 random(5);
    std::normal_distribution<double> unit(0, 1);
    const auto reading = [&](double digits) {
        return std::clamp(int32_t(std::nearbyint(digits + (2 + 0.005 * digits) * unit(random))), 0, 1023);
    };
    const auto stored = [&](double digits) {
        Evidence spectrum;
        spectrum.Exposure = Exposure;
        spectrum.Count = 8;
        for (int c = 0; c < ChannelCount; ++c) {
            double sum = 0, squares = 0;
            for (int i = 0; i < 8; ++i) {
                const double r = reading(digits);
                sum += r;
                squares += r * r;
            }
            spectrum.Mean[c] = sum / 8;
            spectrum.Spread[c] = std::sqrt(std::max(squares - sum * sum / 8, 0.0) / 7);
        }
        return spectrum;
    };
    TimedSeries series;
    series.Plan.Interval = 5;
    series.Plan.Averaging = 4;
    series.Dark = stored(Dark);
    series.Reference = stored(Lamp);
    for (int point = 0; point < 120; ++point)
        for (int i = 0; i < 4; ++i) {
            const double t = 5.0 * point + 1.0 * i;
            const double a = 0.2 + 2.4 * std::exp(-0.01 * t);
            ChannelReadings readings;
            for (int32_t& r : readings)
                r = reading(Dark + (Lamp - Dark) * std::pow(10.0, -a));
            SeriesSpectrum spectrum = MakeSeriesSpectrum(readings, t, point, Exposure);
            spectrum.DarkSubtracted = true;
            spectrum.ReferenceInForce = true;
            spectrum.Averaging = 4;
            series.Spectra.push_back(spectrum);
        }
    return series;
}

} // namespace

TEST(TimeCourseTest, ADecayStartingBeyondThePrecisionIsFittedWithoutItsBounds) {
    const TimedSeries series = NoisyDecay();
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590}, 0);
    const std::vector<CoursePoint>& curve = course.Curves()[0];
    ASSERT_EQ(curve.size(), 120u);
    ASSERT_TRUE(curve[0].Value.Value);
    EXPECT_TRUE(curve[0].Value.Bound) << "A 2,6 holds less light than the noise resolves";
    EXPECT_EQ(PointText(curve[0].Value, SeriesQuantity::Absorbance).rfind("> 2,", 0), 0u);
    EXPECT_FALSE(curve[119].Value.Bound);

    const TimeCourse::CourseFit fit = course.Fit(0, FitRequest(CourseModel::FirstOrderEndFree, 0, 1000));
    ASSERT_TRUE(fit.Outcome.Ok()) << fit.Outcome.Message();
    std::printf("k' %.5f +- %.5f 1/s from %d points, %d bounds left out\n", fit.Outcome->RateConstant,
                fit.Outcome->RateConstantError, fit.Outcome->Count, fit.Bounds);
    EXPECT_GT(fit.Bounds, 0);
    EXPECT_EQ(fit.Outcome->Count + fit.Bounds + fit.Gaps, 120);
    EXPECT_EQ(
        fit.LeftOutText().rfind(std::to_string(fit.Bounds) + " Punkte ausgelassen: nur eine Schranke", 0),
        0u);
    EXPECT_NEAR(fit.Outcome->RateConstant, 0.01, 0.0002);
    EXPECT_LE(std::fabs(fit.Outcome->RateConstant - 0.01), 2 * fit.Outcome->RateConstantError);

    // Its file gives back the same points to the last digit shown, and the same fit.
    std::string bytes = TimeSeriesHeaderBytes(series);
    for (const SeriesSpectrum& spectrum : series.Spectra)
        bytes += TimeSeriesRowBytes(spectrum);
    const TimeSeriesFileLoad load = ParseTimeSeriesFile(bytes);
    ASSERT_TRUE(load.Series);
    EXPECT_TRUE(load.Report.isEmpty()) << load.Report.toStdString();
    TimeCourse loaded(*load.Series);
    loaded.Recompute(SeriesQuantity::Absorbance, {590}, 0);
    ASSERT_EQ(loaded.Curves()[0].size(), 120u);
    for (size_t i = 0; i < 120; ++i)
        EXPECT_EQ(PointText(loaded.Curves()[0][i].Value, SeriesQuantity::Absorbance),
                  PointText(curve[i].Value, SeriesQuantity::Absorbance))
            << i;
    const TimeCourse::CourseFit again = loaded.Fit(0, FitRequest(CourseModel::FirstOrderEndFree, 0, 1000));
    ASSERT_TRUE(again.Outcome.Ok());
    std::printf("after loading: k' %.5f +- %.5f 1/s, %d bounds left out\n", again.Outcome->RateConstant,
                again.Outcome->RateConstantError, again.Bounds);
    EXPECT_NEAR(again.Outcome->RateConstant, fit.Outcome->RateConstant, 1e-7);
    EXPECT_EQ(again.Bounds, fit.Bounds);

    // The table writes a bound as one.
    const std::string table = NumberTableBytes(CourseTable(course, {}, nullptr, 0, 0, 0));
    EXPECT_NE(table.find("\r\n1,50;> 2,"), std::string::npos) << table.substr(0, 200);
}

TEST(TimeCourseTest, OnePointPerIntervalTheMeanOfItsSpectraReadAnewAsItGrows) {
    TimedSeries series = BlankSeries();
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590, 500}, 2);
    ASSERT_EQ(course.Curves().size(), 2u);
    EXPECT_TRUE(course.Curves()[0].empty());

    Add(series, 0.1, 0, 80); // A = 1
    Add(series, 1.1, 1, 400);
    course.SpectraAdded();
    ASSERT_EQ(course.Curves()[1].size(), 2u);
    EXPECT_NEAR(*course.Curves()[1][0].Value.Value, 1.0, 0.003);
    EXPECT_NEAR(*course.Curves()[0][1].Value.Value, std::log10(2.0), 0.003);

    // A second spectrum of the same interval joins its point: the mean of 400 and 200 is 300.
    Add(series, 1.6, 1, 200);
    Add(series, 2.1, 2, 800);
    course.SpectraAdded();
    ASSERT_EQ(course.Curves()[0].size(), 3u);
    EXPECT_NEAR(*course.Curves()[0][1].Value.Value, std::log10(Blank / 300), 0.003);
    EXPECT_DOUBLE_EQ(course.Curves()[0][1].Time, 1.35) << "the mean of its spectra's true times";
    EXPECT_NEAR(*course.Curves()[0][2].Value.Value, 0.0, 0.003);

    Add(series, 2.4, 2, 400);
    course.SpectraAdded();
    ASSERT_EQ(course.Curves()[0].size(), 3u) << "a grown last point is replaced, not added";
    EXPECT_NEAR(*course.Curves()[0][2].Value.Value, std::log10(Blank / 600), 0.003);

    course.Recompute(SeriesQuantity::TransmissionPercent, {590}, 0);
    ASSERT_EQ(course.Curves().size(), 1u);
    ASSERT_EQ(course.Curves()[0].size(), 3u);
    EXPECT_NEAR(*course.Curves()[0][0].Value.Value, 10.0, 0.1);
}

TEST(TimeCourseTest, ASaturatedPointIsAGapWithItsReason) {
    TimedSeries series = BlankSeries();
    Add(series, 0, 0, 400);
    Add(series, 1, 1, 1023);
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Intensity, {590}, 2);
    ASSERT_EQ(course.Curves()[0].size(), 2u);
    EXPECT_TRUE(course.Curves()[0][0].Value.Value);
    EXPECT_FALSE(course.Curves()[0][1].Value.Value);
    EXPECT_FALSE(course.Curves()[0][1].Value.Reason.empty());
}

// The exposure moved mid-series: the points after it have neither dark nor reference of their own and are
// gaps; the points with a value all had the dark taken off, and nothing says otherwise.
TEST(TimeCourseTest, OhneDunkelabzugOnlyWhereAPointWithAValueLacksIt) {
    TimedSeries series = BlankSeries();
    series.Dark = EvidenceOfReadings(Flat(0), Exposure, 8);
    for (int i = 0; i < 6; ++i) {
        series.Spectra.push_back(
            MakeSeriesSpectrum(Flat(80 + 40 * i), i, i, i < 4 ? Exposure : Exposure + 10));
        series.Spectra.back().DarkSubtracted = i < 4;
    }
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590}, 0);
    EXPECT_FALSE(course.Curves()[0][5].Value.Value);
    EXPECT_FALSE(course.WithoutDark());
    const TimeCourse::CourseFit fit = course.Fit(0, FitRequest(CourseModel::ZerothOrder, 0, 10));
    EXPECT_FALSE(fit.WithoutDark);
    EXPECT_EQ(fit.Gaps, 2);

    series.Spectra[1].DarkSubtracted = false; // a point with a value measured without it
    course.Recompute(SeriesQuantity::Absorbance, {590}, 0);
    EXPECT_TRUE(course.WithoutDark());
    EXPECT_TRUE(course.Fit(0, FitRequest(CourseModel::ZerothOrder, 0, 10)).WithoutDark);
    EXPECT_FALSE(course.Fit(0, FitRequest(CourseModel::ZerothOrder, 2, 10)).WithoutDark)
        << "outside the range";
}

TEST(TimeCourseTest, FitsTheCurveChosenOverItsPointsWithValues) {
    TimedSeries series = BlankSeries();
    // A = 0.06 + 1.14 · e^(−t/200): k′ = 0.005 1/s.
    for (int i = 0; i < 60; ++i) {
        const double t = 10.0 * i;
        Add(series, t, i, Blank * std::pow(10.0, -(0.06 + 1.14 * std::exp(-t / 200))));
    }
    Add(series, 600, 60, 1023); // saturated: left out, not taken for a number
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590}, 2);
    const FitOutcome<KineticFit> fit =
        course.Fit(0, FitRequest(CourseModel::FirstOrderEndFree, 0, 1000)).Outcome;
    ASSERT_TRUE(fit.Ok()) << fit.Message();
    EXPECT_NEAR(fit->RateConstant, 0.005, 0.005 * 0.03);
    EXPECT_NEAR(fit->EndValue, 0.06, 0.02);
    EXPECT_EQ(fit->Count, 60);
    EXPECT_FALSE(course.Fit(3, FitRequest(CourseModel::FirstOrderEndFree, 0, 1000)).Outcome.Ok())
        << "a curve that isn't there has no points";
}

TEST(TimeCourseTest, TheTableForASpreadsheetHasATimeColumnOneColumnPerWavelengthAndTheFitInItsRange) {
    TimedSeries series = BlankSeries();
    Add(series, 0, 0, 80);
    Add(series, 1.25, 1, 400);
    Add(series, 2, 2, 1023);
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590, 512.5}, 2);
    EXPECT_EQ(NumberTableBytes(CourseTable(course, {"Zeitreihe: a;b", "Band: ± 2 nm"}, nullptr, 0, 0, 0)),
              "\"Zeitreihe: a;b\";Band: \xB1 2 nm\r\n"
              "t in s;Extinktion 590 nm;u 590 nm;Extinktion 512,5 nm;u 512,5 nm\r\n"
              "0,00;1,0000;0,01083;1,0000;0,01083\r\n1,25;0,3010;0,00480;0,3010;0,00480\r\n2,00;;;;\r\n");

    KineticFit fit;
    fit.Order = ReactionOrder::Zeroth;
    fit.StartValue = 1;
    fit.RateConstant = 0.5;
    const std::string bytes = NumberTableBytes(CourseTable(course, {}, &fit, 1, 1, 2));
    EXPECT_NE(bytes.find("u 512,5 nm;Anpassung 512,5 nm\r\n0,00;1,0000;0,01083;1,0000;0,01083;\r\n"
                         "1,25;0,3010;0,00480;0,3010;0,00480;0,3750\r\n2,00;;;;;0,0000\r\n"),
              std::string::npos)
        << bytes;
    EXPECT_EQ(TableSpelling("k′ = 1, A₀ = 2, A∞ = 0, t½ = 3"), "k' = 1, A0 = 2, A(Ende) = 0, t½ = 3");
}

TEST(TimeCourseTest, PlotsTheValueItsLogarithmAboveTheEndOrItsReciprocal) {
    struct Case {
        double Value;
        CoursePlot Plot;
        double End;
        std::optional<double> Expected;
    };
    const Case cases[] = {
        {0.5, CoursePlot::Value, 0.1, 0.5},
        {-0.2, CoursePlot::Value, 0, -0.2},
        {1.1, CoursePlot::LogAboveEnd, 0.1, 0.0},
        {std::exp(1.0) + 0.1, CoursePlot::LogAboveEnd, 0.1, 1.0},
        {0.1, CoursePlot::LogAboveEnd, 0.1, std::nullopt},
        {0.05, CoursePlot::LogAboveEnd, 0.1, std::nullopt},
        {0.25, CoursePlot::Reciprocal, 0, 4.0},
        {0, CoursePlot::Reciprocal, 0, std::nullopt},
        {-0.5, CoursePlot::Reciprocal, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<double> plotted = Plotted(c.Value, c.Plot, c.End);
        ASSERT_EQ(plotted.has_value(), c.Expected.has_value()) << c.Value << " in plot " << int(c.Plot);
        if (plotted) {
            EXPECT_NEAR(*plotted, *c.Expected, 1e-12) << c.Value << " in plot " << int(c.Plot);
        }
    }
}

TEST(TimeCourseTest, FitRequestsAndTheirParameters) {
    const KineticFitRequest free = FitRequest(CourseModel::FirstOrderEndFree, 90, 30);
    EXPECT_EQ(free.Order, ReactionOrder::First);
    EXPECT_TRUE(free.EndValueFree);
    EXPECT_EQ(free.From, 30) << "a range dragged leftwards is the same range";
    EXPECT_EQ(free.To, 90);
    EXPECT_FALSE(FitRequest(CourseModel::FirstOrderEndZero, 0, 1).EndValueFree);
    EXPECT_EQ(FitRequest(CourseModel::ZerothOrder, 0, 1).Order, ReactionOrder::Zeroth);
    EXPECT_EQ(FitRequest(CourseModel::SecondOrder, 0, 1).Order, ReactionOrder::Second);

    KineticFit fit;
    fit.Order = ReactionOrder::First;
    fit.EndValueFree = true;
    fit.RateConstant = 0.0046667;
    fit.RateConstantError = 0.0000123;
    fit.StartValue = 1.2034;
    fit.StartValueError = 0.0021;
    fit.EndValue = 0.0612;
    fit.EndValueError = 0.0008;
    fit.HalfLife = 148.53;
    fit.HalfLifeError = 0.39;
    fit.RSquared = 0.99953;
    fit.Count = 412;
    EXPECT_EQ(FitText(fit, false),
              "k′ = 0,004667 ± 0,000012 1/s\nA₀ = 1,2034 ± 0,0021\nA∞ = 0,06120 ± 0,00080\n"
              "t½ = 148,53 ± 0,39 s\nR² = 0,9995\n412 Punkte");
    EXPECT_EQ(FitText(fit, true).section(u'\n', 0, 0), "k′ = 0,28000 ± 0,00074 1/min");
    EXPECT_EQ(FitText(fit, true).section(u'\n', 3, 3), "t½ = 2,4755 ± 0,0065 min");
    fit.EndValueFree = false;
    EXPECT_EQ(FitText(fit, false).section(u'\n', 2, 2), "A∞ = 0 (fest)");
    fit.Order = ReactionOrder::Second;
    EXPECT_EQ(FitText(fit, false).section(u'\n', 0, 0), "k = 0,004667 ± 0,000012 1/(A·s)");
    EXPECT_EQ(FitText(fit, true).section(u'\n', 0, 0), "k = 0,28000 ± 0,00074 1/(A·min)");
    EXPECT_EQ(FitText(fit, false).section(u'\n', 2, 2), "t½ = 148,53 ± 0,39 s")
        << "no end value but first order's";
    EXPECT_EQ(FitText(fit, false).section(u'\n', 3, 3), "R² (1/A) = 0,9995")
        << "the R² of the line through 1/A";
    fit.Order = ReactionOrder::Zeroth;
    EXPECT_EQ(FitText(fit, true).section(u'\n', 0, 0), "k = 0,28000 ± 0,00074 A/min");
    EXPECT_EQ(FitText(fit, false).section(u'\n', 3, 3), "R² = 0,9995");
    // One degree of freedom or none: the values alone, and why.
    fit.RateConstantError = fit.StartValueError = fit.HalfLifeError = 0;
    fit.Count = 3;
    fit.NoErrorReason = "Ohne Unsicherheit: 3 Punkte für 2 Parameter …";
    EXPECT_EQ(FitText(fit, false), "k = 0,004667 A/s\nA₀ = 1,203\nt½ = 148,5 s\nR² = 0,9995\n3 Punkte\n"
                                   "Ohne Unsicherheit: 3 Punkte für 2 Parameter …");
}
