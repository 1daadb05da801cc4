// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

TempFolder::TempFolder(const std::string& preferredBase) {
    const char* base = std::getenv("TMPDIR");
    std::error_code ignored;
    std::string pattern = (!preferredBase.empty() && std::filesystem::is_directory(preferredBase, ignored)
                               ? preferredBase
                               : std::string(base && *base ? base : "/tmp")) +
                          "/kx207-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
}
