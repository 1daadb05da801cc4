// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <limits>
#include <string>
#include <string_view>

// The lines of a text file and why it could not be read.
struct TextFileLines {
    // 0, or the errno that kept the file from being opened or read (then Lines is empty).
    int Error = 0;
    QStringList Lines;
};

// Reads the lines of a text file: a line ends at LF, a CR at its end is dropped, and a last line without LF
// still counts. The text is Windows-1252, or UTF-8 when it starts with a UTF-8 byte-order mark (which is
// dropped) or is valid UTF-8 with characters beyond ASCII. Stops after `maxLines` lines or 16 MiB. Only
// regular files are read, so choosing a folder, a pipe or a device gives an error (EISDIR, EINVAL) instead of
// a hang or an opened port.
TextFileLines ReadTextFileLines(const std::string& path,
                                qsizetype maxLines = std::numeric_limits<qsizetype>::max());

// The lines of text as ReadTextFileLines takes them from a file, at most `maxLines`.
QStringList SplitTextLines(std::string_view bytes,
                           qsizetype maxLines = std::numeric_limits<qsizetype>::max());
