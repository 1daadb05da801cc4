// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kx207-sim/InstrumentModel.h"
#include "kx207-sim/PseudoTerminal.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// The KX207 on a pseudo-terminal, played by a thread of its own on the master side (InstrumentModel
// says what it answers). Answers go out at once, within a few ms, unless SetAnswerDelay holds them
// back. All members may be called from any thread.
class SimulatedInstrument : public InstrumentModel {
public:
    explicit SimulatedInstrument(InstrumentOptions options = {});
    // Stops playing and closes the pseudo-terminal.
    ~SimulatedInstrument() override;

    // The device path the program opens as its port.
    const std::string& PortPath() const { return terminal_.SlavePath(); }
    // Line settings in force on the port, as the instrument's side sees them.
    termios LineSettings() const;
    // Unplugs the instrument now: the program's port sees a hang-up. Returns when done.
    void HangUp();

private:
    void Serve();
    // Sends what is due; bytes the port cannot take are dropped, as an instrument overruns.
    void SendDue(Clock::time_point now);
    // Closes the terminal, dropping what was still to be sent; called with the lock held.
    void Unplug();
    void Wake();

    PseudoTerminal terminal_;
    mutable std::mutex mutex_;
    std::condition_variable hungUp_;
    AnswerQueue outputs_;
    bool hangUpRequested_ = false;
    bool stopRequested_ = false;
    int wake_ = -1;
    std::thread thread_;
};
