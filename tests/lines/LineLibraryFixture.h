// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lines/LineFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QStringList>

inline QString Q(const std::string& path) {
    return QString::fromStdString(path);
}

// A start folder whose line library "dat" the test fills, and what the library lists of it.
class LineLibrary : public ::testing::Test {
protected:
    TempFolder start;

    std::string Dat() const { return start.File("dat"); }
    void Add(const std::string& name) const { TempFolder::Write(Dat() + "/" + name, "x\n1\n"); }
    QStringList Captions() const { return Listed(&LineFileEntry::Caption); }
    QStringList FileNames() const { return Listed(&LineFileEntry::FileName); }

private:
    QStringList Listed(QString LineFileEntry::*part) const {
        QStringList texts;
        for (const LineFileEntry& entry : ListLineFiles(Q(Dat())))
            texts << entry.*part;
        return texts;
    }
};
