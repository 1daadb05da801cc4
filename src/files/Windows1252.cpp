// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Windows1252.h"

#include <QList>

namespace {

// Characters of the bytes 0x80..0x9F. The undefined 0x81, 0x8D, 0x8F, 0x90 and 0x9D keep their own
// number so that files made elsewhere survive a load and a save unchanged.
constexpr char16_t HighRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool InHighRange(char32_t code) {
    return code >= 0x80 && code < 0xA0;
}

char ToByte(char32_t code) {
    if (code <= 0xFF && !InHighRange(code)) return static_cast<char>(code);
    for (int i = 0; i < 32; ++i)
        if (HighRange[i] == code) return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

QString FromWindows1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.append(InHighRange(code) ? QChar(HighRange[code - 0x80]) : QChar(code));
    }
    return text;
}

std::string ToWindows1252(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    // By code point, so that a character outside the basic plane becomes one '?', not two.
    for (const char32_t code : text.toUcs4())
        bytes.push_back(ToByte(code));
    return bytes;
}
