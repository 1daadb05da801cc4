// SPDX-License-Identifier: GPL-3.0-or-later
// Program entry: creates the five windows, runs the message loop until the program is told to
// end or the main window is closed, then destroys the windows in reverse order.
#include "app/Program.h"

int main(int argc, char** argv) {
    return RunProgram(argc, argv);
}
