// SPDX-License-Identifier: GPL-3.0-or-later
// The clock of a running series and the values read from its spectra.
#include "series/SeriesSchedule.h"
#include "series/BandValue.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SeriesScheduleTest, KeepsUpToTheAveragingPerIntervalAndEndsAfterTheCount) {
    SeriesSchedule schedule({0.5, 3, 0, SeriesStart::AtClick, 2});
    EXPECT_EQ(schedule.State(100), SeriesSchedule::Phase::Idle);
    EXPECT_FALSE(schedule.Due(100));
    schedule.Start(100);
    // The instrument answers every 0.2 s: two spectra of each interval are kept, the third is not.
    EXPECT_EQ(schedule.Take(100.0), 0);
    EXPECT_EQ(schedule.Take(100.2), 0);
    EXPECT_FALSE(schedule.Take(100.4));
    EXPECT_DOUBLE_EQ(schedule.NextPointStart(100.4), 100.5);
    EXPECT_EQ(schedule.Take(100.6), 1);
    EXPECT_EQ(schedule.Take(101.3), 2);
    EXPECT_NEAR(schedule.SeriesTime(101.3), 1.3, 1e-9);
    EXPECT_EQ(schedule.State(101.49), SeriesSchedule::Phase::Running);
    EXPECT_EQ(schedule.State(101.5), SeriesSchedule::Phase::Finished);
    EXPECT_FALSE(schedule.Take(101.6));
}

TEST(SeriesScheduleTest, WaitsForMixingAndEndsAfterTheDurationOrAStop) {
    SeriesSchedule schedule({2, 0, 10, SeriesStart::AtMixing, 1});
    schedule.Start(5);
    EXPECT_EQ(schedule.State(6), SeriesSchedule::Phase::WaitingForMix);
    EXPECT_FALSE(schedule.Take(6));
    schedule.Mix(7);
    EXPECT_EQ(schedule.Take(7.1), 0);
    EXPECT_FALSE(schedule.Take(8.9));
    EXPECT_EQ(schedule.Take(9.0), 1);
    EXPECT_EQ(schedule.State(16.9), SeriesSchedule::Phase::Running);
    EXPECT_EQ(schedule.State(17), SeriesSchedule::Phase::Finished);
    schedule.Stop();
    EXPECT_EQ(schedule.State(8), SeriesSchedule::Phase::Finished);
}

TEST(SeriesScheduleTest, WarnsBeforeTheStartWhenTheIntervalCantBeKept) {
    EXPECT_EQ(IntervalWarning({1, 0, 0, SeriesStart::AtClick, 4}, 0.2), "");
    EXPECT_EQ(
        IntervalWarning({0.5, 0, 0, SeriesStart::AtClick, 4}, 0.3),
        "Das Intervall von 0,5 s ist nicht einzuhalten: die Mittelung über 4 Spektren dauert etwa 1,2 s. "
        "Die wahren Zeiten werden festgehalten.");
    EXPECT_EQ(IntervalWarning({0.5, 0, 0, SeriesStart::AtClick, 1}, 0.65),
              "Das Intervall von 0,5 s ist nicht einzuhalten: eine Messung dauert etwa 0,65 s. "
              "Die wahren Zeiten werden festgehalten.");

    EXPECT_EQ(PreparationWarning(true, true), "");
    EXPECT_EQ(PreparationWarning(true, false),
              "Ohne Dunkelabzug fallen hohe Extinktionen zu klein aus: Licht "
              "abdecken, Dunkelspektrum aufnehmen und abziehen.");
    EXPECT_EQ(PreparationWarning(false, true),
              "Kein Referenzspektrum bei dieser Belichtung: die Zeitreihe zeigt nur Intensitäten.");
    EXPECT_EQ(PreparationWarning(false, false),
              PreparationWarning(false, true) + " " + PreparationWarning(true, false));
}

// The points' precision judged before the start, at A = 1 in a band at 590 nm, against a dark of 30
// Digits and references of various light, each reading scattered by about 2 Digits.
TEST(SeriesScheduleTest, WarnsBeforeTheStartWhenThePointsWillBeTooUncertainAndNamesWhatHelps) {
    struct Case {
        double blank; // reference less dark, Digits
        int averaging;
        const char* warning; // start of it, or "" for none
        const char* remedy;  // its end
    };
    const Case cases[] = {
        {800, 1, "", ""},
        {120, 1, "Bei 590 nm werden die Punkte zu unsicher: bei A = 1 ± 0,0", "Mittelung auf 4 erhöhen."},
        {120, 4, "", ""},
        {50, 1, "Bei 590 nm werden die Punkte zu unsicher: bei A = 1 nur eine Schranke.",
         "Mehr Licht nötig: Belichtung erhöhen oder eine hellere Lampe nehmen, dann Referenz neu aufnehmen."},
        {2, 16, "Bei 590 nm werden die Punkte zu unsicher: bei A = 1 kein Wert (Referenz zu schwach).",
         "Mehr Licht nötig: Belichtung erhöhen oder eine hellere Lampe nehmen, dann Referenz neu aufnehmen."},
    };
    for (const Case& c : cases) {
        ChannelReadings dark, reference;
        dark.fill(30);
        reference.fill(int32_t(30 + c.blank));
        Evidence darkEvidence = EvidenceOfReadings(dark, 40, 8),
                 referenceEvidence = EvidenceOfReadings(reference, 40, 8);
        darkEvidence.Spread.fill(2);
        referenceEvidence.Spread.fill(2);
        const std::string warning = PrecisionWarning(&referenceEvidence, &darkEvidence, c.averaging, 590, 0);
        EXPECT_EQ(warning.rfind(c.warning, 0), 0u) << c.blank << " at " << c.averaging << ": " << warning;
        EXPECT_TRUE(
            warning.size() >= std::string(c.remedy).size() &&
            warning.compare(warning.size() - std::string(c.remedy).size(), std::string::npos, c.remedy) == 0)
            << warning;
        if (!*c.warning) EXPECT_EQ(warning, "");
    }
    EXPECT_EQ(PrecisionWarning(nullptr, nullptr, 1, 590, 0), "") << "no reference, nothing to judge by";
}

