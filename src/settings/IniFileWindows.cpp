// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file kept by the system's private-profile functions, as every Windows program keeps its
// INI file: they read and change one key at a time and leave every other line as it was.
#include "settings/IniFile.h"

#include "files/WindowsFiles.h"
#include "settings/SettingsFolder.h"

#include <system_error>
#include <windows.h>

namespace {

// The functions' longest text, 2047 characters, and its terminating null.
constexpr DWORD TextBufferSize = 2048;

// Starts a settings file as UTF-16 text: the functions keep a file that begins with its byte-order mark
// in Unicode, any other in the system's ANSI code page, which lacks most letters (a folder named
// "C:\Users\Łukasz" would come back with "?" for "Ł"). An existing file stays as it is.
void StartAsUnicode(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const char byteOrderMark[] = {'\xFF', '\xFE'};
    DWORD written = 0;
    WriteFile(file, byteOrderMark, sizeof byteOrderMark, &written, nullptr);
    CloseHandle(file);
}

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    wchar_t text[TextBufferSize];
    GetPrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(), WideText(defaultValue).c_str(),
                             text, TextBufferSize, WidePath(Path()).c_str());
    return Utf8Text(text);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    try {
        MakeSettingsFolder(folder_);
        // The functions change one key at a time, but two programs could each read the file before the
        // other writes it back.
        const SettingsWriteLock lock(folder_);
        // A value is one line of the file: what follows a line break in it would stand as lines of
        // their own, as other keys or sections.
        const std::string line = value.substr(0, value.find_first_of("\r\n"));
        const std::wstring path = WidePath(Path());
        StartAsUnicode(path);
        if (!WritePrivateProfileStringW(WideText(section).c_str(), WideText(key).c_str(),
                                        WideText(line).c_str(), path.c_str()))
            throw std::system_error(ErrnoOfSystemError(GetLastError()), std::generic_category(), Path());
    } catch (const std::system_error&) {
        throw EIniFileException("In " + fileName_ + " kann nicht geschrieben werden");
    }
}
