// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/IniFile.h"
#include "settings/SettingsFolder.h"

#include "support/TempFolder.h"
#include "support/Unprivileged.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
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

    // A line that is only a key's name is no key.
    Given("[Diagramm]\nGitter\nGitter=1\n");
    EXPECT_EQ(ini.ReadInteger("Diagramm", "Gitter", 7), 1);
    ini.WriteBool("Diagramm", "Gitter", false);
    EXPECT_EQ(Content(), "[Diagramm]\nGitter\nGitter=0\n");
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

TEST_F(IniFileTest, FirstWriteMakesTheFolderForTheInstrumentGroup) {
    if (!Unprivileged::CanRun(true)) GTEST_SKIP() << "the test's user is not in the group dialout";
    const group* instrument = getgrnam("dialout");
    ASSERT_NE(instrument, nullptr);
    Unprivileged::Give(folder.Path());
    const std::string made = folder.File("kx207");
    Unprivileged::Run(
        [&] {
            umask(022);
            TIniFile fresh("KX207.INI", made);
            fresh.WriteInteger("TSL1401", "Gain", 3);
            EXPECT_EQ(TempFolder::Read(fresh.Path()), "[TSL1401]\nGain=3\n");
            struct stat info {};
            ASSERT_EQ(stat(made.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 02775u) << std::oct << info.st_mode;
            EXPECT_EQ(info.st_gid, instrument->gr_gid) << "never the creator's own group";
            ASSERT_EQ(stat(fresh.Path().c_str(), &info), 0);
            EXPECT_TRUE(info.st_mode & S_IWGRP);
            EXPECT_EQ(info.st_gid, instrument->gr_gid);
        },
        true);
    if (!Unprivileged::CanRun(false)) return;
    // Somebody outside the group can't make the folder for it, and leaves none of the wrong group.
    std::filesystem::remove_all(made);
    Unprivileged::Run([&] {
        EXPECT_THROW(TIniFile("KX207.INI", made).WriteInteger("TSL1401", "Gain", 3), EIniFileException);
        EXPECT_FALSE(std::filesystem::exists(made));
    });
}

TEST_F(IniFileTest, AnOrdinaryUserWritesOnlyFilesTheUserMayWrite) {
    if (!Unprivileged::CanRun(true)) GTEST_SKIP() << "the test's user is not in the group dialout";
    const group* instrument = getgrnam("dialout");
    ASSERT_NE(instrument, nullptr);
    const std::string old = "[Fenster]\nBig=0\n";
    const std::vector<std::string> folders = {folder.File("gruppe"), folder.File("nur-lesen"),
                                              folder.File("fremd")};
    Unprivileged::Give(folder.Path());
    for (const std::string& path : folders) {
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        Unprivileged::Give(path);
        TempFolder::Write(path + "/KX207.INI", old);
    }
    // Writable for the instrument group; read-only for everybody; another user's without write bits.
    ASSERT_EQ(chown((folders[0] + "/KX207.INI").c_str(), 0, instrument->gr_gid), 0);
    ASSERT_EQ(chmod((folders[0] + "/KX207.INI").c_str(), 0664), 0);
    Unprivileged::Give(folders[1] + "/KX207.INI");
    ASSERT_EQ(chmod((folders[1] + "/KX207.INI").c_str(), 0444), 0);
    ASSERT_EQ(chmod((folders[2] + "/KX207.INI").c_str(), 0644), 0);
    Unprivileged::Run(
        [&] {
            TIniFile shared("KX207.INI", folders[0]);
            shared.WriteBool("Fenster", "Big", true);
            EXPECT_TRUE(shared.ReadBool("Fenster", "Big", false));
            struct stat info {};
            ASSERT_EQ(stat(shared.Path().c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0664u);
            EXPECT_EQ(info.st_gid, instrument->gr_gid) << "the replaced file keeps its group";
            for (const std::string& path : {folders[1], folders[2]}) {
                try {
                    TIniFile("KX207.INI", path).WriteBool("Fenster", "Big", true);
                    ADD_FAILURE() << path << ": the write should have been refused";
                } catch (const EIniFileException& error) {
                    EXPECT_STREQ(error.what(), "In KX207.INI kann nicht geschrieben werden");
                }
                EXPECT_EQ(TempFolder::Read(path + "/KX207.INI"), old) << path;
            }
        },
        true);
}

TEST_F(IniFileTest, TheStartCheckSaysWhyAnOrdinaryUserCannotWriteAndWhatHelps) {
    if (!Unprivileged::CanRun(true)) GTEST_SKIP() << "the test's user is not in the group dialout";
    const group* instrument = getgrnam("dialout");
    ASSERT_NE(instrument, nullptr);
    Unprivileged::Give(folder.Path());
    // As installed; of the wrong group; the user's own with a read-only file; below a folder nobody may
    // write.
    const std::string installed = folder.File("installiert");
    const std::string wrongGroup = folder.File("falsch");
    const std::string own = folder.File("eigen");
    const std::string closed = folder.File("zu");
    for (const std::string& path : {installed, wrongGroup, own, closed})
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    ASSERT_EQ(chown(installed.c_str(), 0, instrument->gr_gid), 0);
    ASSERT_EQ(chmod(installed.c_str(), 02775), 0);
    ASSERT_EQ(chmod(wrongGroup.c_str(), 02775), 0);
    Unprivileged::Give(own);
    TempFolder::Write(own + "/KX207.INI", "");
    Unprivileged::Give(own + "/KX207.INI");
    ASSERT_EQ(chmod((own + "/KX207.INI").c_str(), 0444), 0);
    const std::string missing = closed + "/kx207";

    auto problem = [](const std::string& settingsFolder) {
        return SettingsWriteProblem(settingsFolder, "KX207.INI");
    };
    auto says = [](const std::string& text, const std::string& part) {
        EXPECT_NE(text.find(part), std::string::npos) << text;
    };
    Unprivileged::Run(
        [&] {
            EXPECT_EQ(problem(installed), "");
            EXPECT_EQ(problem(folder.File("neu")), "") << "the first write makes it";
            says(problem(wrongGroup),
                 "Der Ordner " + wrongGroup + " ist für die Gruppe dialout nicht beschreibbar.");
            says(problem(wrongGroup),
                 "sudo chgrp dialout " + wrongGroup + " && sudo chmod 2775 " + wrongGroup);
            says(problem(own), "Die Einstellungen können nicht in " + own + "/KX207.INI gespeichert werden.");
            says(problem(own), "Die Datei ist für die Gruppe dialout nicht beschreibbar.");
            says(problem(missing), "sudo install -d -m 2775 -g dialout " + missing);
        },
        true);
    if (!Unprivileged::CanRun(false)) return;
    Unprivileged::Run([&] {
        const std::string user = getpwuid(geteuid())->pw_name;
        for (const std::string& settingsFolder : {installed, folder.File("neu")}) {
            says(problem(settingsFolder), "Der Benutzer " + user + " gehört nicht zur Gruppe dialout.");
            says(problem(settingsFolder),
                 "sudo adduser " + user + " dialout\nDanach ab- und wieder anmelden.");
        }
    });
}

TEST_F(IniFileTest, TwoCopiesWritingAtOnceKeepEachOthersKeys) {
    // In memory: the test is about the turns the copies take, not about how fast the disk syncs.
    TempFolder memory("/dev/shm");
    TIniFile ini("KX207.INI", memory.Path());
    for (int round = 0; round < 3; ++round) {
        std::filesystem::remove(ini.Path());
        std::vector<pid_t> copies;
        for (const char* key : {"Left Big", "Top Big"}) {
            const pid_t copy = fork();
            ASSERT_GE(copy, 0);
            if (copy == 0) {
                try {
                    for (int value = 1; value <= 300; ++value)
                        ini.WriteInteger("Fenster", key, value);
                } catch (const EIniFileException&) {
                    _exit(1);
                }
                _exit(0);
            }
            copies.push_back(copy);
        }
        for (const pid_t copy : copies) {
            int status = 0;
            waitpid(copy, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        EXPECT_EQ(ini.ReadInteger("Fenster", "Left Big", 0), 300) << "round " << round;
        EXPECT_EQ(ini.ReadInteger("Fenster", "Top Big", 0), 300) << "round " << round;
    }
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
