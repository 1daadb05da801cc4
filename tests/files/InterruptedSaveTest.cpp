// SPDX-License-Identifier: GPL-3.0-or-later
// A spectrum save killed half way leaves the file as it was or as the save meant it: never empty,
// never cut short, never a mix of both.
#include "files/CsvSpectrumFile.h"

#include "support/InterruptedSave.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

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

    const KilledSaves outcomes = KillSavesAndLook(path, oldBytes, newBytes, saveVersion, 50);
    EXPECT_EQ(outcomes.Other, 0);
    EXPECT_EQ(outcomes.Unkilled, 0);
    // Both outcomes came up, so the kills did hit saves in progress.
    EXPECT_GT(outcomes.Old, 0);
    EXPECT_GT(outcomes.New, 0);
}

} // namespace
