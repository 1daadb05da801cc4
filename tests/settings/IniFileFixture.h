// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/IniFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

// A settings file in a fresh folder, and its content as bytes.
class IniFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    TIniFile ini{"KX207.INI", folder.Path()};

    void Given(const std::string& text) { TempFolder::Write(ini.Path(), text); }
    std::string Content() const { return TempFolder::Read(ini.Path()); }
};
