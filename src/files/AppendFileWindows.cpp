// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/AppendFile.h"

#include "files/WindowsFiles.h"

#include <system_error>
#include <windows.h>

AppendFile::AppendFile(const std::string& path) {
    const HANDLE file = CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::system_error(ErrnoOfSystemError(GetLastError()), std::generic_category(), path);
    handle_ = reinterpret_cast<intptr_t>(file);
}

AppendFile::~AppendFile() {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void AppendFile::Append(const std::string& bytes) {
    const HANDLE file = reinterpret_cast<HANDLE>(handle_);
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD count = 0;
        if (!WriteFile(file, bytes.data() + written, DWORD(bytes.size() - written), &count, nullptr))
            throw std::system_error(ErrnoOfSystemError(GetLastError()), std::generic_category(), "WriteFile");
        written += count;
    }
    if (!FlushFileBuffers(file))
        throw std::system_error(ErrnoOfSystemError(GetLastError()), std::generic_category(),
                                "FlushFileBuffers");
}
