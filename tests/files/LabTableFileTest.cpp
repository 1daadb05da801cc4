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
    EXPECT_EQ(lines[2], "0;380;0");
    EXPECT_EQ(lines[129], "127;700;603");
    table.Name = QStringLiteral("Übung \"4\"");
    EXPECT_EQ(SplitCrlf(LabTableBytes(table))[0].substr(0, 29), "\"Spektrum: \xDC"
                                                                "bung \"\"4\"\"\";Datum")
        << "quotes alone are doubled inside quotes too";

    table.Extinction = std::array<double, ChannelCount>{};
    (*table.Extinction)[5] = 1.23456;
    lines = SplitCrlf(LabTableBytes(table));
    EXPECT_EQ(lines[1], "Kanal;nm;Digits;Extinktion");
    EXPECT_EQ(lines[7], "5;393;-12;1,235");

    TakeEveryColumn(table);
    lines = SplitCrlf(LabTableBytes(table));
    EXPECT_EQ(lines[1], "Kanal;nm;Digits;Dunkel;Referenz;Transmission %;Extinktion");
    EXPECT_EQ(lines[2], "0;380;0;12,2;500,0;0,0;") << "halves to even; no number for an infinite extinction";
    EXPECT_EQ(lines[3], "1;383;37;13,2;500,2;;1,131") << "nor for a transmission that is none";
    EXPECT_EQ(lines[4], "2;385;74;14,2;500,5;14,8;0,000");
}

} // namespace
