// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: creates the five windows, runs the message loop until the program is told to
// end or the main window is closed, then destroys the windows in reverse order. "--help" and
// "--version" answer in the terminal instead, without a window; every other argument is left to the
// toolkit, as ever.
#include "app/Program.h"

#include <QDir>
#include <cstdio>
#include <cstring>

namespace {

bool Given(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (Given(argc, argv, "--help")) {
        const QString settings =
            QDir::toNativeSeparators(QString::fromStdString(TIniFile("KX207.INI").Path()));
        std::printf("Aufruf: kx207 [--help | --version]\n"
                    "Misst, zeigt und speichert Spektren des KOLiX-Spektrometers KX207, in einem Fenster.\n"
                    "Das Spektrometer vor dem Start anstecken: Das Programm sucht es nur beim Start.\n"
                    "Einstellungen: %s\n"
                    "  --help     zeigt diese Hilfe\n"
                    "  --version  zeigt die Version\n",
                    settings.toLocal8Bit().constData());
        return 0;
    }
    if (Given(argc, argv, "--version")) {
        std::puts("KX207 Version " KX207_VERSION);
        return 0;
    }
    return RunProgram(argc, argv);
}
