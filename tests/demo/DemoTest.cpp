// SPDX-License-Identifier: GPL-3.0-or-later
// The demonstration program against the simulated instrument: it finds the instrument at the port it
// is given, through the main window's own discovery, and measures it.
#include "kx207-sim/SimulatedInstrument.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace {

constexpr uint8_t VersionRequest = 254;
constexpr uint8_t SpectrumRequest = 255;

// Whether the instrument heard a version request and, after it, a spectrum request.
bool AskedVersionThenSpectrum(const std::vector<uint8_t>& heard) {
    const auto version = std::find(heard.begin(), heard.end(), VersionRequest);
    return version != heard.end() && std::find(version, heard.end(), SpectrumRequest) != heard.end();
}

TEST(Demo, MeasuresTheInstrumentAtTheGivenPort) {
    SimulatedInstrument instrument;
    TempFolder settings;
    QProcess demo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // A warning the toolkit gives while the program starts is held back, then still reaches the terminal.
    environment.insert(QStringLiteral("QT_STYLE_OVERRIDE"), QStringLiteral("kein-stil"));
    demo.setProcessEnvironment(environment);
    demo.setWorkingDirectory(QString::fromStdString(settings.Path()));
    demo.start(QStringLiteral(KX207_DEMO),
               {QString::fromStdString(instrument.PortPath()), QString::fromStdString(settings.Path())});
    ASSERT_TRUE(demo.waitForStarted());

    // The version is asked about a second after start, the first spectrum a second later.
    for (int waited = 0; waited < 300 && !AskedVersionThenSpectrum(instrument.ReceivedBytes()); ++waited)
        QThread::msleep(100);
    const bool running = demo.state() == QProcess::Running;
    demo.kill();
    demo.waitForFinished();
    // Killed, the demo leaves the lock file of its port in the machine's lock folder.
    std::string lockName = instrument.PortPath().substr(std::string("/dev/").size());
    std::replace(lockName.begin(), lockName.end(), '/', '_');
    std::remove(("/var/lock/LCK.." + lockName).c_str());
    const std::string said = demo.readAllStandardError().toStdString();
    EXPECT_TRUE(running) << said;
    EXPECT_TRUE(AskedVersionThenSpectrum(instrument.ReceivedBytes()));
    EXPECT_NE(said.find("kein-stil"), std::string::npos) << said;
}

} // namespace
