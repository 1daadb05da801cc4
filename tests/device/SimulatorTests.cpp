// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument simulator, seen through the program's serial port.
#include "PortTestSupport.h"
#include "kx207-sim/SimulatedInstrument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// Decoding as the acquisition cycle does it: pair i is channel 127 - i, H x 255 + L.
Readings Decode(const std::string& frame) {
    Readings readings{};
    for (int i = 0; i < 128; ++i)
        readings[127 - i] =
            static_cast<unsigned char>(frame[2 * i]) * 255 + static_cast<unsigned char>(frame[2 * i + 1]);
    return readings;
}

struct Connected {
    explicit Connected(InstrumentOptions options = {}) : instrument(std::move(options)) {
        OpenLikeProgram(port, instrument.PortPath());
    }
    SimulatedInstrument instrument;
    TComPort port;
};

} // namespace

TEST(Simulator, AnswersTheVersionRequest) {
    Connected link;
    EXPECT_EQ(Answer(link.port, 254, 20), "KX207 Firmware 1.2\r\n");
}

TEST(Simulator, VersionTextIsAtMostTwentyBytes) {
    InstrumentOptions options;
    options.version = "KX207 firmware version 3.14159";
    Connected link(options);
    EXPECT_EQ(Answer(link.port, 254, 20), "KX207 firmware versi");
}

TEST(Simulator, SpectrumFrameDecodesToItsReadings) {
    Connected link;
    const std::string frame = Answer(link.port, 255, 256);
    ASSERT_EQ(frame.size(), 256u);
    EXPECT_EQ(Decode(frame), link.instrument.LastReadings());
}

TEST(Simulator, ServesFixedReadings) {
    Connected link;
    Readings readings{};
    readings[127] = 5;
    readings[64] = 399;
    readings[1] = 601;
    readings[0] = 1020;
    link.instrument.ServeReadings(readings);
    const std::string frame = Answer(link.port, 255, 256);
    ASSERT_EQ(frame.size(), 256u);
    EXPECT_EQ(frame.substr(0, 2), std::string("\x00\x05", 2));
    EXPECT_EQ(Decode(frame), readings);
    link.instrument.ServeLampSpectrum();
    EXPECT_NE(Decode(Answer(link.port, 255, 256)), readings);
}

TEST(Simulator, EncodesWithTheWeight255) {
    Readings readings{};
    readings[127] = 255;
    readings[126] = 65279;
    const std::vector<uint8_t> frame = SimulatedInstrument::EncodeFrame(readings);
    ASSERT_EQ(frame.size(), 256u);
    EXPECT_EQ(frame[0], 1);
    EXPECT_EQ(frame[1], 0);
    EXPECT_EQ(frame[2], 255);
    EXPECT_EQ(frame[3], 254);
}

TEST(Simulator, RecordsEveryByteAndTakesTheExposureSilently) {
    Connected link;
    EXPECT_EQ(Exchange(link.port, 37, 256, 50), "");
    ASSERT_TRUE(WaitUntil([&] { return link.instrument.Exposure() == 37; }));
    Exchange(link.port, 200, 256, 20); // no command: ignored
    ASSERT_TRUE(WaitUntil([&] { return link.instrument.ReceivedBytes().size() == 2; }));
    EXPECT_EQ(link.instrument.ReceivedBytes(), (std::vector<uint8_t>{37, 200}));
    EXPECT_EQ(link.instrument.Exposure(), 37);
}

TEST(Simulator, MercuryLampShowsItsGreenLineAndScalesWithExposure) {
    Connected link;
    Exchange(link.port, 20, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return link.instrument.Exposure() == 20; }));
    const Readings dim = Decode(Answer(link.port, 255, 256));
    Exchange(link.port, 60, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return link.instrument.Exposure() == 60; }));
    const Readings bright = Decode(Answer(link.port, 255, 256));
    const auto peak = std::max_element(bright.begin(), bright.end());
    // 546.1 nm sits at channel 75 of the 360..675 nm default calibration.
    EXPECT_NEAR(peak - bright.begin(), 75, 1);
    EXPECT_GT(*peak, 2 * *std::max_element(dim.begin(), dim.end()));
    EXPECT_LT(*std::min_element(bright.begin(), bright.end()), 60); // a weak continuum between the lines
}

