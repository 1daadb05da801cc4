// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-demo: the program measuring the instrument simulator inside the process, so that it can be
// seen working and practised with where no instrument is: the unchanged main window, whose device
// discovery reads a registry naming the simulated port, built with the simulated serial platform, and
// beside it the practice panel that changes what the instrument sees. The settings file lies in the
// folder given, by default the folder "Demo" below the one it is started in; on first use its
// exposure is set to regulate itself.
// Usage: kx207-demo [settings folder]
#include "app/Program.h"
#include "device/SimulatedPort.h"
#include "practice/PracticePanel.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

// Makes the settings folder with its first settings unless a settings file is there already.
bool ProvideSettings(const QString& folder) {
    const QString file = folder + QStringLiteral("/KX207.INI");
    if (QFile::exists(file)) return true;
    QFile settings(file);
    return QDir().mkpath(folder) && settings.open(QIODevice::WriteOnly) &&
           settings.write("[TSL1401]\nAuto-Belichtung=1\n") > 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs("Aufruf: kx207-demo [Ordner der Einstellungen]\n", stderr);
        return 2;
    }
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(
        argc == 2 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("Demo")));
    if (!ProvideSettings(folder)) {
        std::fprintf(stderr, "kx207-demo: Der Ordner „%s“ der Vorführung kann nicht eingerichtet werden.\n",
                     QDir::toNativeSeparators(folder).toLocal8Bit().constData());
        return 1;
    }
    MainFormContext context;
    context.SettingsFolder = folder.toStdString();
    context.CreateRegistry = [] { return std::make_unique<TFixedPortRegistry>(SimulatedPortName); };
    return RunProgram(argc, argv, context, [] {
        auto panel = std::make_unique<TPracticePanel>(PlayedInstrument());
        if (MainForm) panel->move(MainForm->frameGeometry().topRight() + QPoint(8, 0));
        panel->show();
        return panel;
    });
}
