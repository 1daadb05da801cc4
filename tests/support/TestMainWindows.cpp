// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the window-free tests of the Windows program inside an application object. They keep their
// files in temporary folders; under Wine the home and the temporary folder lie in the test run's own
// prefix.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
