// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdlib>

// Texts need the font database, which lives in the application object: made once, off-screen, by the
// first benchmark that draws.
inline void EnsureApplication() {
    if (QCoreApplication::instance()) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "kx207bench";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
}
