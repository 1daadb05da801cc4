// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// A fresh folder below the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    // Below `preferredBase` when that folder exists (such as "/dev/shm", where many synced writes
    // cost nothing), otherwise below the system's temporary folder. Windows has no such folder and
    // always takes its temporary folder.
    explicit TempFolder(const std::string& preferredBase = {});
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

    // Whole content of a file, or an empty text when it can't be read.
    static std::string Read(const std::string& path);
    static void Write(const std::string& path, const std::string& bytes);

private:
    std::string path_;
};
