// SPDX-License-Identifier: GPL-3.0-or-later
// The table for a lab report.
#include "LabTableFixture.h"

namespace {

TEST(LabTableFile, HeaderColumnHeadsAndOneLinePerChannelWithTheColumnsTaken) {
    LabTable table = SampleTable();
    std::vector<std::string> lines = SplitCrlf(LabTableBytes(table));
    ASSERT_EQ(lines.size(), 131u);
    EXPECT_EQ(lines[0],
              "\"Spektrum: Hg-Lampe; \xDC"
              "bung \"\"3\"\"\";Datum: 07.12.2026 19:30;Belichtung: 40;Kalibrierung: 380 nm bis 700 nm");
    EXPECT_EQ(lines[1], "Kanal;nm;Digits");
    EXPECT_EQ(lines[2], "0;380,0;0");
    EXPECT_EQ(lines[129], "127;700,0;603");
    table.Name = QStringLiteral("Übung \"4\"");
    EXPECT_EQ(SplitCrlf(LabTableBytes(table))[0].substr(0, 29), "\"Spektrum: \xDC"
                                                                "bung \"\"4\"\"\";Datum")
        << "quotes alone are doubled inside quotes too";

    table.Extinction = std::array<double, ChannelCount>{};
    (*table.Extinction)[5] = 1.23456;
    lines = SplitCrlf(LabTableBytes(table));
    EXPECT_EQ(lines[1], "Kanal;nm;Digits;Extinktion");
    EXPECT_EQ(lines[7], "5;392,6;-12;1,235");

    TakeEveryColumn(table);
    lines = SplitCrlf(LabTableBytes(table));
    EXPECT_EQ(lines[1], "Kanal;nm;Digits;Dunkel;Referenz;Transmission %;Extinktion");
    EXPECT_EQ(lines[2], "0;380,0;0;12,25;500;0,0;") << "exact means; no number for an infinite extinction";
    EXPECT_EQ(lines[3], "1;382,5;37;13,25;500,25;;1,131") << "nor for a transmission that is none";
    EXPECT_EQ(lines[4], "2;385,0;74;14,25;500,5;14,8;0,000");
}

TEST(LabTableFile, TheHeaderSaysHowDarkAndReferenceWereTakenAndHowTheColumnsGiveTheTransmission) {
    LabTable table = SampleTable();
    table.Readings[3] = 20.0625;
    TakeEveryColumn(table);
    table.Averaging = 16;
    table.DarkNote = CaptureNote{35, 8, QStringLiteral("19:12:05")};
    table.ReferenceNote = CaptureNote{40, 8, QString()};
    table.EmptyReason = QStringLiteral("zu wenig Licht; Referenz");
    const std::string head =
        "\"Spektrum: Hg-Lampe; \xDC"
        "bung \"\"3\"\"\";Datum: 07.12.2026 19:30;Belichtung: 40;Kalibrierung: 380 nm bis 700 nm";
    const struct {
        bool Subtracted;
        const char* Expected;
    } cases[] = {
        {true,
         ";Dunkel abgezogen: Belichtung 35, 19:12:05, Mittel aus 8;Referenz: Belichtung 40, Mittel aus 8"
         ";Digits: Mittel aus 16;Transmission % = 100 * (Digits - Dunkel) / (Referenz - Dunkel)"
         ";Extinktion = -log10(Transmission % / 100);\"leer: zu wenig Licht; Referenz\""},
        {false, ";Dunkel nicht abgezogen: Belichtung 35, 19:12:05, Mittel aus 8;Referenz: Belichtung 40, "
                "Mittel aus 8;Digits: Mittel aus 16;Transmission % = 100 * Digits / Referenz"
                ";Extinktion = -log10(Transmission % / 100);\"leer: zu wenig Licht; Referenz\""},
    };
    for (const auto& c : cases) {
        table.DarkSubtracted = c.Subtracted;
        const std::vector<std::string> lines = SplitCrlf(LabTableBytes(table));
        EXPECT_EQ(lines[0], head + c.Expected);
        EXPECT_EQ(lines[5], "3;387,6;20,0625;15,25;500,75;4,0;1,397") << "a mean of 16 written exactly";
    }

    table.ReferenceNote.reset();
    table.TransmissionPercent.reset();
    table.DarkNote = CaptureNote{35, 0, QString()};
    EXPECT_EQ(SplitCrlf(LabTableBytes(table))[0],
              head + ";Dunkel nicht abgezogen: Belichtung 35, aus den Einstellungen;Digits: Mittel aus 16")
        << "no formula without a transmission";
}

TEST(LabTableFile, OpenedAsASpectrumItGivesTheWholeDigitsAndTheCalibration) {
    LabTable table = SampleTable();
    table.Readings[3] = 20.0625;
    TakeEveryColumn(table);
    const SpectrumFileContents file = ParseSpectrumFile(LabTableBytes(table));
    for (int c = 0; c < ChannelCount; ++c)
        EXPECT_EQ(file.Readings[c], c == 3 ? 20 : SampleReadings()[c]) << c;
    EXPECT_EQ(file.LambdaMin, 380);
    EXPECT_EQ(file.LambdaMax, 700);
}

} // namespace
