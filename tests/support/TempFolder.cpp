// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(std::filesystem::u8path(path_), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(std::filesystem::u8path(path_), ignored);
}

// Paths are UTF-8, as everywhere in the program; on Windows a narrow path would be taken as ANSI.
std::string TempFolder::Read(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void TempFolder::Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out << bytes;
}
