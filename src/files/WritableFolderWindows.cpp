// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/WritableFolder.h"

#include "files/WindowsFiles.h"

#include <QStandardPaths>
#include <windows.h>

bool MayMakeFilesIn(const std::string& folder) {
    // Access rights are lists here that no mode bit sums up: a file is tried, which vanishes as it is
    // closed.
    if (folder.empty()) return false;
    const bool separated = folder.back() == '/' || folder.back() == '\\';
    const std::wstring probe =
        WidePath(folder + (separated ? "" : "/") + "KX207.tmp" + std::to_string(GetCurrentProcessId()));
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::string OwnFilesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
}
