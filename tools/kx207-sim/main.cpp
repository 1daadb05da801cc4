// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-sim: plays the KX207 spectrometer on a pseudo-terminal. Prints the device path to open as the
// instrument's port on one line, then serves until it is ended (SIGINT or SIGTERM). Lines on its
// standard input change the scene while it runs: "dunkel" blocks the light, "hell" lets it through,
// "filter rot|gruen|grau|kein" puts a filter in or takes it out, "lampe FAKTOR" makes the lamp that many
// times as bright as at the start, "reaktion start" starts the reaction, "konz MG_L" puts a cuvette of
// dye at that concentration in the beam (0 is the blank) and "konz aus" takes it out.
#include "kx207-sim/SimulatedInstrument.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <thread>

namespace {

const char* const Usage =
    "usage: kx207-sim [--lamp hg|ne|led|white|cfl] [--version TEXT] [--exposure 0..100] [--seed N]\n"
    "                 [--delay MS] [--fault none|no-version|late-byte|short-frame|silence|garbage|hangup]\n"
    "                 [--filter kein|rot|gruen|grau] [--dark DIGITS] [--flicker SHARE] [--drift SHARE]\n"
    "                 [--brighter FACTOR] [--reaction] [--rate PER_MIN] [--a0 A] [--a-end A] [--time-factor "
    "F]\n"
    "                 [--dye MG_L] [--stray SHARE]\n"
    "stdin while running: dunkel | hell | filter kein|rot|gruen|grau | lampe FACTOR | reaktion start\n"
    "                     | konz MG_L|aus\n";

const std::map<std::string, Filter> Filters = {{"kein", Filter::None},
                                               {"rot", Filter::RedDye},
                                               {"gruen", Filter::GreenGlass},
                                               {"grau", Filter::NeutralDensity}};

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

// The reaction the options describe, and whether it starts at once.
struct ReactionChoice {
    ReactionOptions options;
    bool atStart = false;
};

InstrumentOptions ParseOptions(int argc, char** argv, std::chrono::milliseconds& answerDelay,
                               ReactionChoice& reaction, double& strayLight) {
    InstrumentOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            std::exit(0);
        }
        if (option == "--reaction") {
            reaction.atStart = true;
            continue;
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
        else if (option == "--filter")
            options.filter = Choice<Filter>(Filters, option, value);
        else if (option == "--dark")
            options.darkCurrent = std::atof(value);
        else if (option == "--flicker")
            options.flicker = std::atof(value);
        else if (option == "--drift")
            options.lampDrift.drift = std::atof(value);
        else if (option == "--brighter")
            options.lampDrift.brighter = std::atof(value);
        else if (option == "--dye")
            options.cuvette = DyeCuvette{std::atof(value), 0.0};
        else if (option == "--stray")
            strayLight = std::atof(value);
        else if (option == "--rate")
            reaction.options.ratePerMinute = std::atof(value);
        else if (option == "--a0")
            reaction.options.start = std::atof(value);
        else if (option == "--a-end")
            reaction.options.end = std::atof(value);
        else if (option == "--time-factor")
            reaction.options.timeFactor = std::atof(value);
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
    if (options.lampDrift.brighter <= 0) Refuse("brighter must be above 0");
    if (strayLight < 0 || strayLight > 1) Refuse("stray light must be 0 to 1");
    if (options.cuvette) options.cuvette->strayLight = strayLight;
    if (!(reaction.options.ratePerMinute >= 0) || !(reaction.options.timeFactor > 0))
        Refuse("rate must not be negative and the time factor must be above 0");
    return options;
}

// Follows the commands on standard input until it ends; an unknown line is said and skipped.
void FollowCommands(SimulatedInstrument& instrument, const ReactionOptions& reaction, double strayLight) {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "dunkel" || line == "hell") {
            instrument.SetLightBlocked(line == "dunkel");
        } else if (line.rfind("filter ", 0) == 0 && Filters.count(line.substr(7))) {
            instrument.SetFilter(Filters.at(line.substr(7)));
        } else if (line.rfind("lampe ", 0) == 0 && std::atof(line.c_str() + 6) > 0) {
            instrument.SetLampBrighter(std::atof(line.c_str() + 6));
        } else if (line == "konz aus") {
            instrument.SetCuvette(std::nullopt);
        } else if (line.rfind("konz ", 0) == 0 && std::atof(line.c_str() + 5) >= 0) {
            instrument.SetCuvette(DyeCuvette{std::atof(line.c_str() + 5), strayLight});
        } else if (line == "reaktion start") {
            instrument.StartReaction(reaction);
        } else if (!line.empty()) {
            std::fprintf(stderr, "kx207-sim: unknown command: %s\n", line.c_str());
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    std::chrono::milliseconds answerDelay{0};
    ReactionChoice reaction;
    double strayLight = 0;
    const InstrumentOptions options = ParseOptions(argc, argv, answerDelay, reaction, strayLight);
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
        if (reaction.atStart) instrument.StartReaction(reaction.options);
        std::printf("%s\n", instrument.PortPath().c_str());
        std::fflush(stdout);
        std::thread(FollowCommands, std::ref(instrument), reaction.options, strayLight).detach();
        int received;
        sigwait(&endSignals, &received);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kx207-sim: %s\n", error.what());
        return 1;
    }
    return 0;
}
