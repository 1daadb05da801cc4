// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kx207-sim/Concentration.h"
#include "kx207-sim/LampSpectrum.h"
#include "kx207-sim/Reaction.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <random>
#include <string>
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

// The KX207 without its line: the scene it looks at and its answers to command bytes. 254 answers
// the version text, 255 a spectrum of 256 bytes (128 readings H x 255 + L, channel 127 first), 0 to
// 100 set the exposure without answer, other bytes are ignored. Answers are due at once unless
// SetAnswerDelay holds them back. Every byte received is recorded. All members may be called from
// any thread; scene changes show from the next spectrum on.
class InstrumentModel {
public:
    using Clock = std::chrono::steady_clock;
    // Bytes the instrument sends at a time.
    struct Output {
        Clock::time_point due;
        std::vector<uint8_t> bytes;
    };
    // What the instrument does in reply to received bytes: its outputs in the order made (each goes
    // out at its due time; a late byte falls behind a later request's answer), and whether it was
    // unplugged, which ends what it would still have sent.
    struct Reply {
        std::vector<Output> outputs;
        bool hungUp = false;
    };

    explicit InstrumentModel(InstrumentOptions options = {});
    virtual ~InstrumentModel() = default;
    InstrumentModel(const InstrumentModel&) = delete;
    InstrumentModel& operator=(const InstrumentModel&) = delete;

    // Takes bytes the program sent, received at `now`; stops at an unplugging.
    Reply Receive(const uint8_t* bytes, long count, Clock::time_point now);

    void SetFault(Fault fault);
    // Later answers start this long after their request, as a slow instrument's do.
    void SetAnswerDelay(std::chrono::milliseconds delay);
    // Later spectra carry exactly these readings (0 to 65279), until ServeLampSpectrum.
    void ServeReadings(const Readings& readings);
    // Later spectra come from the lamp at the current exposure, with noise.
    void ServeLampSpectrum();
    // Puts another lamp in front of the instrument.
    void SetLamp(Lamp lamp);
    // Puts `filter` between lamp and sensor (Filter::None takes it out).
    void SetFilter(Filter filter);
    // Puts a cuvette of dye in the beam (std::nullopt takes it out); it hides a reaction's cuvette.
    void SetCuvette(std::optional<DyeCuvette> cuvette);
    // Pours the reagents of `reaction` into the cuvette now: its band fades from the next spectrum on.
    void StartReaction(const ReactionOptions& reaction);
    // Takes the reaction's cuvette out of the beam.
    void EndReaction();
    // Blocks the light (a cap on the input) or lets it through again.
    void SetLightBlocked(bool blocked);
    // Makes the lamp `factor` times as bright as at the start (1 is as it was).
    void SetLampBrighter(double factor);
    int Exposure() const;
    // Every byte received so far, in order.
    std::vector<uint8_t> ReceivedBytes() const;
    // The readings of the last spectrum sent (or started), before encoding.
    Readings LastReadings() const;

    // The 256 bytes of a spectrum answer.
    static std::vector<uint8_t> EncodeFrame(const Readings& readings);

private:
    // Reacts to one received command byte, answering at `due`; false once unplugged.
    bool Answer(uint8_t command, Clock::time_point due, Reply& reply);
    // The scene the next spectrum shows.
    Scene SceneNow() const;

    mutable std::mutex mutex_;
    InstrumentOptions options_;
    std::mt19937 random_;
    Clock::time_point switchedOn_ = Clock::now();
    bool blocked_ = false;
    std::chrono::milliseconds answerDelay_{0};
    std::optional<Readings> fixedReadings_;
    std::optional<Reaction> reaction_;
    Readings lastReadings_{};
    std::vector<uint8_t> received_;
};

// What an instrument has still to send, by due time: a reply's outputs wait here until their time.
class AnswerQueue {
public:
    using Clock = InstrumentModel::Clock;
    // Adds the outputs of a reply, each behind those due no later.
    void Add(std::vector<InstrumentModel::Output> outputs);
    // Takes out the bytes due by `now`, in order.
    std::vector<uint8_t> TakeDue(Clock::time_point now);
    // When the next output is due; none while the queue is empty.
    std::optional<Clock::time_point> NextDue() const;
    void Clear() { outputs_.clear(); }

private:
    std::deque<InstrumentModel::Output> outputs_;
};