TEST(Simulator, ReadingsAreCappedAt1023) {
    InstrumentOptions options;
    options.lamp = Lamp::White;
    options.exposure = 100;
    std::mt19937 random(1);
    const Readings readings = LampReadings(Lamp::White, 100, random);
    EXPECT_EQ(*std::max_element(readings.begin(), readings.end()), 1023);
    Connected link(options);
    const Readings served = Decode(Answer(link.port, 255, 256));
    EXPECT_EQ(*std::max_element(served.begin(), served.end()), 1023);
}

TEST(Simulator, BlockedLightLeavesTheDarkSignalAndFiltersTakeTheirShare) {
    std::mt19937 random(3);
    const Readings dark = SceneReadings({Lamp::White, Filter::None, true, 40, 0}, 100, random);
    EXPECT_GT(*std::max_element(dark.begin(), dark.end()), 12 + 40);
    EXPECT_LT(*std::max_element(dark.begin(), dark.end()), 12 + 60 + 10) << "nothing but the dark signal";
    const std::array<double, 128> dye = FilterCurve(Filter::RedDye);
    EXPECT_NEAR(SensorWavelength(int(std::min_element(dye.begin(), dye.end()) - dye.begin())), 510, 2);
    EXPECT_DOUBLE_EQ(FilterCurve(Filter::NeutralDensity)[64], 0.5);
    const Readings open = SceneReadings({Lamp::White, Filter::None, false, 0, 0}, 40, random);
    const Readings grey = SceneReadings({Lamp::White, Filter::NeutralDensity, false, 0, 0}, 40, random);
    EXPECT_NEAR(grey[100] - 12, 0.5 * (open[100] - 12), 3) << "without flicker only the read noise is left";
}

TEST(Simulator, NoiseFollowsTheSeed) {
    std::mt19937 first(5), second(5), third(6);
    EXPECT_EQ(LampReadings(Lamp::Neon, 40, first), LampReadings(Lamp::Neon, 40, second));
    std::mt19937 fourth(5);
    EXPECT_NE(LampReadings(Lamp::Neon, 40, third), LampReadings(Lamp::Neon, 40, fourth));
}

TEST(Simulator, FaultNoVersionAnswersOnlySpectra) {
    InstrumentOptions options;
    options.fault = Fault::NoVersion;
    Connected link(options);
    EXPECT_EQ(Exchange(link.port, 254, 20), "");
    EXPECT_EQ(Answer(link.port, 255, 256).size(), 256u);
}

TEST(Simulator, FaultLateByteSendsTheLastByteLater) {
    InstrumentOptions options;
    options.fault = Fault::LateByte;
    Connected link(options);
    const std::string early = Answer(link.port, 255, 255);
    EXPECT_EQ(early.size(), 255u);
    std::string late;
    ASSERT_TRUE(WaitUntil([&] { return link.port.ReceiveText(late, 256) > 0; }));
    EXPECT_EQ(early + late, [&] {
        const std::vector<uint8_t> frame = SimulatedInstrument::EncodeFrame(link.instrument.LastReadings());
        return std::string(frame.begin(), frame.end());
    }());
}

TEST(Simulator, FaultShortFrameSendsPartOfTheSpectrum) {
    InstrumentOptions options;
    options.fault = Fault::ShortFrame;
    Connected link(options);
    EXPECT_EQ(Answer(link.port, 255, 256).size(), 200u);
}

TEST(Simulator, FaultSilenceAnswersNothingButHears) {
    InstrumentOptions options;
    options.fault = Fault::Silence;
    Connected link(options);
    EXPECT_EQ(Exchange(link.port, 254, 20), "");
    EXPECT_EQ(Answer(link.port, 255, 256), "");
    EXPECT_EQ(link.instrument.ReceivedBytes(), (std::vector<uint8_t>{254, 255}));
}

