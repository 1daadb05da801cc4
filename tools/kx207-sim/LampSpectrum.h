// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <optional>
#include <random>

// Light sources the simulated instrument can look at.
enum class Lamp { Mercury, Neon, Led, White, Fluorescent };

// Samples between lamp and sensor: a cuvette of red dye solution (an absorption band in the green
// at 510 nm), a green glass filter and a neutral density filter of 50 %.
enum class Filter { None, RedDye, GreenGlass, NeutralDensity };

// What the sensor looks at: a lamp, perhaps through a filter, perhaps blocked; `darkCurrent` is the
// dark signal in Digits at exposure 100 that each pixel adds to the constant dark level, in a fixed
// pattern over the pixels; `flicker` is the lamp's noise as a share of the signal (a lamp on a
// stabilised supply flickers less); `brightness` scales the lamp's light (see LampDrift).
struct Scene {
    Lamp lamp = Lamp::Mercury;
    Filter filter = Filter::None;
    bool blocked = false;
    double darkCurrent = 0;
    double flicker = 0.005;
    double brightness = 1; // the lamp's brightness as a factor: its drift, or a brighter lamp
    // A cuvette's transmission per channel behind the filter (see Concentration.h); none without one.
    std::optional<std::array<double, 128>> cuvette{};
};

// A lamp's brightness over time: `drift` is how far it wanders (a share, up and down) over a slow
// period of minutes, as a lamp warming up and its supply do; `brighter` multiplies it all.
struct LampDrift {
    double drift = 0.005;
    double brighter = 1;
};
// The factor of the lamp's brightness `seconds` after it was switched on.
double LampBrightness(const LampDrift& lamp, double seconds);

using Readings = std::array<int, 128>;

// Relative brightness (largest channel 1) of a lamp as the sensor's 128 channels see it, channel 0 at
// 360 nm and channel 127 at 675 nm: emission lines on a weak continuum, or a broad source.
std::array<double, 128> LampProfile(Lamp lamp);

// One exposure's readings: a dark level plus the profile scaled by `exposure` (0 to 100), with noise
// from `random`, capped to 0..1023 as the sensor's converter is.
Readings LampReadings(Lamp lamp, int exposure, std::mt19937& random);
// The same for a whole scene: the lamp's light through the filter, none while blocked, on the dark signal.
Readings SceneReadings(const Scene& scene, int exposure, std::mt19937& random);

// The share of light (0 to 1) `filter` lets through at each of the 128 channels: the known answer of
// a transmission measurement.
std::array<double, 128> FilterCurve(Filter filter);
// The wavelength in nm the sensor's channel `channel` sees.
double SensorWavelength(int channel);
