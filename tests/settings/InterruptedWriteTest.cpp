// SPDX-License-Identifier: GPL-3.0-or-later
// A settings write killed half way leaves the file as it was or as the write meant it: never empty,
// never cut short, never a mix of both.
#include "settings/IniFile.h"

#include "support/InterruptedSave.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(InterruptedWrite, SettingsFileIsTheOldOrTheNewOneAfterEveryKill) {
    TempFolder folder;
    TIniFile ini("KX207.INI", folder.Path());
    // A value long enough that the file takes more than one small write.
    const auto writeVersion = [&](int round) {
        ini.WriteString("Daten", "Datenverzeichnis", std::string(1500, round % 2 ? 'a' : 'n'));
    };
    TempFolder::Write(ini.Path(), "; Notizen\r\n[TSL1401]\r\nGain=50\r\n");
    writeVersion(0);
    const std::string newBytes = TempFolder::Read(ini.Path());
    writeVersion(1);
    const std::string oldBytes = TempFolder::Read(ini.Path());

    const KilledSaves outcomes = KillSavesAndLook(ini.Path(), oldBytes, newBytes, writeVersion, 50);
    EXPECT_EQ(outcomes.Other, 0);
    EXPECT_EQ(outcomes.Unkilled, 0);
    // Both outcomes came up, so the kills did hit writes in progress.
    EXPECT_GT(outcomes.Old, 0);
    EXPECT_GT(outcomes.New, 0);
}

} // namespace
