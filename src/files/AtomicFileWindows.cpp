// SPDX-License-Identifier: GPL-3.0-or-later
// Atomic replacement on Windows: the new file is written beside the old one and takes its place with
// ReplaceFile, which keeps the old file's attributes and access rights. New files get the folder's
// inherited access rights; the mode has no meaning here.
#include "files/AtomicFile.h"

#include "files/WindowsFiles.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <windows.h>

namespace {

[[noreturn]] void Fail(int error, const std::string& path) {
    throw std::system_error(error, std::generic_category(), path);
}

[[noreturn]] void FailWithSystemError(const std::string& path) {
    Fail(ErrnoOfSystemError(GetLastError()), path);
}

// Writes all of `bytes` to `file` and brings them to the disk; false with the system's error set.
bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
        done += written;
    }
    return SetEndOfFile(file) && FlushFileBuffers(file);
}

// Where no temporary file can be made beside an existing file the user may write, the file itself is
// written, as an ordinary save would.
void WriteInPlace(const std::wstring& target, const std::string& bytes, const std::string& path) {
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) FailWithSystemError(path);
    const bool written = WriteAll(file, bytes);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!written) Fail(ErrnoOfSystemError(error), path);
}

} // namespace

void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t, bool) {
    const std::wstring target = WidePath(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) Fail(EISDIR, path);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) Fail(EACCES, path);

    const std::wstring temporary = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                                   std::to_wstring(GetCurrentThreadId());
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (exists && GetLastError() == ERROR_ACCESS_DENIED) {
            WriteInPlace(target, bytes, path);
            return;
        }
        FailWithSystemError(path);
    }
    const bool written = WriteAll(file, bytes);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (written) {
        const bool replaced =
            exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                  nullptr, nullptr) != 0
                   : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        if (replaced) return;
        error = GetLastError();
    }
    DeleteFileW(temporary.c_str());
    Fail(ErrnoOfSystemError(error), path);
}
