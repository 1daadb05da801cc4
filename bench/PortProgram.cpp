// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-port-program: the program with the instrument at a given port and its settings in a given
// folder, on the system's serial platform, for the soak run against kx207-sim on a pseudo-terminal.
// The main window finds that port through its usual discovery, from a device registry that names it.
// Usage: kx207-port-program <port> <settings folder>
#include "app/Program.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: kx207-port-program <port> <settings folder>\n", stderr);
        return 2;
    }
    const std::string port = argv[1];
    MainFormContext context;
    context.SettingsFolder = argv[2];
    context.CreateRegistry = [port] { return std::make_unique<TFixedPortRegistry>(port); };
    return RunProgram(argc, argv, context);
}
