// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <random>

// Light sources the simulated instrument can look at.
enum class Lamp { Mercury, Neon, Led, White, Fluorescent };

using Readings = std::array<int, 128>;

// Relative brightness (largest channel 1) of a lamp as the sensor's 128 channels see it, channel 0 at
// 360 nm and channel 127 at 675 nm: emission lines on a weak continuum, or a broad source.
std::array<double, 128> LampProfile(Lamp lamp);

// One exposure's readings: a dark level plus the profile scaled by `exposure` (0 to 100), with noise
// from `random`, capped to 0..1023 as the sensor's converter is.
Readings LampReadings(Lamp lamp, int exposure, std::mt19937& random);
