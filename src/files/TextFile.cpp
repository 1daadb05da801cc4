// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TextFile.h"

#include "files/FileBytes.h"
#include "files/Windows1252.h"

#include <QStringDecoder>
#include <algorithm>
#include <vector>

namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

// Whether `bytes` hold characters beyond ASCII and are valid UTF-8, as a file saved as UTF-8 by a
// spreadsheet or an editor is. Windows-1252 text is valid UTF-8 only where it strings together letters
// like "Ã¼", which no spectrum name or line file holds.
bool IsUtf8WithNonAscii(std::string_view bytes) {
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return false;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !decoder.hasError();
}

} // namespace

TextFileLines ReadTextFileLines(const std::string& path, qsizetype maxLines) {
    TextFileLines result;
    std::string bytes;
    result.Error = ReadFileBytes(path, maxLines, bytes);
    if (result.Error == 0) result.Lines = SplitTextLines(bytes, maxLines);
    return result;
}

QStringList SplitTextLines(std::string_view bytes, qsizetype maxLines) {
    const bool marked = bytes.substr(0, Utf8Mark.size()) == Utf8Mark;
    if (marked) bytes.remove_prefix(Utf8Mark.size());
    std::vector<std::string_view> rawLines;
    size_t start = 0;
    while (start < bytes.size() && static_cast<qsizetype>(rawLines.size()) < maxLines) {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        if (end > start && bytes[end - 1] == '\r') --end;
        rawLines.push_back(bytes.substr(start, end - start));
        start = next;
    }
    const bool utf8 = marked || IsUtf8WithNonAscii(bytes.substr(0, start));
    QStringList lines;
    for (const std::string_view line : rawLines)
        lines.append(utf8 ? QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()))
                          : FromWindows1252(line));
    return lines;
}
