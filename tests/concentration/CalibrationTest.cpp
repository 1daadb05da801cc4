// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration line of a concentration series: the fits, which standards stay out and why, and the
// samples' concentrations, with answers worked by hand (a reference of 1000 Digits and a sample of
// 500, 250 or 125 Digits give A = log₁₀ 2, 2 log₁₀ 2 and 3 log₁₀ 2).
#include "concentration/Calibration.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double Log2 = std::log10(2.0);

// Means of 16 spectra at exposure 40: the sample shows `shown` Digits (with the dark taken off where
// there is one), the reference `reference` as measured.
RowSpectrum Flat(int32_t shown, int32_t reference = 1000, std::optional<int32_t> dark = std::nullopt) {
    ChannelReadings sample{}, blank{};
    sample.fill(shown + dark.value_or(0));
    blank.fill(reference);
    RowSpectrum spectrum{EvidenceOfReadings(sample, 40, 16), std::nullopt, EvidenceOfReadings(blank, 40, 16)};
    if (dark) {
        ChannelReadings readings{};
        readings.fill(*dark);
        spectrum.Dark = EvidenceOfReadings(readings, 40, 16);
        spectrum.Sample.DarkSubtracted = true;
    }
    return spectrum;
}

// A spectrum whose sample went to full scale in one spectrum of its mean, though the mean stays below.
RowSpectrum OnceSaturated() {
    RowSpectrum spectrum = Flat(500);
    spectrum.Sample.Saturated.set();
    return spectrum;
}

// A sample whose dark was taken at another exposure.
RowSpectrum DarkOfAnotherExposure() {
    RowSpectrum spectrum = Flat(500, 1000, 20);
    spectrum.Dark->Exposure = 30;
    return spectrum;
}

SeriesRow Standard(double c, std::optional<RowSpectrum> spectrum, std::optional<bool> byHand = std::nullopt) {
    SeriesRow row;
    row.Name = "S";
    row.Concentration = c;
    row.Spectrum = spectrum;
    row.InLineByHand = byHand;
    return row;
}

SeriesRow Sample(int32_t shown, double dilution) {
    SeriesRow row;
    row.Kind = RowKind::Sample;
    row.Dilution = dilution;
    row.Spectrum = Flat(shown);
    return row;
}

// Three standards on the line A = log₁₀2 / 10 · c.
ConcentrationSeries ThreeStandards() {
    ConcentrationSeries series;
    series.Rows = {Standard(10, Flat(500)), Standard(20, Flat(250)), Standard(30, Flat(125))};
    return series;
}

TEST(CalibrationLineTest, EachExclusionKeepsItsStandardOutOfTheLine) {
    struct Case {
        const char* what;
        SeriesRow row;
        Exclusion reason;
        const char* text;
    };
    const Case cases[] = {
        {"not measured", Standard(40, std::nullopt), Exclusion::NotMeasured, "nicht gemessen"},
        {"reference saturated", Standard(40, Flat(60, 1023)), Exclusion::NoValue,
         "Referenz \u00fcbersteuert"},
        {"sample saturated under its dark", Standard(40, Flat(1000, 1010, 23)), Exclusion::NoValue,
         "\u00fcbersteuert"},
        {"saturated in one spectrum of the mean", Standard(40, OnceSaturated()), Exclusion::NoValue,
         "\u00fcbersteuert"},
        {"dark of another exposure", Standard(40, DarkOfAnotherExposure()), Exclusion::NoValue,
         "kein Dunkelspektrum bei dieser Belichtung"},
        {"reference too weak", Standard(40, Flat(1, 1)), Exclusion::NoValue, "Referenz zu schwach"},
        {"no light through: a bound", Standard(40, Flat(0)), Exclusion::NoValue,
         "Licht der Probe nicht aufgel\u00f6st"},
        {"bound stays out when asked in", Standard(40, Flat(0), true), Exclusion::NoValue,
         "Licht der Probe nicht aufgel\u00f6st"},
        {"A = 2", Standard(40, Flat(10)), Exclusion::AboveLimit, "A \u00fcber 1,5"},
        {"taken out", Standard(40, Flat(63), false), Exclusion::ByHand, "von Hand herausgenommen"},
        {"saturated stays out when asked in", Standard(40, Flat(60, 1023), true), Exclusion::NoValue,
         "Referenz \u00fcbersteuert"},
    };
    for (const Case& test : cases) {
        ConcentrationSeries series = ThreeStandards();
        series.Rows.insert(series.Rows.begin() + 1, test.row);
        const CalibrationResult result = EvaluateSeries(series);
        ASSERT_EQ(result.Standards.size(), 4u) << test.what;
        EXPECT_EQ(result.Standards[1].Reason, test.reason) << test.what;
        EXPECT_EQ(ExclusionText(result.Standards[1].Reason, result.Standards[1].A.Why), test.text)
            << test.what;
        ASSERT_TRUE(result.Line) << test.what;
        EXPECT_EQ(result.Line->Count, 3) << test.what;
        EXPECT_NEAR(result.Line->Slope, Log2 / 10, 1e-9) << test.what;
    }
}

