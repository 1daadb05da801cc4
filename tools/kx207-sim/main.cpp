// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-sim: plays the KX207 spectrometer on a pseudo-terminal. Prints the device path to open as the
// instrument's port on one line, then serves until it is ended (SIGINT or SIGTERM).
#include "kx207-sim/SimulatedInstrument.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <map>
#include <string>

namespace {

const char* const Usage =
    "usage: kx207-sim [--lamp hg|ne|led|white|cfl] [--version TEXT] [--exposure 0..100] [--seed N]\n"
    "                 [--delay MS] [--fault none|no-version|late-byte|short-frame|silence|garbage|hangup]\n";

[[noreturn]] void Refuse(const std::string& message) {
    std::fprintf(stderr, "kx207-sim: %s\n%s", message.c_str(), Usage);
    std::exit(2);
}

template <class Value>
Value Choice(const std::map<std::string, Value>& choices, const std::string& option, const char* text) {
    const auto found = choices.find(text);
    if (found == choices.end()) Refuse("unknown value for " + option + ": " + text);
    return found->second;
}

InstrumentOptions ParseOptions(int argc, char** argv, std::chrono::milliseconds& answerDelay) {
    InstrumentOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) Refuse("missing value for " + option);
        const char* value = argv[++i];
        if (option == "--lamp")
            options.lamp = Choice<Lamp>({{"hg", Lamp::Mercury},
                                         {"ne", Lamp::Neon},
                                         {"led", Lamp::Led},
                                         {"white", Lamp::White},
                                         {"cfl", Lamp::Fluorescent}},
                                        option, value);
        else if (option == "--fault")
            options.fault = Choice<Fault>({{"none", Fault::None},
                                           {"no-version", Fault::NoVersion},
                                           {"late-byte", Fault::LateByte},
                                           {"short-frame", Fault::ShortFrame},
                                           {"silence", Fault::Silence},
                                           {"garbage", Fault::Garbage},
                                           {"hangup", Fault::HangUp}},
                                          option, value);
        else if (option == "--version")
            options.version = value;
        else if (option == "--exposure")
            options.exposure = std::atoi(value);
        else if (option == "--delay")
            answerDelay = std::chrono::milliseconds(std::atoi(value));
        else if (option == "--seed")
            options.seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
        else
            Refuse("unknown option " + option);
    }
    if (options.exposure < 0 || options.exposure > 100) Refuse("exposure must be 0 to 100");
    if (answerDelay.count() < 0) Refuse("delay must not be negative");
    return options;
}

} // namespace

int main(int argc, char** argv) {
    std::chrono::milliseconds answerDelay{0};
    const InstrumentOptions options = ParseOptions(argc, argv, answerDelay);
    // The ending signals are taken here by sigwait, never by the serving thread.
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    sigaddset(&endSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
    try {
        SimulatedInstrument instrument(options);
        instrument.SetAnswerDelay(answerDelay);
        std::printf("%s\n", instrument.PortPath().c_str());
        std::fflush(stdout);
        int received;
        sigwait(&endSignals, &received);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kx207-sim: %s\n", error.what());
        return 1;
    }
    return 0;
}
