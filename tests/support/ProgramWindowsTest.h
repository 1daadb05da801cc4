// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/Program.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

// A test with the program's five windows, created before it and destroyed after it, and the
// settings file in a folder of its own.
class ProgramWindowsTest : public ::testing::Test {
protected:
    TempFolder folder;

    void SetUp() override { CreateWindows({folder.Path()}); }
    void TearDown() override { DestroyWindows(); }
};
