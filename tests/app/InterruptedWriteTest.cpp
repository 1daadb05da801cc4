// A settings write killed half way leaves the file as it was or as the write meant it: never empty,
// never cut short, never a mix of both.
#include "app/IniFile.h"

#include "support/InterruptedSave.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>

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

    // A write with its flush to the disk takes about a millisecond: kills up to 3 ms after the first
    // write land at every step of a later one.
    std::mt19937 random(207);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    int oldSeen = 0, newSeen = 0;
    for (int kill = 0; kill < 50; ++kill) {
        TempFolder::Write(ini.Path(), oldBytes);
        ASSERT_TRUE(KillWhileSaving(writeVersion, std::chrono::microseconds(delayUs(random))));
        const std::string after = TempFolder::Read(ini.Path());
        oldSeen += after == oldBytes;
        newSeen += after == newBytes;
        EXPECT_TRUE(after == oldBytes || after == newBytes)
            << "kill " << kill << " left " << after.size() << " bytes";
    }
    // Both outcomes came up, so the kills did hit writes in progress.
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

} // namespace
