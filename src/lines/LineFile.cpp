// SPDX-License-Identifier: GPL-3.0-or-later
#include "lines/LineFile.h"

#include "files/TextFile.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

LineFile LineFileFromLines(const QStringList& lines) {
    LineFile file;
    file.Name = lines.value(0);
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (!lines[i].isEmpty()) file.Entries.append(lines[i]);
    return file;
}

} // namespace

LineFile ReadLineFile(const QString& path) {
    return LineFileFromLines(ReadTextFileLines(path.toStdString()).Lines);
}

LineFile ParseLineFile(std::string_view bytes) {
    return LineFileFromLines(SplitTextLines(bytes));
}

bool LineWavelength(const QString& entry, int32_t& nm) {
    qsizetype start = 0;
    while (start < entry.size() && entry[start] == u' ')
        ++start;
    return ParseIniInteger(entry.mid(start).toStdString(), nm);
}

std::vector<LineFileEntry> ListLineFiles(const QString& folder) {
    // The name filter ignores letter case. Without QDir::Hidden and QDir::System, dot files, pipes, devices
    // and broken links stay out.
    const QFileInfoList found = QDir(folder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files);
    std::vector<LineFileEntry> entries;
    for (const QFileInfo& info : found)
        entries.push_back({info.fileName().chopped(4), info.fileName()});
    // Names that differ only in letter case keep a fixed order among themselves.
    std::sort(entries.begin(), entries.end(), [](const LineFileEntry& a, const LineFileEntry& b) {
        const int order = a.FileName.compare(b.FileName, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.FileName < b.FileName;
    });
    return entries;
}

QString LineLibraryFolder(const QString& startDir, const QString& currentFolder) {
    const QString library = QDir(startDir).filePath(QStringLiteral("dat"));
    return QFileInfo(library).isDir() ? library : currentFolder;
}