// What a row keeps of the spectrum the measurement shows: a reference of 1000 Digits and a dark of 40
// at exposure 40, single spectra 2 Digits apart, then 8 spectra of 540 Digits averaged.
TEST(CalibrationLineTest, ARowKeepsTheSpectrumAsItWasMeasured) {
    struct Case {
        const char* what;
        bool subtract;
        int32_t darkExposure;
        bool saturatedOnce;
        std::optional<double> a; // at channel 60
        Reason why;
    };
    const double log = std::log10(1000.0 / 540);
    const Case cases[] = {
        {"dark subtracted", true, 40, false, std::log10(960.0 / 500), Reason::WeakReference},
        {"dark kept, not subtracted", false, 40, false, log, Reason::WeakReference},
        {"dark of another exposure", true, 30, false, log, Reason::WeakReference},
        {"saturated in one spectrum, dark subtracted", true, 40, true, std::nullopt, Reason::SaturatedSample},
    };
    WavelengthCalibration calibration;
    for (const Case& test : cases) {
        MeasurementModes measurement;
        ChannelReadings readings{};
        const auto capture = [&](MeasurementModes::Capture what, int32_t level, int32_t exposure) {
            measurement.StartCapture(what);
            for (int i = 0; i < MeasurementModes::CaptureCount; ++i) {
                readings.fill(level + (i % 2 ? 1 : -1));
                measurement.Process(readings, exposure, calibration);
            }
        };
        capture(MeasurementModes::Capture::Dark, 40, test.darkExposure);
        capture(MeasurementModes::Capture::Reference, 1000, 40);
        measurement.SetDarkSubtraction(test.subtract);
        measurement.SetAveraging(8);
        for (int i = 0; i < 8; ++i) {
            readings.fill(540 + (i % 2 ? 2 : -2));
            // Over the top in one spectrum only: the mean of 8 stays below it.
            if (test.saturatedOnce && i == 3) readings[60] = 1023;
            measurement.Process(readings, 40, calibration);
        }
        const std::optional<RowSpectrum> row = MeasuredRow(measurement, 40);
        ASSERT_TRUE(row) << test.what;
        EXPECT_EQ(row->Sample.Count, 8) << test.what;
        EXPECT_NEAR(row->Sample.Mean[0], 540, 1e-9) << test.what << ": as the sensor read it";
        EXPECT_EQ(row->Sample.DarkSubtracted, measurement.DarkInForce(40)) << test.what;
        ASSERT_TRUE(row->Dark) << test.what;
        EXPECT_EQ(row->Dark->Exposure, test.darkExposure) << test.what;
        const Evaluation evaluation = RowEvaluation(*row);
        const ChannelResult& result = evaluation.Channels[60];
        EXPECT_EQ(result.Kind == Outcome::Value, test.a.has_value()) << test.what;
        if (test.a) EXPECT_NEAR(result.Absorbance, *test.a, 1e-6) << test.what;
        EXPECT_EQ(result.Why, test.why) << test.what;
        // The note says where the dark was not taken off, whether or not one was kept.
        SeriesRow measured;
        measured.Spectrum = row;
        EXPECT_EQ(RowNote(measured, "") == "ohne Dunkelabzug", !measurement.DarkInForce(40)) << test.what;
    }
    EXPECT_EQ(RowNote(SeriesRow{}, "nicht gemessen"), "nicht gemessen");
}

