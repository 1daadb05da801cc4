// SPDX-License-Identifier: GPL-3.0-or-later
// Spectrum files on Windows, and the paths the system is given.
#include "CsvSpectrumFileFixture.h"
#include "files/WindowsFiles.h"

#include <cerrno>

std::vector<std::pair<std::string, int>> UnreadableSpecialFiles(const TempFolder&) {
    // A device name opens the device in every folder.
    return {{"NUL", EINVAL}, {"C:/nul", EINVAL}};
}

// Where the system's path limit would refuse a path or the save's temporary file beside it, the long
// form is made, which the system takes as it stands: so "." and ".." are resolved first.
TEST(WidePath, PathsReachingTheLimitTakeTheLongForm) {
    const std::string name(230, 'x');
    EXPECT_EQ(WidePath("C:/Schule/a.csv"), L"C:\\Schule\\a.csv");
    EXPECT_EQ(WidePath("C:/Schule/" + std::string(250, 'o') + "/../" + name),
              L"\\\\?\\C:\\Schule\\" + WideText(name));
    EXPECT_EQ(WidePath("//server/share/./" + name), L"\\\\?\\UNC\\server\\share\\" + WideText(name));
}
