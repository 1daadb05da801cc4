// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the tests of the Windows program inside an application object that can show windows (the
// demonstration's tests drive the main window headless). They keep their files in temporary folders;
// under Wine the home and the temporary folder lie in the test run's own prefix.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