TEST(CalibrationLineTest, TeacherBringsAPointAboveTheLimitBackIn) {
    ConcentrationSeries series = ThreeStandards();
    series.Rows.push_back(Standard(40, Flat(10), true)); // A = 2, 0.796 above the line
    const CalibrationResult result = EvaluateSeries(series);
    EXPECT_EQ(result.Standards[3].Reason, Exclusion::None);
    EXPECT_EQ(result.Line->Count, 4);
    // Through the origin: b = Σ c·A / Σ c² = (140 log₁₀2 + 40 · 2) / 3000.
    EXPECT_NEAR(result.Line->Slope, (140 * Log2 + 80) / 3000, 1e-12);
    EXPECT_NEAR(*result.Standards[3].Residual, 2 - 40 * result.Line->Slope, 1e-9);
}

TEST(CalibrationLineTest, ResidualsAndTheLineWithIntercept) {
    ConcentrationSeries series = ThreeStandards();
    series.Rows.push_back(Standard(40, Flat(100))); // A = 1: above the line by 1 − 4 log₁₀2
    series.Band.ThroughOrigin = false;
    const CalibrationResult result = EvaluateSeries(series);
    ASSERT_TRUE(result.Line);
    // Hand-worked: the four points' slope (Sxy/Sxx) and intercept.
    const double slope = (-15 * Log2 - 5 * 2 * Log2 + 5 * 3 * Log2 + 15 * 1.0) / 500;
    const double meanA = (6 * Log2 + 1) / 4;
    EXPECT_NEAR(result.Line->Slope, slope, 1e-12);
    EXPECT_NEAR(result.Line->Intercept, meanA - 25 * slope, 1e-12);
    for (const StandardPoint& point : result.Standards)
        EXPECT_NEAR(*point.Residual, *point.A.Value - slope * point.Concentration - (meanA - 25 * slope),
                    1e-12);
}

TEST(CalibrationLineTest, SamplesFromTheLineTimesTheirDilution) {
    struct Case {
        int32_t shown;
        double dilution;
        bool throughOrigin;
        std::optional<double> concentration;
        const char* note;
    };
    const Case cases[] = {
        {353, 2, true, 2 * 10 * -std::log10(0.353) / Log2, ""}, // 15.02 mg/L measured, 30.05 in the sample
        {353, 1, false, 10 * -std::log10(0.353) / Log2, ""},
        {1000, 5, true, 0.0, ""},                                          // at the origin: in range
        {1000, 1, false, std::nullopt, "au\u00dferhalb der Kalibrierung"}, // below the lowest standard
        {100, 1, true, std::nullopt, "au\u00dferhalb der Kalibrierung"},
        {1023, 1, true, std::nullopt, "\u00fcbersteuert"},
        {0, 1, true, std::nullopt, "Licht der Probe nicht aufgel\u00f6st"},
    };
    for (const Case& test : cases) {
        ConcentrationSeries series = ThreeStandards();
        series.Band.ThroughOrigin = test.throughOrigin;
        series.Rows.push_back(Sample(test.shown, test.dilution));
        const CalibrationResult result = EvaluateSeries(series);
        ASSERT_EQ(result.Samples.size(), 1u);
        const SampleResult& sample = result.Samples[0];
        EXPECT_EQ(sample.Note, test.note) << test.shown;
        ASSERT_EQ(sample.Concentration.has_value(), test.concentration.has_value()) << test.shown;
        if (test.concentration) {
            EXPECT_NEAR(*sample.Concentration, *test.concentration, 1e-9) << test.shown;
        }
    }
}

