// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HandbookFolder.h"

#include <QDir>
#include <QFileInfo>

QString InstalledHandbookFolder(const QString& programFolder) {
#ifdef KX207_HANDBOOK_FROM_BINDIR
    return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(KX207_HANDBOOK_FROM_BINDIR)));
#else
    return QDir(programFolder).filePath(QStringLiteral("Handbuch"));
#endif
}

QStringList HandbookCandidates(const QString& programFolder) {
    QStringList folders{InstalledHandbookFolder(programFolder)};
    for (QString folder = QDir(programFolder).absolutePath();;) {
        folders << QDir(folder).filePath(QStringLiteral("docs/handbuch"));
        const QString above = QFileInfo(folder).path();
        if (above == folder) break;
        folder = above;
    }
    return folders;
}

QString FindHandbook(const QStringList& folders) {
    for (const QString& folder : folders)
        if (QFileInfo(QDir(folder).filePath(QStringLiteral("index.html"))).isFile()) return folder;
    return {};
}
