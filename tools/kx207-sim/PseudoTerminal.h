// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <termios.h>

// A pseudo-terminal pair. The master end is the instrument's side; a program opens the slave path as
// its serial port. The pair keeps a slave descriptor of its own open, so that the master never sees a
// hang-up while the program has its port closed, and sets the line raw, so bytes pass unchanged.
class PseudoTerminal {
public:
    // Raises std::system_error when the system has no pseudo-terminal to give.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // The master descriptor (non-blocking), or -1 after HangUp.
    int Master() const { return master_; }
    // The simulator's own slave descriptor (non-blocking), or -1 after HangUp.
    int Slave() const { return slave_; }
    // The line settings in force on the slave side.
    termios LineSettings() const;
    // Closes both ends of the simulator's side: the program's port sees a hang-up, as if unplugged.
    void HangUp();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};
