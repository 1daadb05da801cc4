// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file kept by the program itself: read and rewritten as text, the lines it does not
// change left as they were.
#include "settings/IniFile.h"

#include "files/AtomicFile.h"
#include "settings/SettingsFolder.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

constexpr size_t MaxTextLength = 2047;

std::string Trim(const std::string& text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The file's lines as they stand, each without its LF (a CR before it stays part of the line).
struct IniLines {
    std::vector<std::string> lines;
    bool endsWithNewline = true;

    static IniLines Load(const std::string& path) {
        IniLines result;
        std::ifstream in(path, std::ios::binary);
        if (!in) return result;
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string text = buffer.str();
        size_t start = 0;
        while (start < text.size()) {
            const size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                result.lines.push_back(text.substr(start));
                result.endsWithNewline = false;
                break;
            }
            result.lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return result;
    }

    std::string Text() const {
        std::string text;
        for (size_t i = 0; i < lines.size(); ++i) {
            text += lines[i];
            if (i + 1 < lines.size() || endsWithNewline) text += '\n';
        }
        return text;
    }

    // Section name of a header line, or false when the line is none.
    static bool SectionOf(const std::string& line, std::string& name) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() != '[') return false;
        const size_t close = trimmed.find(']');
        if (close == std::string::npos) return false;
        name = Trim(trimmed.substr(1, close - 1));
        return true;
    }

    static bool KeyOf(const std::string& line, std::string& key) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == ';') return false;
        const size_t equals = trimmed.find('=');
        if (equals == std::string::npos) return false;
        key = Trim(trimmed.substr(0, equals));
        return true;
    }

    // Index of the first line of the first section `section`, one past its header; npos if absent.
    size_t SectionBody(const std::string& section) const {
        std::string name;
        for (size_t i = 0; i < lines.size(); ++i)
            if (SectionOf(lines[i], name) && SameName(name, section)) return i + 1;
        return std::string::npos;
    }

    size_t SectionEnd(size_t body) const {
        std::string name;
        size_t i = body;
        while (i < lines.size() && !SectionOf(lines[i], name))
            ++i;
        return i;
    }

    size_t FindKey(const std::string& section, const std::string& key) const {
        const size_t body = SectionBody(section);
        if (body == std::string::npos) return std::string::npos;
        const size_t end = SectionEnd(body);
        std::string name;
        for (size_t i = body; i < end; ++i)
            if (KeyOf(lines[i], name) && SameName(name, key)) return i;
        return std::string::npos;
    }
};

std::string ValueOf(const std::string& line) {
    std::string value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const IniLines file = IniLines::Load(Path());
    const size_t line = file.FindKey(section, key);
    if (line == std::string::npos) return defaultValue;
    return ValueOf(file.lines[line]).substr(0, MaxTextLength);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    try {
        MakeSettingsFolder(folder_);
        const SettingsWriteLock lock(folder_);
        IniLines file = IniLines::Load(Path());
        // A value is one line of the file: what follows a line break in it (a folder name may hold one)
        // would otherwise stand as lines of their own, as other keys or sections.
        const std::string entry = key + "=" + value.substr(0, value.find_first_of("\r\n"));
        const size_t line = file.FindKey(section, key);
        if (line != std::string::npos) {
            // A replaced line keeps its own line end, so a file edited on Windows stays consistent.
            const bool crlf = !file.lines[line].empty() && file.lines[line].back() == '\r';
            file.lines[line] = crlf ? entry + '\r' : entry;
        } else if (const size_t body = file.SectionBody(section); body != std::string::npos) {
            size_t insertAt = file.SectionEnd(body);
            while (insertAt > body && Trim(file.lines[insertAt - 1]).empty())
                --insertAt;
            file.lines.insert(file.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
        } else {
            if (!file.lines.empty() && !Trim(file.lines.back()).empty()) file.lines.emplace_back();
            file.lines.push_back("[" + section + "]");
            file.lines.push_back(entry);
        }
        file.endsWithNewline = true;
        // Every user of the machine's instrument group may change the settings, whatever their umask.
        WriteFileAtomically(Path(), file.Text(), 0664, false);
    } catch (const std::system_error&) {
        throw EIniFileException("In " + fileName_ + " kann nicht geschrieben werden");
    }
}
