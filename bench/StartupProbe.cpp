// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program's five windows (or, with --bare, one empty Qt window), waits until the main
// window is on the screen and prints the milliseconds since the process began, then quits.
#include "app/Program.h"
#include "ui/Application.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process.
double SinceProcessStart() {
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i) {
    }
    const double startTicks = std::stod(field);
    std::ifstream uptimeFile("/proc/uptime");
    double uptime = 0;
    uptimeFile >> uptime;
    return (uptime - startTicks / sysconf(_SC_CLK_TCK)) * 1000.0;
}

void WaitUntilExposed(QWidget& window) {
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

} // namespace

int main(int argc, char** argv) {
    const bool bare = argc > 1 && std::strcmp(argv[1], "--bare") == 0;
    TApplication application(argc, argv);
    if (bare) {
        QWidget window;
        window.resize(537, 613);
        window.show();
        WaitUntilExposed(window);
    } else {
        // A settings folder of its own, so a measurement never touches the machine's settings.
        QTemporaryDir settings;
        CreateWindows({settings.path().toStdString()});
        WaitUntilExposed(*MainForm);
    }
    std::printf("%.0f\n", SinceProcessStart());
    std::fflush(stdout);
    _exit(0);
}
