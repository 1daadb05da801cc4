// SPDX-License-Identifier: GPL-3.0-or-later
// The demonstration program as the menu entries start it: it makes its settings on first use, with the
// exposure regulating itself, and runs, measuring the instrument inside itself (what it measures is
// PracticeTest's part); it refuses arguments it doesn't know.
#include "support/TempFolder.h"

#include <QProcess>
#include <QThread>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

QProcessEnvironment Headless() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A warning the toolkit gives while the program starts is held back, then still reaches the terminal.
    environment.insert(QStringLiteral("QT_STYLE_OVERRIDE"), QStringLiteral("kein-stil"));
    return environment;
}

TEST(Demo, MakesItsSettingsOnFirstUseAndRuns) {
    TempFolder work;
    QProcess demo;
    demo.setProcessEnvironment(Headless());
    demo.setWorkingDirectory(QString::fromStdString(work.Path()));
    demo.start(QStringLiteral(KX207_DEMO), {});
    ASSERT_TRUE(demo.waitForStarted());
    const std::string settings = work.File("Demo/KX207.INI");
    for (int waited = 0; waited < 100 && !std::ifstream(settings); ++waited)
        QThread::msleep(100);
    QThread::msleep(2500); // the version asked and the first spectra measured
    const bool running = demo.state() == QProcess::Running;
    demo.kill();
    demo.waitForFinished();
    const std::string said = demo.readAllStandardError().toStdString();
    EXPECT_TRUE(running) << said;
    std::stringstream made;
    made << std::ifstream(settings).rdbuf();
    EXPECT_NE(made.str().find("[TSL1401]\nAuto-Belichtung=1\n"), std::string::npos) << made.str();
    EXPECT_NE(said.find("kein-stil"), std::string::npos) << said;
}

TEST(Demo, RefusesArgumentsItDoesNotKnow) {
    QProcess demo;
    demo.setProcessEnvironment(Headless());
    demo.start(QStringLiteral(KX207_DEMO), {QStringLiteral("/dev/pts/3"), QStringLiteral("Demo")});
    ASSERT_TRUE(demo.waitForFinished());
    EXPECT_EQ(demo.exitCode(), 2);
    EXPECT_TRUE(demo.readAllStandardError().startsWith("Aufruf: kx207-demo"));
}

} // namespace
