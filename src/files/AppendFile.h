// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// A file that grows by whole records, each on the disk before Append returns, so that a killed program
// or a lost supply leaves every record appended so far and at most the last one cut short.
class AppendFile {
public:
    // Creates the file at `path` (an existing one is replaced). Throws std::system_error carrying errno.
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Writes `bytes` at the end and waits until they reach the disk. Throws std::system_error carrying
    // errno when they don't.
    void Append(const std::string& bytes);

private:
    intptr_t handle_ = -1; // the system's file: a descriptor on Linux, a HANDLE on Windows
};
