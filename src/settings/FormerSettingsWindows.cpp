// SPDX-License-Identifier: GPL-3.0-or-later
// Settings an earlier version kept under the bare name KX207.INI, which the private-profile functions
// put into the Windows folder; for a user without administrator rights the system redirects such writes
// into that user's VirtualStore, so that copy is the one that user last saw. Taken over once into the
// settings folder of all users, so that a calibration made before still holds.
#include "files/WindowsFiles.h"
#include "settings/IniFile.h"
#include "settings/SettingsFolder.h"

#include <vector>
#include <windows.h>

namespace {

// Ample for the names of a settings file's sections, or of one section's keys.
constexpr DWORD NameListSize = 32767;
// The functions' longest text, 2047 characters, and its terminating null.
constexpr DWORD TextBufferSize = 2048;

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The names the functions give for a null `section` (the sections) or a null `key` (a section's keys).
std::vector<std::wstring> Names(const wchar_t* section, const std::wstring& path) {
    std::vector<wchar_t> list(NameListSize);
    const DWORD length =
        section ? GetPrivateProfileStringW(section, nullptr, L"", list.data(), NameListSize, path.c_str())
                : GetPrivateProfileSectionNamesW(list.data(), NameListSize, path.c_str());
    std::vector<std::wstring> names;
    for (DWORD at = 0; at < length && list[at] != L'\0'; at += static_cast<DWORD>(names.back().size()) + 1)
        names.emplace_back(list.data() + at);
    return names;
}

// Every section and key of the file `from` into `to`, with the values as the functions read them.
void CopyValues(const std::wstring& from, TIniFile& to) {
    for (const std::wstring& section : Names(nullptr, from))
        for (const std::wstring& key : Names(section.c_str(), from)) {
            wchar_t value[TextBufferSize];
            GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", value, TextBufferSize, from.c_str());
            to.WriteString(Utf8Text(section), Utf8Text(key), Utf8Text(value));
        }
}

} // namespace

std::string TakeOverFormerSettings(const TIniFile& ini) {
    const std::wstring target = WidePath(ini.Path());
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) return {};
    for (const char* former : {"%LOCALAPPDATA%\\VirtualStore\\Windows\\", "%WINDIR%\\"}) {
        const std::string path = SystemFolderName(former) + ini.FileName();
        const std::wstring source = WidePath(path);
        if (!IsFile(source)) continue;
        // Gathered beside the settings file and renamed when complete, so that a start cut short takes
        // the settings over again, and a copy of the program that got there first keeps its file.
        TIniFile gathered(ini.FileName() + ".tmp" + std::to_string(GetCurrentProcessId()), ini.Folder());
        const std::wstring gatheredPath = WidePath(gathered.Path());
        try {
            CopyValues(source, gathered);
            if (MoveFileExW(gatheredPath.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return path;
        } catch (const EIniFileException&) {
            // The start check tells why the settings folder can't be written.
        }
        DeleteFileW(gatheredPath.c_str());
        return {};
    }
    return {};
}
