// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string_view>
#include <vector>

// The content of a line file: its first line and the lines after it that are not empty.
struct LineFile {
    QString Name;
    // Exactly as they stand in the file, in file order.
    QStringList Entries;
};

// Reads a line file (Windows-1252, lines ending in CR LF or LF). A file that can't be read gives an
// empty name and no entries.
LineFile ReadLineFile(const QString& path);
// Reads the bytes of a line file as ReadLineFile reads them from the file.
LineFile ParseLineFile(std::string_view bytes);

// The wavelength of a line entry when the entry is a whole number: optional sign and decimal digits, or
// "0x" and hexadecimal digits, as the settings file reads integers; leading blanks are skipped, anything
// after the number (a decimal point, a unit, a blank) makes it no whole number.
bool LineWavelength(const QString& entry, int32_t& nm);

// One line file of the library folder.
struct LineFileEntry {
    // The entry shown in the list: the file name without ".dat".
    QString Caption;
    // The file's name in the folder, with the extension in its own letter case.
    QString FileName;
};

// The line files of `folder`: regular files (or links to them) whose names end in ".dat" in any letter
// case, hidden ones left out, sorted by name regardless of letter case.
std::vector<LineFileEntry> ListLineFiles(const QString& folder);

// The folder the line window lists: "dat" below `startDir` when there is such a folder, otherwise
// `currentFolder`, the one listed before.
QString LineLibraryFolder(const QString& startDir, const QString& currentFolder);
