// A spectrum save killed half way leaves the file as it was or as the save meant it: never empty,
// never cut short, never a mix of both.
#include "files/CsvSpectrumFile.h"

#include "support/InterruptedSave.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(InterruptedSave, SpectrumFileIsTheOldOrTheNewOneAfterEveryKill) {
    TempFolder folder;
    const std::string path = folder.File("hg.csv");
    std::array<int32_t, ChannelCount> older{}, newer{};
    for (int c = 0; c < ChannelCount; ++c) {
        older[c] = c;
        newer[c] = 1000 + c * 7;
    }
    const WavelengthCalibration calibration;
    const auto saveVersion = [&](int round) {
        SaveSpectrumFile(path, round % 2 ? QStringLiteral("alt") : QStringLiteral("neu"),
                         round % 2 ? older : newer, calibration);
    };
    saveVersion(0);
    const std::string newBytes = TempFolder::Read(path);
    saveVersion(1);
    const std::string oldBytes = TempFolder::Read(path);

    // A save with its flush to the disk takes about a millisecond: kills up to 3 ms after the first
    // save land at every step of a later one.
    std::mt19937 random(207);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    int oldSeen = 0, newSeen = 0;
    for (int kill = 0; kill < 50; ++kill) {
        TempFolder::Write(path, oldBytes);
        ASSERT_TRUE(KillWhileSaving(saveVersion, std::chrono::microseconds(delayUs(random))));
        const std::string after = TempFolder::Read(path);
        oldSeen += after == oldBytes;
        newSeen += after == newBytes;
        EXPECT_TRUE(after == oldBytes || after == newBytes)
            << "kill " << kill << " left " << after.size() << " bytes";
    }
    // Both outcomes came up, so the kills did hit saves in progress.
    EXPECT_GT(oldSeen, 0);
    EXPECT_GT(newSeen, 0);
}

} // namespace
