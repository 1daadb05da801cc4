// SPDX-License-Identifier: GPL-3.0-or-later
// Spectrum files on Windows.
#include "CsvSpectrumFileFixture.h"

#include <cerrno>

std::vector<std::pair<std::string, int>> UnreadableSpecialFiles(const TempFolder&) {
    // A device name opens the device in every folder.
    return {{"NUL", EINVAL}, {"C:/nul", EINVAL}};
}
