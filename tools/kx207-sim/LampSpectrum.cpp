// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/LampSpectrum.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double FirstWavelength = 360.0;
constexpr double LastWavelength = 675.0;
// Readings above the dark level at exposure 100 for the brightest channel: the automatic exposure
// settles near a third of the range.
constexpr double FullScale = 1800.0;
constexpr double DarkLevel = 12.0;

struct Line {
    double nm;
    double strength;
};

// Strong visible lines of the low-pressure mercury and neon lamps (nm, relative strength).
const std::vector<Line> MercuryLines = {
    {404.7, 0.35}, {435.8, 0.8}, {546.1, 1.0}, {577.0, 0.45}, {579.1, 0.45}};
const std::vector<Line> NeonLines = {
    {585.2, 0.6}, {588.2, 0.3}, {594.5, 0.4}, {597.6, 0.2},  {603.0, 0.25}, {607.4, 0.35}, {609.6, 0.45},
    {614.3, 0.6}, {616.4, 0.3}, {621.7, 0.3}, {626.6, 0.5},  {630.5, 0.35}, {633.4, 0.6},  {638.3, 0.7},
    {640.2, 1.0}, {650.7, 0.6}, {653.3, 0.3}, {659.9, 0.35}, {667.8, 0.3},  {671.7, 0.25}};

double Gauss(double nm, double centre, double width) {
    const double x = (nm - centre) / width;
    return std::exp(-0.5 * x * x);
}

// Emission lines, each blurred over about two channels by the optics, on a weak continuum.
double LineSource(const std::vector<Line>& lines, double continuum, double nm) {
    double value = continuum;
    for (const Line& line : lines)
        value += line.strength * Gauss(nm, line.nm, 2.5);
    return value;
}

// Planck's law at 2900 K (a halogen bulb), unnormalised.
double Bulb(double nm) {
    const double metres = nm * 1e-9;
    return 1.0 / (std::pow(metres, 5) * (std::exp(1.4388e-2 / (metres * 2900.0)) - 1.0));
}

double Brightness(Lamp lamp, double nm) {
    switch (lamp) {
    case Lamp::Mercury:
        return LineSource(MercuryLines, 0.02, nm);
    case Lamp::Neon:
        return LineSource(NeonLines, 0.01, nm);
    case Lamp::Led:
        // Blue die plus its yellow phosphor.
        return Gauss(nm, 450.0, 10.0) + 0.55 * Gauss(nm, 570.0, 50.0);
    case Lamp::White:
        return Bulb(nm);
    case Lamp::Fluorescent:
        // Mercury lines over the three bands of a tri-phosphor coating: blue, terbium green, europium red.
        return LineSource(MercuryLines, 0.02, nm) + 0.25 * Gauss(nm, 450.0, 12.0) +
               0.9 * Gauss(nm, 543.5, 3.0) + 1.1 * Gauss(nm, 611.5, 3.0) + 0.15 * Gauss(nm, 590.0, 8.0) +
               0.12 * Gauss(nm, 631.0, 4.0);
    }
    return 0.0;
}

} // namespace

std::array<double, 128> LampProfile(Lamp lamp) {
    std::array<double, 128> profile{};
    for (int channel = 0; channel < 128; ++channel)
        profile[channel] = Brightness(lamp, SensorWavelength(channel));
    const double peak = *std::max_element(profile.begin(), profile.end());
    for (double& value : profile)
        value /= peak;
    return profile;
}

namespace {

double FilterTransmission(Filter filter, double nm) {
    switch (filter) {
    case Filter::None:
        break;
    case Filter::RedDye:
        // Absorbance 1 at the band's centre over a weak absorbance everywhere.
        return std::pow(10.0, -(0.05 + Gauss(nm, 510.0, 30.0)));
    case Filter::GreenGlass:
        return 0.05 + 0.75 * Gauss(nm, 530.0, 45.0);
    case Filter::NeutralDensity:
        return 0.5;
    }
    return 1.0;
}

// Pixels differ in their dark signal; this fixed pattern spreads it between half and one and a half
// times the mean.
double DarkPattern(int channel) {
    return 1.0 + 0.5 * std::sin(channel * 2.3999632);
}

} // namespace

double SensorWavelength(int channel) {
    return FirstWavelength + channel * (LastWavelength - FirstWavelength) / 127.0;
}

std::array<double, 128> FilterCurve(Filter filter) {
    std::array<double, 128> curve{};
    for (int channel = 0; channel < 128; ++channel)
        curve[channel] = FilterTransmission(filter, SensorWavelength(channel));
    return curve;
}

Readings LampReadings(Lamp lamp, int exposure, std::mt19937& random) {
    return SceneReadings(Scene{lamp}, exposure, random);
}

Readings SceneReadings(const Scene& scene, int exposure, std::mt19937& random) {
    const std::array<double, 128> profile = LampProfile(scene.lamp);
    const std::array<double, 128> filter = FilterCurve(scene.filter);
    Readings readings{};
    for (int channel = 0; channel < 128; ++channel) {
        const double cuvette = scene.cuvette ? (*scene.cuvette)[channel] : 1.0;
        const double light = scene.blocked ? 0.0 : profile[channel] * filter[channel] * cuvette;
        const double dark = DarkLevel + scene.darkCurrent * exposure / 100.0 * DarkPattern(channel);
        const double signal = dark + FullScale * exposure / 100.0 * light;
        std::normal_distribution<double> noise(0.0, 2.0 + scene.flicker * signal);
        readings[channel] = std::clamp(static_cast<int>(std::lround(signal + noise(random))), 0, 1023);
    }
    return readings;
}
