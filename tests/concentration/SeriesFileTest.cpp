// SPDX-License-Identifier: GPL-3.0-or-later
// The series file: what is saved comes back, in Windows-1252, and what is unsound is left out.
#include "concentration/SeriesFile.h"

#include "concentration/Calibration.h"

#include "files/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <system_error>

namespace {

Evidence Means(double base, double step, int count, int32_t exposure) {
    Evidence evidence;
    for (int c = 0; c < ChannelCount; ++c) {
        evidence.Mean[c] = base + step * c + 0.37;
        evidence.Spread[c] = 1.5 + 0.01 * c;
    }
    evidence.Count = count;
    evidence.Exposure = exposure;
    return evidence;
}

// A sample of `base` Digits and more (with a dark of 12 taken off, or a dark of another exposure
// kept, not taken off), saturated once at channel 5, against a reference of 900 Digits and less.
RowSpectrum Spectrum(int32_t base, bool darkSubtracted) {
    RowSpectrum spectrum{Means(base + (darkSubtracted ? 12 : 0), 1, 16, 37),
                         Means(12, 0, 8, darkSubtracted ? 37 : 20), Means(900, -1, 8, 37)};
    spectrum.Sample.DarkSubtracted = darkSubtracted;
    spectrum.Sample.Saturated[5] = true;
    return spectrum;
}

void ExpectSameEvidence(const Evidence& a, const Evidence& b, size_t row) {
    EXPECT_EQ(a.Mean, b.Mean) << row;
    EXPECT_EQ(a.Spread, b.Spread) << row;
    EXPECT_EQ(a.Count, b.Count) << row;
    EXPECT_EQ(a.Saturated, b.Saturated) << row;
    EXPECT_EQ(a.Exposure, b.Exposure) << row;
    EXPECT_EQ(a.DarkSubtracted, b.DarkSubtracted) << row;
}

ConcentrationSeries Example() {
    ConcentrationSeries series;
    series.Unit = ConcentrationUnit::MicromolPerLitre;
    series.Calibration.SetRange(380, 700);
    series.Band = {512.5, 531.25, false};
    SeriesRow standard;
    standard.Name = "Standard 1 \u00b5mol gr\u00fcn";
    standard.Concentration = 0.1;
    standard.Spectrum = Spectrum(100, true);
    standard.InLineByHand = false;
    SeriesRow sample;
    sample.Kind = RowKind::Sample;
    sample.Name = "Sportgetr\u00e4nk";
    sample.Dilution = 2.5;
    sample.Spectrum = Spectrum(300, false);
    SeriesRow empty;
    empty.Name = "noch leer";
    empty.Concentration = 7;
    empty.InLineByHand = true;
    series.Rows = {standard, sample, empty};
    return series;
}

void ExpectSame(const ConcentrationSeries& read, const ConcentrationSeries& written) {
    EXPECT_EQ(read.Unit, written.Unit);
    EXPECT_EQ(read.Calibration.LambdaMin, written.Calibration.LambdaMin);
    EXPECT_EQ(read.Calibration.LambdaMax, written.Calibration.LambdaMax);
    EXPECT_EQ(read.Band.FromNm, written.Band.FromNm);
    EXPECT_EQ(read.Band.ToNm, written.Band.ToNm);
    EXPECT_EQ(read.Band.ThroughOrigin, written.Band.ThroughOrigin);
    ASSERT_EQ(read.Rows.size(), written.Rows.size());
    for (size_t i = 0; i < read.Rows.size(); ++i) {
        const SeriesRow &a = read.Rows[i], &b = written.Rows[i];
        EXPECT_EQ(a.Kind, b.Kind) << i;
        EXPECT_EQ(a.Name, b.Name) << i;
        EXPECT_EQ(a.Kind == RowKind::Standard ? a.Concentration : a.Dilution,
                  b.Kind == RowKind::Standard ? b.Concentration : b.Dilution)
            << i;
        EXPECT_EQ(a.InLineByHand, b.InLineByHand) << i;
        ASSERT_EQ(a.Spectrum.has_value(), b.Spectrum.has_value()) << i;
        if (!a.Spectrum) continue;
        ExpectSameEvidence(a.Spectrum->Sample, b.Spectrum->Sample, i);
        ExpectSameEvidence(a.Spectrum->Reference, b.Spectrum->Reference, i);
        ASSERT_EQ(a.Spectrum->Dark.has_value(), b.Spectrum->Dark.has_value()) << i;
        if (a.Spectrum->Dark) ExpectSameEvidence(*a.Spectrum->Dark, *b.Spectrum->Dark, i);
        EXPECT_EQ(RowNote(a, "").find("gesch\u00e4tzt"), std::string::npos) << i;
    }
}

TEST(SeriesFileTest, WhatIsSavedComesBackInWindows1252) {
    TempFolder folder;
    const std::string path = folder.File("reihe.kxr");
    SaveSeriesFile(path, Example());
    const std::string bytes = TempFolder::Read(path);
    EXPECT_NE(bytes.find("Name=Sportgetr\xe4nk\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Einheit=\xb5mol/L\r\n"), std::string::npos);
    int error = -1;
    const SeriesFileContents read = LoadSeriesFile(path, error);
    EXPECT_EQ(error, 0);
    EXPECT_TRUE(read.Recognised);
    EXPECT_TRUE(read.Skipped.empty());
    EXPECT_EQ(read.MissingRows, 0);
    ExpectSame(read.Series, Example());
    // The same evidence gives the same values, uncertainties, bounds and gaps to the last digit.
    const CalibrationResult before = EvaluateSeries(Example()), after = EvaluateSeries(read.Series);
    EXPECT_EQ(AbsorbanceText(after.Standards[0].A), AbsorbanceText(before.Standards[0].A));
    EXPECT_EQ(after.Samples[0].A.Value, before.Samples[0].A.Value);
    EXPECT_EQ(after.Samples[0].A.Uncertainty, before.Samples[0].A.Uncertainty);
}

TEST(SeriesFileTest, AnOlderFileLoadsWithItsPrecisionEstimated) {
    // Whole Digits only: the sample with its dark of 12 taken off, as the program wrote them before.
    // 128 readings of `value`, channel 7 at full scale where asked.
    const auto readings = [](int value, bool saturated) {
        std::string text;
        for (int c = 0; c < ChannelCount; ++c)
            text += (c ? "," : "") + std::to_string(c == 7 && saturated ? 1023 : value);
        return text;
    };
    const SeriesFileContents read = ParseSeriesFile(SplitTextLines(
        "KX207 Konzentrationsreihe\r\n[Standard]\r\nName=S\r\nKonzentration=5\r\nBelichtung=37\r\nSpektrum=" +
        readings(400, true) + "\r\nDunkel=" + readings(12, false) + "\r\nReferenz=" + readings(812, false) +
        "\r\n"));
    ASSERT_EQ(read.Series.Rows.size(), 1u);
    const SeriesRow& row = read.Series.Rows[0];
    ASSERT_TRUE(row.Spectrum);
    EXPECT_TRUE(row.Spectrum->Sample.DarkSubtracted);
    EXPECT_EQ(row.Spectrum->Sample.Mean[0], 412);
    EXPECT_EQ(RowNote(row, ""), "Genauigkeit gesch\u00e4tzt");
    const Evaluation evaluation = RowEvaluation(*row.Spectrum);
    EXPECT_TRUE(evaluation.NoiseEstimated);
    EXPECT_NEAR(evaluation.Channels[0].Absorbance, -std::log10(400.0 / 800), 1e-12);
    EXPECT_GT(evaluation.Channels[0].AbsorbanceU, 0);
    // 1023 shown plus its dark: at full scale.
    EXPECT_EQ(evaluation.Channels[7].Why, Reason::SaturatedSample);
}

TEST(SeriesFileTest, UnsoundLinesAreLeftOutAndTheRestLoads) {
    const std::string good = SeriesFileBytes(Example());
    const auto replaced = [&good](const std::string& from, const std::string& to) {
        std::string bytes = good;
        bytes.replace(bytes.find(from), from.size(), to);
        return SplitTextLines(bytes);
    };
    const std::string standard = "Standard 1 \u00b5mol gr\u00fcn", sample = "Sportgetr\u00e4nk";
    // The line skipped (0: none), whether the standard keeps its spectrum, the rows left out for their
    // numbers, the rows missing from a file cut short.
    struct Case {
        const char* what;
        QStringList lines;
        int skippedLine;
        bool firstMeasured;
        std::vector<std::string> dropped;
        int missing;
        ConcentrationUnit unit;
    };
    const auto unit = ConcentrationUnit::MicromolPerLitre;
    const std::vector<std::string> noStandard{standard}, noSample{sample};
    const std::string cut = good.substr(0, good.find("Referenz=") + 20);
    const Case cases[] = {
        {"short spectrum", replaced(",227\r\n", "\r\n"), 28, false, {}, 0, unit},
        {"reading too large", replaced("Spektrum=100,", "Spektrum=65280,"), 28, false, {}, 0, unit},
        {"negative reading", replaced("Spektrum=100,", "Spektrum=-1,"), 28, false, {}, 0, unit},
        {"damaged dark line", replaced("Dunkel=12,", "Dunkel=12;"), 29, false, {}, 0, unit},
        {"exposure above 100", replaced("Belichtung=37", "Belichtung=101"), 11, false, {}, 0, unit},
        {"concentration with a letter", replaced("Konzentration=0.1", "Konzentration=0.1O"), 9, true,
         noStandard, 0, unit},
        {"negative concentration", replaced("Konzentration=0.1", "Konzentration=-40"), 9, true, noStandard, 0,
         unit},
        {"dilution below 1", replaced("=2.5\r\n", "=0.5\r\n"), 33, true, noSample, 0, unit},
        {"dilution not a number", replaced("=2.5\r\n", "=2,5\r\n"), 33, true, noSample, 0, unit},
        {"unknown unit", replaced("\xb5mol/L", "ppm"), 3, true, {}, 0, ConcentrationUnit::MilligramPerLitre},
        {"unknown key", replaced("Ursprung=0", "Farbe=rot"), 6, true, {}, 0, unit},
        {"cut in the reference", SplitTextLines(cut), 30, false, {}, 3, unit},
        {"cut after a row", SplitTextLines(good.substr(0, good.find("[Probe]"))), 0, true, {}, 2, unit},
    };
    for (const Case& test : cases) {
        const SeriesFileContents read = ParseSeriesFile(test.lines);
        EXPECT_TRUE(read.Recognised) << test.what;
        ASSERT_EQ(read.Skipped.size(), test.skippedLine ? 1u : 0u) << test.what;
        if (test.skippedLine) {
            EXPECT_EQ(read.Skipped[0].Number, test.skippedLine) << test.what;
            EXPECT_EQ(read.Skipped[0].Text, test.lines[test.skippedLine - 1].toStdString()) << test.what;
        }
        EXPECT_EQ(read.DroppedRows, test.dropped) << test.what;
        EXPECT_EQ(read.MissingRows, test.missing) << test.what;
        const size_t rows = 3 - test.dropped.size() - test.missing;
        ASSERT_EQ(read.Series.Rows.size(), rows) << test.what;
        if (rows == 0) continue;
        EXPECT_EQ(read.Series.Rows[0].Name, test.dropped == noStandard ? sample : standard) << test.what;
        if (test.dropped.empty()) {
            EXPECT_EQ(read.Series.Rows[0].Spectrum.has_value(), test.firstMeasured) << test.what;
        }
        for (const SeriesRow& row : read.Series.Rows)
            EXPECT_TRUE(row.Kind == RowKind::Standard ? row.Concentration == 0.1 || row.Concentration == 7
                                                      : row.Dilution == 2.5)
                << test.what << ": no made-up value";
        EXPECT_EQ(read.Series.Unit, test.unit) << test.what;
    }
    // Without its word on the dark, a row falls back to the whole Digits all versions wrote.
    const SeriesFileContents wordless = ParseSeriesFile(replaced("Dunkelabzug=1\r\n", ""));
    ASSERT_TRUE(wordless.Series.Rows[0].Spectrum);
    EXPECT_TRUE(RowEvaluation(*wordless.Series.Rows[0].Spectrum).NoiseEstimated);
    EXPECT_FALSE(ParseSeriesFile(SplitTextLines("Kanal;nm;Digits\r\n")).Recognised);
    EXPECT_FALSE(ParseSeriesFile({}).Recognised);
}

TEST(SeriesFileTest, RowsBeyondTheLastAreLeftOut) {
    std::string bytes = "KX207 Konzentrationsreihe\n";
    for (int i = 0; i < MaxSeriesRows + 2; ++i)
        bytes += "[Probe]\nName=P\nVerd\xfcnnung=1\n";
    bytes += "Einheit=g/L\n";
    const SeriesFileContents read = ParseSeriesFile(SplitTextLines(bytes));
    EXPECT_EQ(read.Series.Rows.size(), size_t(MaxSeriesRows));
    EXPECT_EQ(read.Skipped.size(), 7u);
    EXPECT_EQ(read.Skipped.back().Number, 3 * MaxSeriesRows + 8);
    EXPECT_EQ(read.Series.Unit, ConcentrationUnit::MilligramPerLitre);
}

TEST(SeriesFileTest, AFailedSaveIsReportedAndKeepsTheOldFile) {
    TempFolder folder;
    EXPECT_THROW(SaveSeriesFile(folder.File("fehlt/reihe.kxr"), Example()), std::system_error);
    int error = 0;
    EXPECT_FALSE(LoadSeriesFile(folder.File("fehlt.kxr"), error).Recognised);
    EXPECT_EQ(error, ENOENT);
}

} // namespace
