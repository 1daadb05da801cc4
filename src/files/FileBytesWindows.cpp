// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileBytes.h"

#include "files/WindowsFiles.h"

#include <algorithm>
#include <cerrno>
#include <windows.h>

int ReadFileBytes(const std::string& path, qsizetype maxLines, std::string& bytes) {
    const std::wstring widePath = WidePath(path);
    // Looked at before opening: opening a COM port alone would already switch its lines.
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrnoOfSystemError(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EISDIR;
    const HANDLE file = CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ErrnoOfSystemError(GetLastError());
    // Looked at again: a device name ("COM1", "NUL") passes the attribute test in some forms.
    int error = GetFileType(file) == FILE_TYPE_DISK ? 0 : EINVAL;
    qsizetype lineEnds = 0;
    char buffer[65536];
    while (error == 0 && lineEnds < maxLines && bytes.size() < MaxTextFileBytes) {
        DWORD count = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &count, nullptr))
            error = ErrnoOfSystemError(GetLastError());
        if (error != 0 || count == 0) break;
        lineEnds += std::count(buffer, buffer + count, '\n');
        bytes.append(buffer, count);
    }
    CloseHandle(file);
    return error;
}
