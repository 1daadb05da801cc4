// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on Windows: a folder named with environment variables, made by the first write,
// Unicode in a new file, the settings of earlier versions taken over, and what the start check says when
// the folder can't be made or the file is marked read-only.
#include "IniFileFixture.h"
#include "files/WindowsFiles.h"
#include "settings/SettingsFolder.h"

#include <filesystem>
#include <windows.h>

namespace {

std::string Backslashed(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The start check's text for a settings folder, with the reason in the middle; the folder is made first
// where it is missing.
std::string CannotSave(const std::string& folder, const std::string& reason, bool missing = false) {
    return "Die Einstellungen können nicht in " + folder + "\\KX207.INI gespeichert werden.\n" + reason +
           "\n\nAbhilfe in einer Eingabeaufforderung als Administrator:\n" +
           (missing ? "mkdir \"" + folder + "\"\n" : "") + "icacls \"" + folder +
           "\" /grant \"*S-1-5-32-545:(OI)(CI)M\"";
}

TEST_F(IniFileTest, TheFolderMayNameEnvironmentVariablesAndTheFirstWriteMakesIt) {
    ASSERT_TRUE(SetEnvironmentVariableA("KX207_TEST_FOLDER", folder.Path().c_str()));
    const std::string named = "%KX207_TEST_FOLDER%/KX207";
    EXPECT_EQ(SettingsWriteProblem(named, "KX207.INI"), "") << "the first write makes the folder";
    TIniFile("KX207.INI", named).WriteInteger("TSL1401", "Gain", 3);
    EXPECT_EQ(TIniFile("KX207.INI", folder.File("KX207")).ReadInteger("TSL1401", "Gain", 0), 3);
    EXPECT_EQ(SettingsWriteProblem(named, "KX207.INI"), "");
}

TEST_F(IniFileTest, TheStartCheckSaysWhatHelpsWhereTheFolderCannotBeMade) {
    const std::string missing = Backslashed(folder.File("fehlt/KX207"));
    EXPECT_EQ(SettingsWriteProblem(folder.File("fehlt/KX207"), "KX207.INI"),
              CannotSave(missing, "Der Ordner " + missing + " fehlt und kann nicht angelegt werden.", true));
}

TEST_F(IniFileTest, ANewFileIsUnicodeAndAnExistingOneKeepsItsCodePage) {
    ini.WriteString("Daten", "Datenverzeichnis", "C:\\Users\\Łukasz");
    EXPECT_EQ(Content().substr(0, 2), "\xFF\xFE");
    Given("[Daten]\r\n");
    ini.WriteString("Daten", "Datenverzeichnis", "C:\\Users\\Müller");
    EXPECT_EQ(Content().substr(0, 7), "[Daten]");
    EXPECT_EQ(ini.ReadString("Daten", "Datenverzeichnis", ""), "C:\\Users\\Müller");
}

TEST_F(IniFileTest, TheFirstStartTakesOverTheSettingsKeptUnderTheBareNameOnce) {
    const std::string windows = folder.File("Windows"), local = folder.File("Lokal");
    std::filesystem::create_directories(windows);
    std::filesystem::create_directories(local + "/VirtualStore/Windows");
    SetEnvironmentVariableW(L"WINDIR", WidePath(windows).c_str());
    SetEnvironmentVariableW(L"LOCALAPPDATA", WidePath(local).c_str());
    TempFolder::Write(windows + "/KX207.INI", "[TSL1401]\r\nLambda_min=380\r\n");
    const std::string virtualStore = local + "/VirtualStore/Windows/KX207.INI";
    TempFolder::Write(virtualStore,
                      "[TSL1401]\r\nLambda_min=390\r\n[Daten]\r\nDatenverzeichnis=\"C:\\Schule\"\r\n");
    TIniFile taker("KX207.INI", folder.File("KX207"));

    EXPECT_EQ(TakeOverFormerSettings(taker), Backslashed(virtualStore)) << "the user's own copy first";
    EXPECT_EQ(taker.ReadInteger("TSL1401", "Lambda_min", 360), 390);
    EXPECT_EQ(taker.ReadString("Daten", "Datenverzeichnis", ""), "C:\\Schule");
    EXPECT_EQ(TakeOverFormerSettings(taker), "") << "once";

    std::filesystem::remove(taker.Path());
    std::filesystem::remove(virtualStore);
    EXPECT_EQ(TakeOverFormerSettings(taker), Backslashed(windows) + "\\KX207.INI");
    EXPECT_EQ(taker.ReadInteger("TSL1401", "Lambda_min", 360), 380);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.File("KX207")), {}), 1)
        << "no leftovers";
}

TEST_F(IniFileTest, AFileMarkedReadOnlyIsNotWrittenAndTheStartCheckSaysSo) {
    const std::string old = "[Fenster]\r\nBig=0\r\n";
    Given(old);
    ASSERT_TRUE(SetFileAttributesW(WidePath(ini.Path()).c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        ini.WriteBool("Fenster", "Big", true);
        ADD_FAILURE() << "the write should have been refused";
    } catch (const EIniFileException& error) {
        EXPECT_STREQ(error.what(), "In KX207.INI kann nicht geschrieben werden");
    }
    EXPECT_EQ(Content(), old);
    EXPECT_EQ(SettingsWriteProblem(folder.Path(), "KX207.INI"),
              CannotSave(Backslashed(folder.Path()),
                         "Die Datei ist für die Benutzer dieses Computers nicht beschreibbar."));
    // The temporary folder goes with its files.
    SetFileAttributesW(WidePath(ini.Path()).c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