TEST(Simulator, FaultGarbageAnswersEvenTheExposure) {
    InstrumentOptions options;
    options.fault = Fault::Garbage;
    Connected link(options);
    EXPECT_FALSE(Answer(link.port, 30, 1).empty());
    link.instrument.SetFault(Fault::None);
    EXPECT_EQ(Exchange(link.port, 30, 1000, 50), "");
}

TEST(Simulator, FaultHangUpUnplugsAtTheFirstSpectrumRequest) {
    InstrumentOptions options;
    options.fault = Fault::HangUp;
    Connected link(options);
    EXPECT_EQ(Answer(link.port, 254, 20), "KX207 Firmware 1.2\r\n");
    const unsigned char request = 255;
    link.port.SendBytes(&request, 1);
    char answer[256];
    EXPECT_TRUE(WaitUntil([&] {
        try {
            link.port.ReceiveBytes(answer, 256);
            return false;
        } catch (const EComPort& error) {
            return error.FailureCode == CError_ReadFailed;
        }
    }));
    EXPECT_THROW(link.port.SendBytes(&request, 1), EComPort);
}

TEST(Simulator, ProgramPrintsItsPortAndServes) {
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    char program[] = KX207_SIM_PROGRAM;
    char lampOption[] = "--lamp", lamp[] = "ne", versionOption[] = "--version", version[] = "SIM 9";
    char* arguments[] = {program, lampOption, lamp, versionOption, version, nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program, &actions, nullptr, arguments, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    std::string path;
    char c;
    while (read(output[0], &c, 1) == 1 && c != '\n')
        path.push_back(c);
    close(output[0]);
    {
        TComPort port;
        OpenLikeProgram(port, path);
        EXPECT_EQ(Answer(port, 254, 5), "SIM 9");
        const Readings neon = Decode(Answer(port, 255, 256));
        // Neon glows red: its brightest channel lies above 580 nm (channel 89).
        EXPECT_GT(std::max_element(neon.begin(), neon.end()) - neon.begin(), 89);
    }
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

// Crystal violet at 0.28 per minute toward 0.06, a hundred times faster than the clock: after
// ln 2 / k′ of reaction time (2.476 min, 1.485 s of the clock) half of A₀ − A∞ is left.
TEST(Simulator, ReactionFadesItsBandFirstOrderAtItsTimeFactor) {
    Reaction reaction({0.28, 1.2, 0.06, 100});
    const double halfLife = std::log(2.0) / 0.28 * 60 / 100;
    EXPECT_DOUBLE_EQ(reaction.AbsorbanceAt(0), 1.2);
    EXPECT_NEAR(reaction.AbsorbanceAt(halfLife), 0.06 + 0.57, 1e-12);
    EXPECT_NEAR(reaction.AbsorbanceAt(1e6), 0.06, 1e-12);
    const auto start = Reaction::Clock::now();
    EXPECT_EQ(reaction.Transmission(start)[50], 1.0); // not yet poured in
    reaction.Start(start);
    const std::array<double, 128> now = reaction.Transmission(start);
    const int centre = int(std::max_element(now.begin(), now.end(), std::greater<>()) - now.begin());
    EXPECT_NEAR(SensorWavelength(centre), 590, 1.3);
    EXPECT_NEAR(now[centre], std::pow(10.0, -1.2), 0.002);
    EXPECT_GT(now[10], 0.99); // far from the band, at 385 nm
    const auto later = start + std::chrono::duration_cast<Reaction::Clock::duration>(
                                   std::chrono::duration<double>(halfLife));
    EXPECT_NEAR(reaction.Transmission(later)[centre], std::pow(10.0, -0.63), 0.002);
}

TEST(Simulator, StartedReactionDarkensTheLampAtItsBand) {
    InstrumentOptions options;
    options.lamp = Lamp::White;
    Connected link(options);
    constexpr int Channel590 = 93;
    const auto reading = [&] {
        Answer(link.port, 255, 256);
        return link.instrument.LastReadings()[Channel590];
    };
    const int before = reading();
    // A₀ = A∞ = 1: a tenth of the light from the start on, however fast it runs.
    link.instrument.StartReaction({0.28, 1.0, 1.0, 1});
    EXPECT_NEAR(reading(), 0.1 * before, 0.03 * before);
}
