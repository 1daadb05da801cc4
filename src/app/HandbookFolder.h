// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Where installing puts the handbook for the program in `programFolder`: on Windows the folder
// "Handbuch" beside the program, elsewhere "share/kx207/handbuch" below the program's prefix.
QString InstalledHandbookFolder(const QString& programFolder);

// Folders where the handbook may lie, the installed one first, then "docs/handbuch" in each folder
// from the program's up to the root, which finds the checkout a program was built in.
QStringList HandbookCandidates(const QString& programFolder);

// The first of `folders` that holds the handbook's "index.html", or an empty text when none does.
QString FindHandbook(const QStringList& folders);
