// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file on Windows: a folder named with environment variables, made by the first write, and
// what the start check says when the folder can't be made. (Wine run as root writes files marked
// read-only, so the check of such a file is left to Windows itself.)
#include "IniFileFixture.h"
#include "settings/SettingsFolder.h"

#include <windows.h>

namespace {

TEST_F(IniFileTest, TheFolderMayNameEnvironmentVariablesAndTheFirstWriteMakesIt) {
    ASSERT_TRUE(SetEnvironmentVariableA("KX207_TEST_FOLDER", folder.Path().c_str()));
    const std::string named = "%KX207_TEST_FOLDER%/KX207";
    EXPECT_EQ(SettingsWriteProblem(named, "KX207.INI"), "") << "the first write makes the folder";
    TIniFile("KX207.INI", named).WriteInteger("TSL1401", "Gain", 3);
    EXPECT_EQ(TIniFile("KX207.INI", folder.File("KX207")).ReadInteger("TSL1401", "Gain", 0), 3);
    EXPECT_EQ(SettingsWriteProblem(named, "KX207.INI"), "");
}

TEST_F(IniFileTest, TheStartCheckSaysWhatHelpsWhereTheFolderCannotBeMade) {
    std::string missing = folder.File("fehlt/KX207");
    for (char& c : missing)
        if (c == '/') c = '\\';
    EXPECT_EQ(SettingsWriteProblem(folder.File("fehlt/KX207"), "KX207.INI"),
              "Die Einstellungen können nicht in " + missing +
                  "\\KX207.INI gespeichert werden.\n"
                  "Der Ordner " +
                  missing +
                  " fehlt und kann nicht angelegt werden.\n\n"
                  "Abhilfe in einer Eingabeaufforderung als Administrator:\nmkdir \"" +
                  missing +
                  "\"\n"
                  "icacls \"" +
                  missing + "\" /grant *S-1-5-32-545:(OI)(CI)M");
}

} // namespace
