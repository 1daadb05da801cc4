// SPDX-License-Identifier: GPL-3.0-or-later
// Runs every test inside the program's application object on the headless platform, with a home
// folder and a lock folder for serial ports of its own, so that nothing a test does reaches the real
// home or the machine's lock folder. A message box that no test answers fails the test at once.
#include "device/SerialPlatform.h"
#include "support/ModalWatcher.h"
#include "support/TempFolder.h"
#include "ui/Application.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const TempFolder home;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.File(".config").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    const TempFolder lockFolder;
    SetSerialLockFolder(lockFolder.Path());
    int result = 0;
    {
        TApplication application(argc, argv);
        const UnexpectedMessageBoxes unexpected;
        result = RUN_ALL_TESTS();
    }
    return result;
}
