// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kx207-sim/Concentration.h"
#include "kx207-sim/LampSpectrum.h"
#include "kx207-sim/PseudoTerminal.h"
#include "kx207-sim/Reaction.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

// Ways the simulated instrument misbehaves.
enum class Fault {
    None,
    NoVersion,  // never answers the version request
    LateByte,   // sends 255 bytes of each spectrum at once and the last one 150 ms later
    ShortFrame, // sends only the first 200 bytes of each spectrum
    Silence,    // answers nothing
    Garbage,    // answers every byte with a burst of random bytes
    HangUp,     // is unplugged at the first spectrum request: the port hangs up
};

struct InstrumentOptions {
    Lamp lamp = Lamp::Mercury;
    std::string version = "KX207 Firmware 1.2\r\n"; // sent as is, at most 20 bytes
    Fault fault = Fault::None;
    uint32_t seed = 207;
    int exposure = 50;
    Filter filter = Filter::None;
    double darkCurrent = 0; // see Scene
    double flicker = 0.005; // see Scene
    LampDrift lampDrift{};  // the lamp's slow drift and extra brightness
    std::optional<DyeCuvette> cuvette{};
};

// The KX207 on a pseudo-terminal, played by a thread of its own on the master side: 254 answers the
// version text, 255 a spectrum of 256 bytes (128 readings H x 255 + L, channel 127 first), 0 to 100
// set the exposure without answer, other bytes are ignored. Answers go out at once, within a few ms,
// unless SetAnswerDelay holds them back.
// Every byte received is recorded. All members may be called from any thread.
class SimulatedInstrument {
public:
    explicit SimulatedInstrument(InstrumentOptions options = {});
    // Stops playing and closes the pseudo-terminal.
    ~SimulatedInstrument();
    SimulatedInstrument(const SimulatedInstrument&) = delete;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

    // The device path the program opens as its port.
    const std::string& PortPath() const { return terminal_.SlavePath(); }
    void SetFault(Fault fault);
    // Later answers start this long after their request, as a slow instrument's do.
    void SetAnswerDelay(std::chrono::milliseconds delay);
    // Later spectra carry exactly these readings (0 to 65279), until ServeLampSpectrum.
    void ServeReadings(const Readings& readings);
    // Later spectra come from the lamp at the current exposure, with noise.
    void ServeLampSpectrum();
    // Puts `filter` between lamp and sensor (Filter::None takes it out), from the next spectrum on.
    void SetFilter(Filter filter);
    // Puts a cuvette of dye in the beam (std::nullopt takes it out), from the next spectrum on.
    void SetCuvette(std::optional<DyeCuvette> cuvette);
    // Pours the reagents of `reaction` into the cuvette now: its band fades from the next spectrum on.
    void StartReaction(const ReactionOptions& reaction);
    // Blocks the light (a cap on the input) or lets it through again, from the next spectrum on.
    void SetLightBlocked(bool blocked);
    // Makes the lamp `factor` times as bright as at the start (1 is as it was), from the next spectrum on.
    void SetLampBrighter(double factor);
    int Exposure() const;
    // Every byte received so far, in order.
    std::vector<uint8_t> ReceivedBytes() const;
    // The readings of the last spectrum sent (or started), before encoding.
    Readings LastReadings() const;
    // Line settings in force on the port, as the instrument's side sees them.
    termios LineSettings() const;
    // Unplugs the instrument now: the program's port sees a hang-up. Returns when done.
    void HangUp();

    // The 256 bytes of a spectrum answer.
    static std::vector<uint8_t> EncodeFrame(const Readings& readings);

private:
    using Clock = std::chrono::steady_clock;
    struct Output {
        Clock::time_point due;
        std::vector<uint8_t> bytes;
    };

    void Serve();
    // Reacts to one received command byte, answering at `due`; called with the lock held.
    void Answer(uint8_t command, Clock::time_point due);
    void Queue(Clock::time_point due, std::vector<uint8_t> bytes);
    // Sends what is due; bytes the port cannot take are dropped, as an instrument overruns.
    void SendDue(Clock::time_point now);
    void Wake();
    // The scene the next spectrum shows; called with the lock held.
    Scene SceneNow() const;

    PseudoTerminal terminal_;
    mutable std::mutex mutex_;
    std::condition_variable hungUp_;
    InstrumentOptions options_;
    std::mt19937 random_;
    Clock::time_point switchedOn_ = Clock::now();
    bool blocked_ = false;
    std::chrono::milliseconds answerDelay_{0};
    std::optional<Readings> fixedReadings_;
    std::optional<Reaction> reaction_;
    Readings lastReadings_{};
    std::vector<uint8_t> received_;
    std::deque<Output> outputs_; // by due time
    bool hangUpRequested_ = false;
    bool stopRequested_ = false;
    int wake_ = -1;
    std::thread thread_;
};
