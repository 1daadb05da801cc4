#include "app/IniFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    TIniFile ini{"KX207.INI", folder.Path()};

    void Given(const std::string& text) { TempFolder::Write(ini.Path(), text); }
    std::string Content() const { return TempFolder::Read(ini.Path()); }
};

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefaults) {
    EXPECT_EQ(ini.ReadInteger("TSL1401", "Gain", 7), 7);
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", "/home"), "/home");
    EXPECT_TRUE(ini.ReadBool("Diagramm", "Maximum", true));
    Given("[Other]\nGain=5\n");
    EXPECT_EQ(ini.ReadInteger("TSL1401", "Gain", 7), 7);
}

TEST_F(IniFileTest, IntegerFormsFollowTheSettingsRules) {
    Given("[Diagramm]\nhex=0x00FF00\nLINIENFARBE=0X1f\nword=gelb\nneg=-3\nplus=+12\nbare0x=0x\nbig=4294967296\n"
          "hexall=0xFFFFFFFF\nhexlong=0x123456789\nblank=\ntrail=12a\nmin=-2147483648\n");
    EXPECT_EQ(ini.ReadInteger("Diagramm", "hex", 1), 65280);
    EXPECT_EQ(ini.ReadInteger("Diagramm", "Linienfarbe", 1), 31) << "key names compare without regard to case";
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
    EXPECT_EQ(ini.ReadString("", "; a comment", "none"), "none");
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
    EXPECT_EQ(Content(), "; Notizen des Lehrers\r\n[TSL1401]\r\ngain=42\r\nFremd=ja\r\nKorrektur=1\n\r\n"
                         "[Eigenes]\r\nx=1\r\n\n[Fenster]\nLeft Main=-10\n");
    EXPECT_EQ(ini.ReadInteger("TSL1401", "Gain", 0), 42);
    EXPECT_EQ(ini.ReadInteger("Fenster", "Left Main", 0), -10);
}

TEST_F(IniFileTest, ALineBreakInAValueEndsItSoNoOtherKeyChanges) {
    Given("[Diagramm]\nOffset=0\n[Daten]\nDatenverzeichnis=/home\n");
    ini.WriteString("Daten", "Datenverzeichnis", "/home/a\n[Diagramm]\nOffset=900");
    ini.WriteString("Daten", "Notiz", "eins\r\nzwei");
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", ""), "/home/a");
    EXPECT_EQ(ini.ReadString("Daten", "Notiz", ""), "eins");
    EXPECT_EQ(ini.ReadInteger("Diagramm", "Offset", -1), 0);
    EXPECT_EQ(Content(), "[Diagramm]\nOffset=0\n[Daten]\nDatenverzeichnis=/home/a\nNotiz=eins\n");
}

TEST_F(IniFileTest, FirstWriteCreatesAGroupWritableFile) {
    TIniFile fresh("KX207.INI", folder.File("kx207"));
    fresh.WriteInteger("TSL1401", "Gain", 3);
    EXPECT_EQ(TempFolder::Read(fresh.Path()), "[TSL1401]\nGain=3\n");
    struct stat info {};
    ASSERT_EQ(stat(fresh.Path().c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IWGRP);
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

TEST_F(IniFileTest, AWriteThatRunsOutOfSpaceLeavesTheOldFileWhole) {
    const std::string old = "[Daten]\nDatenverzeichnis=/home/alt\n";
    Given(old);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A file size limit below the new content makes the write fail half-way, as a full disk would.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{40, 40};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            ini.WriteString("Daten", "Datenverzeichnis", std::string(200, 'n'));
        } catch (const EIniFileException&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write must be reported";
    EXPECT_EQ(Content(), old);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << "no temporary file may stay behind";
}

} // namespace