TEST(CalibrationLineTest, SampleUncertaintyScalesWithTheDilution) {
    ConcentrationSeries series;
    series.Rows = {Standard(10, Flat(500)), Standard(20, Flat(250)), Standard(30, Flat(120)), Sample(353, 1),
                   Sample(353, 4)};
    const CalibrationResult result = EvaluateSeries(series);
    ASSERT_TRUE(result.Samples[0].Concentration && result.Samples[1].Concentration);
    EXPECT_GT(result.Samples[0].Uncertainty, 0.01);
    EXPECT_NEAR(result.Samples[1].Uncertainty, 4 * result.Samples[0].Uncertainty, 1e-12);
    EXPECT_EQ(EvaluateSeries(ThreeStandards()).Samples.size(), 0u);
}

TEST(CalibrationLineTest, BandAveragesTheChannelsInsideIt) {
    RowSpectrum spectrum = Flat(1000);
    WavelengthCalibration calibration;
    calibration.SetRange(400, 654); // 2 nm a channel
    spectrum.Sample.Mean[60] = 500; // 520 nm
    spectrum.Sample.Mean[61] = 250; // 522 nm
    spectrum.Sample.Mean[62] = 125; // 524 nm
    spectrum.Sample.Mean[63] = 0;   // 526 nm: no light
    const Evaluation evaluation = RowEvaluation(spectrum);
    const Absorbance band = BandAbsorbance(evaluation, calibration, 520, 524);
    EXPECT_NEAR(*band.Value, 2 * Log2, 1e-12);
    // The channels' noise is independent: the band's uncertainty is their root sum of squares over 3.
    const double u60 = evaluation.Channels[60].AbsorbanceU, u61 = evaluation.Channels[61].AbsorbanceU,
                 u62 = evaluation.Channels[62].AbsorbanceU;
    EXPECT_NEAR(band.Uncertainty, std::sqrt(u60 * u60 + u61 * u61 + u62 * u62) / 3, 1e-12);
    EXPECT_EQ(AbsorbanceText(BandAbsorbance(evaluation, calibration, 522, 522)),
              UncertainText(2 * Log2, u61));
    EXPECT_NEAR(*BandAbsorbance(evaluation, calibration, 519, 523.5).Value, 1.5 * Log2, 1e-12);
    EXPECT_NEAR(*BandAbsorbance(evaluation, calibration, 522.2, 522.4).Value, 2 * Log2, 1e-12);
    // A channel without light makes the band a bound: A is at least that.
    const Absorbance bound = BandAbsorbance(evaluation, calibration, 522, 526);
    EXPECT_FALSE(bound.Value);
    ASSERT_TRUE(bound.AtLeast);
    EXPECT_EQ(AbsorbanceText(bound), "> " + DecimalText(*bound.AtLeast, 3));
    EXPECT_EQ(bound.Why, Reason::Unresolved);
    EXPECT_EQ(BandChannels(calibration, 524, 520), std::make_pair(60, 62));
}

TEST(CalibrationLineTest, NumbersAndUnitsAsTheWindowWritesThem) {
    EXPECT_EQ(DecimalText(0.012549, 3), "0,0125");
    EXPECT_EQ(DecimalText(2412.6, 3), "2413");
    EXPECT_EQ(DecimalText(0.99964, 4), "0,9996");
    EXPECT_EQ(DecimalText(-0.000012, 2), "-0,000012");
    EXPECT_EQ(DecimalText(-1e-17, 3), "0,00") << "rounding's remains of a zero";
    EXPECT_EQ(SlopeUnitText(ConcentrationUnit::MicromolPerLitre), "L/\u00b5mol");
    EXPECT_EQ(SlopeUnitText(ConcentrationUnit::GramPerLitre), "L/g");
    EXPECT_EQ(UnitText(ConcentrationUnit::MillimolPerLitre), "mmol/L");
}

} // namespace
