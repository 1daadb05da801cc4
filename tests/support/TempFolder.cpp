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
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (fs::recursive_directory_iterator entry(path_, ignored), end; entry != end; entry.increment(ignored))
        if (entry->symlink_status(ignored).type() == fs::file_type::directory)
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempFolder::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

void TempFolder::Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}
