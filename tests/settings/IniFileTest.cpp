// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file as every system keeps it.
#include "IniFileFixture.h"

namespace {

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefaults) {
    EXPECT_EQ(ini.ReadInteger("TSL1401", "Gain", 7), 7);
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", "/home"), "/home");
    EXPECT_TRUE(ini.ReadBool("Diagramm", "Maximum", true));
    Given("[Other]\nGain=5\n");
    EXPECT_EQ(ini.ReadInteger("TSL1401", "Gain", 7), 7);
}

TEST_F(IniFileTest, IntegerFormsFollowTheSettingsRules) {
    Given(
        "[Diagramm]\nhex=0x00FF00\nLINIENFARBE=0X1f\nword=gelb\nneg=-3\nplus=+12\nbare0x=0x\nbig=4294967296\n"
        "hexall=0xFFFFFFFF\nhexlong=0x123456789\nblank=\ntrail=12a\nmin=-2147483648\nnines=0x99\n");
    EXPECT_EQ(ini.ReadInteger("Diagramm", "hex", 1), 65280);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "Linienfarbe", 1), 31)
        << "key names compare without regard to case";
    EXPECT_EQ(ini.ReadInteger("Diagramm", "word", 65535), 65535);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "neg", 0), -3);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "plus", 0), 12);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "bare0x", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "big", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "hexall", 9), -1);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "hexlong", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "blank", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "trail", 9), 9);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "min", 9), INT32_MIN);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "nines", 9), 153);
}

TEST_F(IniFileTest, BooleansAreIntegersWhereAnyNonZeroIsTrue) {
    Given("[Diagramm]\nGitter=2\nMinimum=ja\nMaximum=ja\nAutoScale=0\n");
    EXPECT_TRUE(ini.ReadBool("Diagramm", "Gitter", false));
    EXPECT_FALSE(ini.ReadBool("Diagramm", "Minimum", false));
    EXPECT_TRUE(ini.ReadBool("Diagramm", "Maximum", true));
    EXPECT_FALSE(ini.ReadBool("Diagramm", "AutoScale", true));
}

TEST_F(IniFileTest, ValuesAreTrimmedUnquotedAndKeepSemicolons) {
    Given("; a comment=1\r\n[ Daten ]\r\n  Datenverzeichnis  =  \"/home/lehrer/a;b\"  \r\n"
          "single='x'\r\nodd=\"x'\r\nfirst=1\r\nfirst=2\r\nnoequals\r\n");
    EXPECT_EQ(ini.ReadString("daten", "DATENVERZEICHNIS", ""), "/home/lehrer/a;b");
    EXPECT_EQ(ini.ReadString("Daten", "single", ""), "x");
    EXPECT_EQ(ini.ReadString("Daten", "odd", ""), "\"x'");
    EXPECT_EQ(ini.ReadInteger("Daten", "first", 0), 1) << "of duplicate keys the first wins";
    EXPECT_EQ(ini.ReadString("Daten", "noequals", "none"), "none");
}

TEST_F(IniFileTest, LongTextIsCutAt2047Characters) {
    Given("[Daten]\nDatenverzeichnis=" + std::string(3000, 'a') + "\n");
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", "").size(), 2047u);
}

TEST_F(IniFileTest, WritesKeepEveryForeignLine) {
    Given("; Notizen des Lehrers\r\n[TSL1401]\r\nGain=5\r\nFremd=ja\r\n\r\n[Eigenes]\r\nx=1\r\n");
    ini.WriteInteger("TSL1401", "gain", 42);
    ini.WriteBool("TSL1401", "Korrektur", true);
    ini.WriteString("Fenster", "Left Main", "-10");
    for (const char* line :
         {"; Notizen des Lehrers\r\n[TSL1401]\r\n", "\nFremd=ja\r\n", "\n[Eigenes]\r\nx=1\r\n"})
        EXPECT_NE(Content().find(line), std::string::npos) << line;
    EXPECT_EQ(ini.ReadInteger("TSL1401", "Gain", 0), 42);
    EXPECT_TRUE(ini.ReadBool("TSL1401", "Korrektur", false));
    EXPECT_EQ(ini.ReadInteger("Fenster", "Left Main", 0), -10);
}

TEST_F(IniFileTest, TextOfEveryAlphabetComesBackAsWritten) {
    ini.WriteString("Daten", "Datenverzeichnis", "C:\\Users\\Łukasz\\Übung €");
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", ""), "C:\\Users\\Łukasz\\Übung €");
}

TEST_F(IniFileTest, ALineBreakInAValueEndsItSoNoOtherKeyChanges) {
    Given("[Diagramm]\nOffset=0\n[Daten]\nDatenverzeichnis=/home\n");
    ini.WriteString("Daten", "Datenverzeichnis", "/home/a\n[Diagramm]\nOffset=900");
    ini.WriteString("Daten", "Notiz", "eins\r\nzwei");
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", ""), "/home/a");
    EXPECT_EQ(ini.ReadString("Daten", "Notiz", ""), "eins");
    EXPECT_EQ(ini.ReadInteger("Diagramm", "Offset", -1), 0);
}

TEST_F(IniFileTest, RefusedWriteRaisesTheProgramsMessage) {
    TempFolder::Write(folder.File("plain"), "not a folder");
    TIniFile refused("KX207.INI", folder.File("plain"));
    try {
        refused.WriteBool("Fenster", "Big", true);
        FAIL() << "the write should have been refused";
    } catch (const EIniFileException& error) {
        EXPECT_STREQ(error.what(), "In KX207.INI kann nicht geschrieben werden");
    }
}

} // namespace
