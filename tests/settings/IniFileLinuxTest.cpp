// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on Linux: the program's own reader and writer, the instrument group's folder, rights
// of ordinary users, copies writing at once in other processes, and a disk that runs full.
#include "IniFileFixture.h"
#include "settings/SettingsFolder.h"

#include "support/Unprivileged.h"

#include <csignal>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST_F(IniFileTest, TheOwnWriterChangesOnlyTheKeysLineAndEndsNewLinesWithLf) {
    Given("; Notizen des Lehrers\r\n[TSL1401]\r\nGain=5\r\nFremd=ja\r\n\r\n[Eigenes]\r\nx=1\r\n");
    EXPECT_EQ(ini.ReadString("", "; Notizen des Lehrers", "none"), "none") << "a comment is no key";
    ini.WriteInteger("TSL1401", "gain", 42);
    ini.WriteBool("TSL1401", "Korrektur", true);
    ini.WriteString("Fenster", "Left Main", "-10");
    EXPECT_EQ(Content(), "; Notizen des Lehrers\r\n[TSL1401]\r\ngain=42\r\nFremd=ja\r\nKorrektur=1\n\r\n"
                         "[Eigenes]\r\nx=1\r\n\n[Fenster]\nLeft Main=-10\n");

    // A line that is only a key's name is no key.
    Given("[Diagramm]\nGitter\nGitter=1\n");
    EXPECT_EQ(ini.ReadInteger("Diagramm", "Gitter", 7), 1);
    ini.WriteBool("Diagramm", "Gitter", false);
    EXPECT_EQ(Content(), "[Diagramm]\nGitter\nGitter=0\n");

    Given("[Diagramm]\nOffset=0\n[Daten]\nDatenverzeichnis=/home\n");
    ini.WriteString("Daten", "Datenverzeichnis", "/home/a\n[Diagramm]\nOffset=900");
    EXPECT_EQ(Content(), "[Diagramm]\nOffset=0\n[Daten]\nDatenverzeichnis=/home/a\n");
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
    if (geteuid() != 0) GTEST_SKIP() << "only the superuser can give the test's files to root";
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
    if (geteuid() != 0) GTEST_SKIP() << "only the superuser can give the test's folders to root";
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
                 "su - -c 'chgrp dialout " + wrongGroup + " && chmod 2775 " + wrongGroup + "'");
            says(problem(own), "Die Einstellungen können nicht in " + own + "/KX207.INI gespeichert werden.");
            says(problem(own), "Die Datei ist für die Gruppe dialout nicht beschreibbar.");
            says(problem(own), "chmod 664 " + own + "/KX207.INI");
            says(problem(missing), "su - -c 'install -d -m 2775 -g dialout " + missing + "'");
        },
        true);
    if (!Unprivileged::CanRun(false)) return;
    Unprivileged::Run([&] {
        const std::string user = getpwuid(geteuid())->pw_name;
        for (const std::string& settingsFolder : {installed, folder.File("neu")}) {
            says(problem(settingsFolder), "Der Benutzer " + user + " gehört nicht zur Gruppe dialout.");
            says(problem(settingsFolder),
                 "su - -c 'adduser " + user + " dialout'\nDanach ab- und wieder anmelden.");
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
