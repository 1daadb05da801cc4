// SPDX-License-Identifier: GPL-3.0-or-later
// Settings files as anybody may have edited them: every key of the program reads from any content,
// a written value reads back, and a write leaves every other key's value as it was.
#include "FuzzSupport.h"

#include "settings/IniFile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <utility>

namespace {

// The sections and keys the program reads and writes.
const std::array<std::pair<const char*, const char*>, 16> ProgramKeys{{
    {"TSL1401", "Lambda_min"},
    {"TSL1401", "Lambda_max"},
    {"TSL1401", "Gain"},
    {"TSL1401", "Korrektur"},
    {"TSL1401", "Auto-Belichtung"},
    {"Diagramm", "Skalierung"},
    {"Diagramm", "AutoScale"},
    {"Diagramm", "Minimum"},
    {"Diagramm", "Maximum"},
    {"Diagramm", "Spektralfarben"},
    {"Diagramm", "Balkendiagramm"},
    {"Diagramm", "Gitter"},
    {"Diagramm", "Linienfarbe"},
    {"Daten", "Datenverzeichnis"},
    {"Fenster", "Left Main"},
    {"Fenster", "Top Main"},
}};

const std::string Absent = "\x01"
                           "absent";

// `name` with the letters whose bit in `mask` is set in the other case: names compare without case.
std::string WithCaseFlipped(std::string name, uint32_t mask) {
    for (size_t i = 0; i < name.size() && i < 32; ++i)
        if (mask >> i & 1u) {
            const unsigned char c = static_cast<unsigned char>(name[i]);
            name[i] = static_cast<char>(std::isupper(c) ? std::tolower(c) : std::toupper(c));
        }
    return name;
}

// Whether `value` reads back as written: the reader trims blanks, drops enclosing quotes and cuts at
// the line end, and a read gives at most 2047 characters.
bool ReadsBackAsWritten(const std::string& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (value.find_first_of("\r\n") != std::string::npos || value.size() > 2047) return false;
    if (!value.empty() && (blank(value.front()) || blank(value.back()))) return false;
    return !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
             value.back() == value.front());
}

void CheckIntegerForms(int32_t value) {
    int32_t parsed = 0;
    Require(ParseIniInteger(std::to_string(value), parsed) && parsed == value, "decimal integers read back");
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<uint32_t>(value));
    Require(ParseIniInteger(hex, parsed) && parsed == value, "hexadecimal integers read back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const auto& [section, key] = ProgramKeys[input.ConsumeIntegralInRange<size_t>(0, ProgramKeys.size() - 1)];
    const uint32_t caseMask = input.ConsumeIntegral<uint32_t>();
    const int32_t number = input.ConsumeIntegral<int32_t>();
    const std::string text = input.ConsumeRandomLengthString(64);
    const std::string content = input.ConsumeRemainingBytesAsString();
    CheckIntegerForms(number);

    TIniFile ini("KX207.INI", ScratchFolder());
    std::ofstream(ini.Path(), std::ios::binary | std::ios::trunc) << content;
    std::array<std::string, ProgramKeys.size()> before;
    for (size_t i = 0; i < ProgramKeys.size(); ++i) {
        before[i] = ini.ReadString(ProgramKeys[i].first, ProgramKeys[i].second, Absent);
        Require(before[i].size() <= 2047, "a read gives at most 2047 characters");
        ini.ReadInteger(ProgramKeys[i].first, ProgramKeys[i].second, 0);
    }

    const std::string sectionAsWritten = WithCaseFlipped(section, caseMask);
    const std::string keyAsWritten = WithCaseFlipped(key, caseMask >> 16);
    ini.WriteInteger(sectionAsWritten, keyAsWritten, number);
    Require(ini.ReadInteger(section, key, ~number) == number, "a written integer reads back");
    ini.WriteString(section, key, text);
    if (ReadsBackAsWritten(text))
        Require(ini.ReadString(sectionAsWritten, keyAsWritten, Absent) == text, "a written text reads back");
    for (size_t i = 0; i < ProgramKeys.size(); ++i)
        if (ProgramKeys[i].first != section || ProgramKeys[i].second != key)
            Require(ini.ReadString(ProgramKeys[i].first, ProgramKeys[i].second, Absent) == before[i],
                    "a write keeps the other keys' values");
    return 0;
}
