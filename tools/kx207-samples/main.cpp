// SPDX-License-Identifier: GPL-3.0-or-later
// kx207-samples: measures each lamp of the simulator as the program does, with the exposure automatic
// settled, and saves the spectrum with the program's own save code. The sample spectra that come with
// the program are made by it.
// Usage: kx207-samples <folder>
#include "device/InstrumentProtocol.h"
#include "files/CsvSpectrumFile.h"
#include "kx207-sim/LampSpectrum.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <random>
#include <string>

namespace {

struct Sample {
    Lamp lamp;
    const char* fileName;
    const char* title;
};

const Sample Samples[] = {
    {Lamp::Mercury, "Quecksilberdampflampe.csv", "Quecksilberdampflampe (simuliert)"},
    {Lamp::Neon, "Neonlampe.csv", "Neonlampe (simuliert)"},
    {Lamp::Fluorescent, "Energiesparlampe.csv", "Energiesparlampe (simuliert)"},
    {Lamp::Led, "LED.csv", "Weiße Leuchtdiode (simuliert)"},
    {Lamp::White, "Halogenlampe.csv", "Halogenlampe (simuliert)"},
};

// The readings once the exposure automatic has settled, starting from the program's first exposure.
std::array<int32_t, ChannelCount> SettledReadings(Lamp lamp) {
    std::mt19937 random(207);
    int exposure = 50;
    std::array<int32_t, ChannelCount> readings{};
    for (int cycle = 0; cycle < 100; ++cycle) {
        const Readings measured = LampReadings(lamp, exposure, random);
        std::copy(measured.begin(), measured.end(), readings.begin());
        const int next = AutoExposurePosition(exposure, *std::max_element(readings.begin(), readings.end()));
        if (next == exposure) break;
        exposure = next;
    }
    return readings;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: kx207-samples <folder>\n", stderr);
        return 2;
    }
    try {
        for (const Sample& sample : Samples)
            SaveSpectrumFile(std::string(argv[1]) + '/' + sample.fileName, QString::fromUtf8(sample.title),
                             SettledReadings(sample.lamp), WavelengthCalibration{});
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kx207-samples: %s\n", error.what());
        return 1;
    }
    return 0;
}
