// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/WritableFolder.h"

#include <filesystem>
#include <system_error>

namespace {

// The folder without the separators a chosen file's folder ends with.
std::string Trimmed(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

} // namespace

WritableFolderChoice ChooseWritableFolder(const std::string& remembered, const std::string& own) {
    if (MayMakeFilesIn(remembered)) return {remembered, false};
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::u8path(own), ignored);
    // The own folder remembered and since removed is made again, and replaces nothing.
    return {own, Trimmed(remembered) != Trimmed(own)};
}
