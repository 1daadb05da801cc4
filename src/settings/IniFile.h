// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Raised when the settings file refuses a write.
class EIniFileException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The per-machine settings file "KX207.INI", one value per call. Nothing is cached: every read
// opens the file, every write reaches it at once (replaced atomically), and lines written by
// anybody else stay as they were. Writes of several copies of the program take turns, so none loses
// another's key; reads take no lock, since a replaced file is always seen whole, old or new, and a
// read can then never be held up by a writer.
class TIniFile {
public:
    // `fileName` is the bare name; it resolves to `folder`, the one settings folder of the machine.
    explicit TIniFile(std::string fileName, std::string folder = KX207_SETTINGS_DIR);

    const std::string& FileName() const { return fileName_; }
    // The folder as the system names it, environment variables expanded.
    const std::string& Folder() const { return folder_; }
    std::string Path() const;

    // The stored text (at most 2047 characters) or `defaultValue` when the key is absent.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal, or hexadecimal after "0x"; anything else, or an absent key, gives `defaultValue`.
    int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
    // Read as an integer; any non-zero value is true.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Each write raises EIniFileException "In KX207.INI kann nicht geschrieben werden" when refused,
    // also for a file the user may not write; the file then stays as it was.
    // A value holds one line: a line break in it and whatever follows are not written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    std::string fileName_;
    std::string folder_;
};

// The integer forms of the settings file: optional sign and decimal digits, or "0x"/"0X" and up to
// eight hexadecimal digits (a 32-bit pattern). Returns false for anything else or out of range.
bool ParseIniInteger(const std::string& text, int32_t& value);