// A series at 360…675 nm (2.48 nm a channel): dark 10 Digits, reference 810, so 400 Digits measured
// are T = 390/800 and A = 0.3116.
TimedSeries Measured() {
    TimedSeries series;
    ChannelReadings dark, reference;
    dark.fill(10);
    reference.fill(810);
    reference[0] = 12; // too little light to divide by
    series.Dark = EvidenceOfReadings(dark, 20, 8);
    series.Reference = EvidenceOfReadings(reference, 20, 8);
    const auto add = [&](double time, int32_t point, int32_t exposure, int32_t level) {
        ChannelReadings readings;
        readings.fill(level);
        readings[127] = 1023;
        SeriesSpectrum spectrum = MakeSeriesSpectrum(readings, time, point, exposure);
        spectrum.DarkSubtracted = true;
        series.Spectra.push_back(spectrum);
    };
    add(0.1, 0, 20, 400);
    add(0.3, 0, 20, 401); // same point: averaged with the one before, unrounded
    add(0.6, 1, 20, 210);
    add(1.1, 2, 30, 400); // another exposure than the dark's and the reference's
    add(1.6, 3, 20, 400);
    series.Spectra.back().DarkSubtracted = false; // a dark there, but not taken off
    add(2.1, 4, 30, 400);
    series.Spectra.back().DarkSubtracted = false;
    return series;
}

TEST(SeriesValuesTest, PointsAverageOnlyTheirOwnSpectraAndGiveReasonsForGaps) {
    const TimedSeries series = Measured();
    const std::vector<SeriesPointSpectra> points = GroupByPoint(series.Spectra);
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[0].Count, 2u);
    EXPECT_DOUBLE_EQ(points[0].Time, 0.2);
    EXPECT_EQ(points[1].First, 2u);

    SeriesEvaluator evaluator(series);
    const auto value = [&](size_t point, double nm, double band, SeriesQuantity quantity) {
        return evaluator.PointValue(points[point], nm, band, quantity);
    };
    // The point's two spectra in one unrounded mean, their count in its evidence.
    const Evidence first = evaluator.PointEvidence(series.Spectra.data(), 2);
    EXPECT_EQ(first.Count, 2);
    EXPECT_EQ(first.Mean[60], 400.5);
    EXPECT_NEAR(first.Spread[60], std::sqrt(0.5), 1e-12);
    EXPECT_TRUE(first.Saturated[127]);
    EXPECT_NEAR(*value(0, 500, 5, SeriesQuantity::Absorbance).Value, -std::log10(390.5 / 800), 1e-9);
    EXPECT_NEAR(*value(0, 500, 0, SeriesQuantity::TransmissionPercent).Value, 100 * 390.5 / 800, 1e-9);
    EXPECT_NEAR(*value(0, 500, 5, SeriesQuantity::Intensity).Value, 390.5, 1e-9);
    EXPECT_NEAR(*value(1, 590, 2, SeriesQuantity::Absorbance).Value, -std::log10(200.0 / 800), 1e-9);
    // A point of two spectra is surer than one of one: its noise falls with their count.
    const double two = value(0, 500, 0, SeriesQuantity::Intensity).Uncertainty;
    const double one = value(3, 500, 0, SeriesQuantity::Intensity).Uncertainty;
    EXPECT_NEAR(two, one / std::sqrt(2.0), 0.05 * one);
    // A dark that is there but was not subtracted stays out.
    EXPECT_NEAR(*value(3, 500, 5, SeriesQuantity::Absorbance).Value, -std::log10(400.0 / 810), 1e-9);
    EXPECT_EQ(value(0, 672, 5, SeriesQuantity::Intensity).Reason, "übersteuert");
    EXPECT_EQ(value(0, 360, 0, SeriesQuantity::Absorbance).Reason, "Referenz zu schwach");
    EXPECT_EQ(value(2, 500, 5, SeriesQuantity::Absorbance).Reason,
              "kein Dunkelspektrum bei dieser Belichtung")
        << "a dark of another exposure is none";
    EXPECT_EQ(value(4, 500, 5, SeriesQuantity::Absorbance).Reason, "keine Referenz bei dieser Belichtung");
    EXPECT_EQ(value(0, 700, 5, SeriesQuantity::Absorbance).Reason, "außerhalb des Wellenlängenbereichs");
    EXPECT_FALSE(value(0, 700, 5, SeriesQuantity::Absorbance).Value);
}

} // namespace
