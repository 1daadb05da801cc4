// SPDX-License-Identifier: GPL-3.0-or-later
// The settings folder on Windows: one folder below %ProgramData% for all users of the machine, made
// writable for them by the installer, or by the program where it makes the folder; writers take turns
// through a named mutex.
#include "settings/SettingsFolder.h"

#include "files/WindowsFiles.h"
#include "files/WritableFolder.h"

#include <functional>
#include <system_error>
#include <windows.h>

// After windows.h, whose types it takes.
#include <aclapi.h>

namespace {

// "Modify" (M) in the terms of icacls: read, write, run and delete, but not change the access rights.
constexpr DWORD ChangeRights = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;

[[noreturn]] void Fail(unsigned long error, const std::string& path) {
    throw std::system_error(ErrnoOfSystemError(error), std::generic_category(), path);
}

// The mutex of one settings folder, the same for every user and session of the machine where the
// system allows it.
HANDLE FolderMutex(const std::string& folder) {
    std::string lowered = folder;
    for (char& c : lowered)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c == '\\' ? '/' : c);
    const std::wstring name = L"KX207 settings " + std::to_wstring(std::hash<std::string>()(lowered));
    if (const HANDLE global = CreateMutexW(nullptr, FALSE, (L"Global\\" + name).c_str())) return global;
    return CreateMutexW(nullptr, FALSE, (L"Local\\" + name).c_str());
}

bool FileWritable(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Lets the group Users (S-1-5-32-545, whatever the system's language) change what the folder holds, as
// the installer does: below %ProgramData% a folder's files may otherwise be changed by their creator only,
// so the next user's settings would be refused. Its creator may always set this. 0 or the system's error.
DWORD GrantUsersChange(const std::wstring& folder) {
    BYTE users[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof users;
    if (!CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size)) return GetLastError();
    PACL current = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                        nullptr, &current, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) return error;
    EXPLICIT_ACCESSW change{};
    change.grfAccessPermissions = ChangeRights;
    change.grfAccessMode = GRANT_ACCESS;
    change.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    change.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    change.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    change.Trustee.ptstrName = reinterpret_cast<LPWSTR>(users);
    PACL granted = nullptr;
    error = SetEntriesInAclW(1, &change, current, &granted);
    if (error == ERROR_SUCCESS)
        error = SetNamedSecurityInfoW(const_cast<LPWSTR>(folder.c_str()), SE_FILE_OBJECT,
                                      DACL_SECURITY_INFORMATION, nullptr, nullptr, granted, nullptr);
    LocalFree(granted);
    LocalFree(descriptor);
    return error;
}

std::string Backslashed(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

} // namespace

std::string SystemFolderName(const std::string& folder) {
    const std::wstring wide = WideText(folder);
    const DWORD size = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    if (size == 0) return folder;
    std::wstring expanded(size, L'\0');
    ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), size);
    expanded.resize(size - 1);
    return Utf8Text(expanded);
}

void MakeSettingsFolder(const std::string& folder) {
    const std::wstring wideFolder = WidePath(folder);
    if (!CreateDirectoryW(wideFolder.c_str(), nullptr)) {
        if (GetLastError() != ERROR_ALREADY_EXISTS) Fail(GetLastError(), folder);
        return;
    }
    if (const DWORD error = GrantUsersChange(wideFolder)) {
        RemoveDirectoryW(wideFolder.c_str());
        Fail(error, folder);
    }
}

SettingsWriteLock::SettingsWriteLock(const std::string& folder)
    : handle_(reinterpret_cast<std::intptr_t>(FolderMutex(folder))) {
    if (handle_ == 0) Fail(GetLastError(), folder);
    // An abandoned mutex (a copy of the program that died while writing) is ours as well.
    const DWORD woken = WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), INFINITE);
    if (woken != WAIT_OBJECT_0 && woken != WAIT_ABANDONED) {
        const DWORD error = GetLastError();
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
        Fail(error, folder);
    }
}

SettingsWriteLock::~SettingsWriteLock() {
    ReleaseMutex(reinterpret_cast<HANDLE>(handle_));
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::string SettingsWriteProblem(const std::string& folder, const std::string& fileName) {
    const std::string shownFolder = Backslashed(SystemFolderName(folder));
    const std::string path = shownFolder + "\\" + fileName;
    const std::wstring widePath = WidePath(path), wideFolder = WidePath(shownFolder);
    std::string reason;
    if (GetFileAttributesW(widePath.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (FileWritable(widePath)) return {};
        reason = "Die Datei ist für die Benutzer dieses Computers nicht beschreibbar.";
    } else if (IsFolder(wideFolder)) {
        if (MayMakeFilesIn(shownFolder)) return {};
        reason = "Der Ordner " + shownFolder + " ist für die Benutzer dieses Computers nicht beschreibbar.";
    } else {
        // The first write makes the folder.
        const size_t slash = shownFolder.find_last_of('\\');
        if (slash != std::string::npos && MayMakeFilesIn(shownFolder.substr(0, slash))) return {};
        reason = "Der Ordner " + shownFolder + " fehlt und kann nicht angelegt werden.";
    }
    std::string remedy = "\n\nAbhilfe in einer Eingabeaufforderung als Administrator:\n";
    if (!IsFolder(wideFolder)) remedy += "mkdir \"" + shownFolder + "\"\n";
    // S-1-5-32-545 is the group "Benutzer" ("Users") under every language of the system.
    return "Die Einstellungen können nicht in " + path + " gespeichert werden.\n" + reason + remedy +
           "icacls \"" + shownFolder + "\" /grant \"*S-1-5-32-545:(OI)(CI)M\"";
}
