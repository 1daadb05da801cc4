// Runs every test inside the program's application object on the headless platform, with a home
// folder of its own, so that nothing a test does reaches the real home.
#include "app/Application.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const TempFolder home;
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", home.File(".config").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        TApplication application(argc, argv);
        result = RUN_ALL_TESTS();
    }
    return result;
}
