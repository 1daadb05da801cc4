// Runs every test inside the program's application object on the headless platform, with a lock
// folder of its own for serial ports.
#include "app/Application.h"
#include "device/SerialPlatform.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    // Ports opened by tests make their lock files here, never in the machine's lock folder.
    const TempFolder lockFolder;
    SetSerialLockFolder(lockFolder.Path());
    TApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
