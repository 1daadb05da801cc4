// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TempFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

TempFolder::~TempFolder() {
    // A test may have closed folders inside (mode 0555); only the superuser could empty them as they are,
    // but their owner may open them again. Each is opened before the walk enters it.
    namespace fs = std::filesystem;
    std::error_code ignored;
    const fs::path root = fs::u8path(path_);
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator entry(root, ignored), end; entry != end; entry.increment(ignored))
        if (entry->symlink_status(ignored).type() == fs::file_type::directory)
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
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
