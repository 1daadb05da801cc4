// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on Windows: a folder named with environment variables, made by the first write, and
// what the start check says when the folder can't be made or the file is marked read-only.
#include "IniFileFixture.h"
#include "files/WindowsFiles.h"
#include "settings/SettingsFolder.h"

#include <windows.h>

namespace {

std::string Backslashed(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The start check's text for a settings folder, with the reason in the middle.
std::string CannotSave(const std::string& folder, const std::string& reason) {
    return "Die Einstellungen können nicht in " + folder + "\\KX207.INI gespeichert werden.\n" + reason +
           "\n\nAbhilfe in einer Eingabeaufforderung als Administrator:\nmkdir \"" + folder +
           "\"\n"
           "icacls \"" +
           folder + "\" /grant *S-1-5-32-545:(OI)(CI)M";
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
              CannotSave(missing, "Der Ordner " + missing + " fehlt und kann nicht angelegt werden."));
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
