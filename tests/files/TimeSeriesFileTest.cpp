// SPDX-License-Identifier: GPL-3.0-or-later
// The file of a timed series: written spectrum by spectrum, read back whole, and read as far as it is
// sound after a cut or an edit.
#include "files/TimeSeriesFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TimedSeries Reaction() {
    TimedSeries series;
    series.Plan = {0.5, 0, 900, SeriesStart::AtMixing, 2};
    series.Calibration.SetRange(380, 700);
    series.Wavelengths = {590, 628.5};
    series.BandHalfWidth = 3;
    // Dark and reference as measured: means of eight spectra, unrounded, with their spread.
    Evidence dark, reference;
    dark.Exposure = reference.Exposure = 35;
    dark.Count = reference.Count = 8;
    for (int c = 0; c < ChannelCount; ++c) {
        dark.Mean[c] = 20 + c % 3 + 0.125 * (c % 8);
        dark.Spread[c] = 1.9 + 0.0001 * c;
        reference.Mean[c] = 600.375 + c;
        reference.Spread[c] = 4.1234;
    }
    reference.Saturated.set(127);
    series.Dark = dark;
    series.Reference = reference;
    for (int i = 0; i < 3; ++i) {
        ChannelReadings readings;
        for (int c = 0; c < ChannelCount; ++c)
            readings[c] = 100 * i + c;
        readings[64] = 1023;
        SeriesSpectrum spectrum = MakeSeriesSpectrum(readings, 0.25 * i + 0.0004, i / 2, 35);
        spectrum.Averaging = 2;
        spectrum.DarkSubtracted = true;
        spectrum.ReferenceInForce = i > 0;
        series.Spectra.push_back(spectrum);
    }
    return series;
}

std::string Written(const TimedSeries& series, const TempFolder& folder) {
    const std::string path = folder.File("reihe.csv");
    TimeSeriesFileWriter writer(path, series);
    for (const SeriesSpectrum& spectrum : series.Spectra)
        writer.Append(spectrum);
    return TempFolder::Read(path);
}

