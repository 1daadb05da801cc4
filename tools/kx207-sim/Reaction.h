// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <optional>

// A reaction in the cuvette: the band of crystal violet (590 nm) bleached by hydroxide, its absorbance
// at the band's centre falling first-order from A₀ toward A∞, A(t) = A∞ + (A₀ − A∞)·e^(−k′t). k′ and A∞
// are the known answer of a kinetics measurement. The reaction runs `timeFactor` times faster than the
// clock, so a 15-minute reaction can pass in seconds.
struct ReactionOptions {
    double ratePerMinute = 0.28; // k′ in 1/min of reaction time
    double start = 1.2;          // A₀
    double end = 0.06;           // A∞
    double timeFactor = 1;
};

class Reaction {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr double BandCentre = 590; // nm
    static constexpr double BandWidth = 40;   // nm from the centre to where the band falls to 1/e

    explicit Reaction(ReactionOptions options = {}) : options_(options) {}
    // The reagents meet now: t = 0.
    void Start(Clock::time_point now) { started_ = now; }
    bool Started() const { return started_.has_value(); }
    const ReactionOptions& Options() const { return options_; }

    // A at the band's centre `seconds` of the clock after the start.
    double AbsorbanceAt(double seconds) const;
    // The share of light the cuvette lets through at each of the sensor's channels at `now`; all 1
    // before the start.
    std::array<double, 128> Transmission(Clock::time_point now) const;

private:
    ReactionOptions options_;
    std::optional<Clock::time_point> started_;
};
