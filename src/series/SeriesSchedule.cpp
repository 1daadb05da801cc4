// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/SeriesSchedule.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::string Seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string result = text;
    while (result.back() == '0')
        result.pop_back();
    if (result.back() == '.') result.pop_back();
    std::replace(result.begin(), result.end(), '.', ',');
    return result;
}

} // namespace

std::string IntervalWarning(const SeriesPlan& plan, double secondsPerSpectrum) {
    const int averaging = std::max(plan.Averaging, 1);
    const double needed = secondsPerSpectrum * averaging;
    if (needed <= plan.Interval) return {};
    std::string warning = "Das Intervall von " + Seconds(plan.Interval) + " s ist nicht einzuhalten: ";
    warning += averaging > 1 ? "die Mittelung über " + std::to_string(averaging) + " Spektren dauert"
                             : "eine Messung dauert";
    return warning + " etwa " + Seconds(needed) + " s. Die wahren Zeiten werden festgehalten.";
}

std::string PreparationWarning(bool referenceInForce, bool darkInForce) {
    std::string warning;
    if (!referenceInForce)
        warning = "Kein Referenzspektrum bei dieser Belichtung: die Zeitreihe zeigt nur Intensitäten.";
    if (!darkInForce)
        warning += std::string(warning.empty() ? "" : " ") +
                   "Ohne Dunkelabzug fallen hohe Extinktionen zu klein aus: Licht abdecken, Dunkelspektrum "
                   "aufnehmen und abziehen.";
    return warning;
}

SeriesSchedule::SeriesSchedule(const SeriesPlan& plan) : plan_(plan) {
    plan_.Averaging = std::max(plan_.Averaging, 1);
    // A point a moment long would divide by nothing: the shortest interval offered stands in.
    if (!(plan_.Interval > 0)) plan_.Interval = ShortestInterval;
}

void SeriesSchedule::Start(double now) {
    if (started_) return;
    started_ = true;
    if (plan_.Start == SeriesStart::AtClick) Mix(now);
}

void SeriesSchedule::Mix(double now) {
    if (!started_ || mixed_) return;
    mixed_ = true;
    zero_ = now;
}

SeriesSchedule::Phase SeriesSchedule::State(double now) const {
    if (!started_) return Phase::Idle;
    if (stopped_) return Phase::Finished;
    if (!mixed_) return Phase::WaitingForMix;
    const double t = SeriesTime(now);
    if (plan_.Duration > 0 && t >= plan_.Duration) return Phase::Finished;
    if (plan_.Count > 0 && PointAt(now) >= plan_.Count) return Phase::Finished;
    return Phase::Running;
}

int32_t SeriesSchedule::PointAt(double now) const {
    return int32_t(std::floor(std::max(SeriesTime(now), 0.0) / plan_.Interval));
}

bool SeriesSchedule::Due(double now) const {
    if (State(now) != Phase::Running) return false;
    return PointAt(now) != lastPoint_ || takenInPoint_ < plan_.Averaging;
}

std::optional<int32_t> SeriesSchedule::Take(double now) {
    if (!Due(now)) return std::nullopt;
    const int32_t point = PointAt(now);
    if (point != lastPoint_) {
        lastPoint_ = point;
        takenInPoint_ = 0;
    }
    ++takenInPoint_;
    return point;
}

double SeriesSchedule::NextPointStart(double now) const {
    return zero_ + (PointAt(now) + 1) * plan_.Interval;
}
