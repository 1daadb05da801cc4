// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "series/TimedSeries.h"

#include <optional>
#include <string>

// Before the start: a German warning when the plan's interval can't be kept because one point's
// spectra (`secondsPerSpectrum` each, the plan's averaging of them) take longer; empty when it can.
std::string IntervalWarning(const SeriesPlan& plan, double secondsPerSpectrum);
// Before the start: what a series measured now would lack, in German: a reference at its exposure (no
// transmission or absorbance at all) and the dark subtracted (the darker the sample, the more its
// absorbance falls short, and k′ with it); empty when it lacks neither.
std::string PreparationWarning(bool referenceInForce, bool darkInForce);

// The clock of a running series. Times are the caller's clock in seconds (any origin); the schedule
// turns them into series times (s from t = 0), says which point a spectrum measured now belongs to and
// whether it is still wanted, and when the series is over.
class SeriesSchedule {
public:
    enum class Phase { Idle, WaitingForMix, Running, Finished };
    static constexpr double ShortestInterval = 0.5;

    explicit SeriesSchedule(const SeriesPlan& plan);

    // The click that starts the series: t = 0 now, or, started at mixing, waiting for Mix().
    void Start(double now);
    // "Jetzt mischen": t = 0 now, when the series waits for it.
    void Mix(double now);
    // Ends the series now.
    void Stop() { stopped_ = true; }

    Phase State(double now) const;
    // Seconds since t = 0; only meaningful while running.
    double SeriesTime(double now) const { return now - zero_; }

    // Whether a spectrum measured at `now` is wanted: the series runs and the point of its interval has
    // fewer than the plan's averaging spectra. Then Take() keeps it.
    bool Due(double now) const;
    // Records a spectrum measured at `now` and gives the point it belongs to; nothing when not Due().
    std::optional<int32_t> Take(double now);
    // The caller's time at which the next point's interval opens.
    double NextPointStart(double now) const;

private:
    int32_t PointAt(double now) const;

    SeriesPlan plan_;
    bool started_ = false;
    bool mixed_ = false;
    bool stopped_ = false;
    double zero_ = 0;
    int32_t lastPoint_ = -1;
    int takenInPoint_ = 0;
};
