// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempFolder.h"

#include <filesystem>
#include <stdexcept>
#include <windows.h>

// Windows has no memory folder, so every folder lies below the system's temporary folder (under Wine,
// inside the prefix).
TempFolder::TempFolder(const std::string&) {
    static unsigned next = 0;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    const std::string process = std::to_string(GetCurrentProcessId());
    for (unsigned tries = 0; tries < 1000; ++tries) {
        const std::filesystem::path folder = base / ("kx207-test-" + process + "-" + std::to_string(next++));
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            path_ = folder.generic_u8string();
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    throw std::runtime_error("no temporary folder");
}
