// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// The machine's settings folder is shared by the users of the instrument group "dialout": it belongs to
// that group, is group-writable and passes its group on to the files made in it (mode 2775). On Windows
// it is a folder below %ProgramData% that the installer makes writable for all users.

// `folder` as the system names it: environment variables ("%ProgramData%") expanded on Windows,
// unchanged on Linux.
std::string SystemFolderName(const std::string& folder);

// Makes `folder` when it is missing, for the instrument group with mode 2775 whatever the umask. Throws
// std::system_error when it can't; a folder that can't be given to the group is not left behind.
void MakeSettingsFolder(const std::string& folder);

// Held by every write of the settings from reading the file to renaming the new one over it, so that
// copies of the program writing at the same time never undo each other's keys. Throws std::system_error
// when the folder can't be opened.
class SettingsWriteLock {
public:
    explicit SettingsWriteLock(const std::string& folder);
    ~SettingsWriteLock();
    SettingsWriteLock(const SettingsWriteLock&) = delete;
    SettingsWriteLock& operator=(const SettingsWriteLock&) = delete;

private:
    std::intptr_t handle_;
};

class TIniFile;

// Where an earlier version kept the settings under the bare name "KX207.INI": on Windows the user's
// VirtualStore copy of the Windows folder's file, else the Windows folder's own; on Linux nowhere else,
// the bare name always meant the settings folder. When `ini`'s file doesn't exist yet, the first of those
// that exists is copied into it, every section and key, and stays as it was. Returns its path as the
// system names it, or an empty text when nothing was taken over.
std::string TakeOverFormerSettings(const TIniFile& ini);

// Why this user can't write the settings file `fileName` in `folder`, and the remedy, as the German text
// of a message; empty when the settings can be written.
std::string SettingsWriteProblem(const std::string& folder, const std::string& fileName);