TEST(TimeSeriesFileTest, RoundTripKeepsEverySpectrumAndTheHeader) {
    TempFolder folder;
    const TimedSeries series = Reaction();
    const std::string bytes = Written(series, folder);
    // As Calc reads it: Windows-1252, CR LF, decimal commas.
    EXPECT_NE(bytes.find("Wellenl\xE4ngen in nm;590,0;628,5\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nStart;Jetzt mischen\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n0,250;0;35;1;1;2;100;101;"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nReferenzspektrum bei Belichtung;35;600;601;"), std::string::npos)
        << "whole Digits for a spreadsheet, half to even";
    EXPECT_NE(bytes.find("\r\nReferenzspektrum bei Belichtung: Mittel in Digits;600,3750;601,3750;"),
              std::string::npos);

    const TimeSeriesFileLoad load = LoadTimeSeriesFile(folder.File("reihe.csv"));
    ASSERT_EQ(load.Error, 0);
    ASSERT_TRUE(load.Series);
    EXPECT_EQ(load.SkippedLines, 0);
    EXPECT_TRUE(load.Report.isEmpty()) << load.Report.toStdString();
    const TimedSeries& back = *load.Series;
    EXPECT_EQ(back.Plan.Interval, 0.5);
    EXPECT_EQ(back.Plan.Duration, 900);
    EXPECT_EQ(back.Plan.Start, SeriesStart::AtMixing);
    EXPECT_EQ(back.Plan.Averaging, 2);
    EXPECT_EQ(back.Calibration.LambdaMin, 380);
    EXPECT_EQ(back.Calibration.LambdaMax, 700);
    EXPECT_EQ(back.Wavelengths, series.Wavelengths);
    EXPECT_EQ(back.BandHalfWidth, 3);
    ASSERT_TRUE(back.Dark && back.Reference);
    // What the evaluation needs comes back as it was measured.
    for (const auto& [got, want] :
         {std::pair{&*back.Dark, &*series.Dark}, {&*back.Reference, &*series.Reference}}) {
        EXPECT_EQ(got->Exposure, 35);
        EXPECT_EQ(got->Count, 8);
        EXPECT_EQ(got->Saturated, want->Saturated);
        EXPECT_EQ(got->Calibration.LambdaMax, 700);
        for (int c = 0; c < ChannelCount; ++c) {
            EXPECT_EQ(got->Mean[c], want->Mean[c]) << c;
            EXPECT_NEAR(got->Spread[c], want->Spread[c], 5e-5) << c;
        }
    }
    ASSERT_EQ(back.Spectra.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const SeriesSpectrum &got = back.Spectra[i], &want = series.Spectra[i];
        EXPECT_NEAR(got.Time, want.Time, 0.0005);
        EXPECT_EQ(got.Point, want.Point);
        EXPECT_EQ(got.Exposure, want.Exposure);
        EXPECT_EQ(got.Averaging, want.Averaging);
        EXPECT_EQ(got.DarkSubtracted, want.DarkSubtracted);
        EXPECT_EQ(got.ReferenceInForce, want.ReferenceInForce);
        EXPECT_EQ(got.Readings, want.Readings);
    }
}

struct DamageCase {
    const char* name;
    std::function<void(std::string&)> damage;
    size_t spectra;
    const char* report;
};

// The header lines of dark or reference beyond their whole Digits.
void DropDetails(std::string& bytes, const std::string& key) {
    for (const char* suffix : {": Anzahl;", ": Mittel in Digits;", ": Streuung in Digits;",
                               ": \xFC"
                               "bersteuert;"}) {
        const size_t start = bytes.find("\r\n" + key + suffix);
        bytes.erase(start, bytes.find("\r\n", start + 2) - start);
    }
}

const char* const Estimated =
    "Dunkel- und Referenzspektrum sind nur in ganzen Digits gespeichert: die Unsicherheiten der Punkte sind "
    "geschätzt.";

// The lines of the reaction's file: 1–20 the header and the heads, 21–23 the spectra.
const DamageCase damageCases[] = {
    {"cut in the middle of the last line", [](std::string& b) { b.resize(b.size() - 300); }, 2,
     "Übersprungen:\nZeile 23 unvollständig: „0,500;1;35;1;1;2;…“\nDie Datei endet vorzeitig: nach 0,2 von "
     "900,0 s."},
    // The last reading lost its last digits: a whole-looking line without its end.
    {"cut inside the last number", [](std::string& b) { b.resize(b.size() - 3); }, 2,
     "Übersprungen:\nZeile 23 unvollständig: „0,500;1;35;1;1;2;…“\nDie Datei endet vorzeitig: nach 0,2 von "
     "900,0 s."},
    {"cut where ten points were planned",
     [](std::string& b) {
         b.replace(b.find("Anzahl;0"), 8, "Anzahl;10");
         b.resize(b.size() - 3);
     },
     2,
     "Übersprungen:\nZeile 23 unvollständig: „0,500;1;35;1;1;2;…“\nDie Datei endet vorzeitig: 9 der 10 "
     "Punkte fehlen."},
    {"cut after the last line end", [](std::string&) {}, 3, ""},
    {"a reading edited into text",
     [](std::string& b) { b.replace(b.find(";101;", b.find("\r\n0,250;")), 5, ";x1;"); }, 2,
     "Übersprungen:\nZeile 22 unlesbarer Wert „x1“ in Spalte 8"},
    {"a row with an extra cell", [](std::string& b) { b.replace(b.find("\r\n0,500;"), 2, ";7\r\n"); }, 2,
     "Übersprungen:\nZeile 22 hat 135 statt 134 Spalten: „0,250;0;35;1;1;2;…“"},
    {"a time running back", [](std::string& b) { b.replace(b.find("\r\n0,500;"), 8, "\r\n0,100;"); }, 2,
     "Übersprungen:\nZeile 23 Zeit läuft rückwärts: „0,100;1;35;1;1;2;…“"},
    {"a file of the first form, dark and reference in whole Digits",
     [](std::string& b) {
         DropDetails(b, "Dunkelspektrum bei Belichtung");
         DropDetails(b, "Referenzspektrum bei Belichtung");
     },
     3, Estimated},
    {"a spread edited into text", [](std::string& b) { b.replace(b.find(";4,1234;"), 8, ";4,1x;"); }, 3,
     "Übersprungen:\nKopfzeile 18 unlesbar: „Referenzspektrum bei Belichtung: Streuung in "
     "Digits;4,1x;4,1234;4,1234;4,1234;4,1234;…“"},
    {"a saturation flag of 2",
     [](std::string& b) { b.replace(b.find("bersteuert;0;"), 13, "bersteuert;2;"); }, 3,
     "Übersprungen:\nKopfzeile 14 unlesbar: „Dunkelspektrum bei Belichtung: übersteuert;2;0;0;0;0;…“"},
    {"a spreadsheet's decimal point",
     [](std::string& b) { b.replace(b.find("\r\n0,250;"), 8, "\r\n0.250;"); }, 3, ""},
    {"an unreadable interval", [](std::string& b) { b.replace(b.find("0,500"), 5, "kurz!"); }, 3,
     "Übersprungen:\nKopfzeile 2 unlesbar: „Intervall in s;kurz!“"},
};

class TimeSeriesFileDamageTest : public ::testing::TestWithParam<DamageCase> {};

TEST_P(TimeSeriesFileDamageTest, LoadsWhatIsSoundAndSaysWhatWasSkipped) {
    TempFolder folder;
    std::string bytes = Written(Reaction(), folder);
    GetParam().damage(bytes);
    const TimeSeriesFileLoad load = ParseTimeSeriesFile(bytes);
    ASSERT_TRUE(load.Series);
    EXPECT_EQ(load.Series->Spectra.size(), GetParam().spectra);
    EXPECT_EQ(load.Report.toStdString(), GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(Edits, TimeSeriesFileDamageTest, ::testing::ValuesIn(damageCases),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(TimeSeriesFileTest, AnotherFileIsNoSeries) {
    const TimeSeriesFileLoad load = ParseTimeSeriesFile("Kanal;nm;Digits\r\n0;360;12\r\n");
    EXPECT_FALSE(load.Series);
    EXPECT_EQ(load.Report.toStdString(), "Die Datei ist keine Zeitreihe.");
    EXPECT_NE(LoadTimeSeriesFile("/nonexistent/reihe.csv").Error, 0);
}

} // namespace
