// SPDX-License-Identifier: GPL-3.0-or-later
// The series file: what is saved comes back, in Windows-1252, and what is unsound is left out.
#include "concentration/SeriesFile.h"

#include "files/TextFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <system_error>

namespace {

RowSpectrum Spectrum(int32_t base, bool dark) {
    RowSpectrum spectrum;
    for (int c = 0; c < ChannelCount; ++c) {
        spectrum.Shown[c] = base + c;
        spectrum.Reference[c] = 900 - c;
    }
    if (dark) spectrum.Dark = ChannelReadings{};
    if (dark) spectrum.Dark->fill(12);
    spectrum.Exposure = 37;
    return spectrum;
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
        EXPECT_EQ(a.Spectrum->Shown, b.Spectrum->Shown) << i;
        EXPECT_EQ(a.Spectrum->Reference, b.Spectrum->Reference) << i;
        EXPECT_EQ(a.Spectrum->Dark, b.Spectrum->Dark) << i;
        EXPECT_EQ(a.Spectrum->Exposure, b.Spectrum->Exposure) << i;
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
        {"short spectrum", replaced(",227\r\n", "\r\n"), 12, false, {}, 0, unit},
        {"reading too large", replaced("Spektrum=100,", "Spektrum=65280,"), 12, false, {}, 0, unit},
        {"negative reading", replaced("Spektrum=100,", "Spektrum=-1,"), 12, false, {}, 0, unit},
        {"damaged dark line", replaced("Dunkel=12,", "Dunkel=12;"), 13, false, {}, 0, unit},
        {"exposure above 100", replaced("Belichtung=37", "Belichtung=101"), 11, false, {}, 0, unit},
        {"concentration with a letter", replaced("Konzentration=0.1", "Konzentration=0.1O"), 9, true,
         noStandard, 0, unit},
        {"negative concentration", replaced("Konzentration=0.1", "Konzentration=-40"), 9, true, noStandard, 0,
         unit},
        {"dilution below 1", replaced("=2.5\r\n", "=0.5\r\n"), 17, true, noSample, 0, unit},
        {"dilution not a number", replaced("=2.5\r\n", "=2,5\r\n"), 17, true, noSample, 0, unit},
        {"unknown unit", replaced("\xb5mol/L", "ppm"), 3, true, {}, 0, ConcentrationUnit::MilligramPerLitre},
        {"unknown key", replaced("Ursprung=0", "Farbe=rot"), 6, true, {}, 0, unit},
        {"cut in the reference", SplitTextLines(cut), 14, false, {}, 3, unit},
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
