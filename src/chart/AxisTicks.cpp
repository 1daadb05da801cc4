// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/AxisTicks.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The range as the ticks need it: finite, low below high.
std::pair<double, double> Usable(double low, double high) {
    if (!std::isfinite(low) || !std::isfinite(high) || !std::isfinite(high - low)) return {0, 1};
    if (low > high) std::swap(low, high);
    if (low == high) {
        const double widen = low == 0 ? 1 : std::fabs(low) / 10;
        return {low - widen, high + widen};
    }
    return {low, high};
}

} // namespace

AxisTicks ChooseTicks(double low, double high, int maxTicks) {
    std::tie(low, high) = Usable(low, high);
    maxTicks = std::max(maxTicks, 2);
    const double span = high - low;
    // The rough step, then the next 1, 2 or 5 × 10ⁿ at or above it.
    const double rough = span / (maxTicks - 1);
    double decade = std::pow(10.0, std::floor(std::log10(rough)));
    double step = decade;
    for (double factor : {1.0, 2.0, 5.0, 10.0}) {
        step = factor * decade;
        if (step >= rough * (1 - 1e-9)) break;
    }
    const double first = std::ceil(low / step - 1e-9) * step;
    const int count = int(std::floor((high - first) / step + 1e-9)) + 1;
    AxisTicks ticks;
    ticks.Low = low;
    ticks.High = high;
    ticks.Step = step;
    ticks.First = first;
    ticks.Count = std::max(count, 0);
    ticks.Decimals = std::max(0, -int(std::floor(std::log10(step) + 1e-9)));
    return ticks;
}

AxisTicks RoundedOutTicks(double low, double high, int maxTicks) {
    maxTicks = std::max(maxTicks, 2);
    AxisTicks ticks;
    // Widening adds up to a tick at each end: ask for fewer until the widened range keeps the limit.
    for (int asked = maxTicks; asked >= 2; --asked) {
        ticks = ChooseTicks(low, high, asked);
        const double roundedLow = std::floor(ticks.Low / ticks.Step + 1e-9) * ticks.Step;
        const double roundedHigh = std::ceil(ticks.High / ticks.Step - 1e-9) * ticks.Step;
        ticks.Low = roundedLow;
        ticks.High = roundedHigh;
        ticks.First = roundedLow;
        ticks.Count = int(std::nearbyint((roundedHigh - roundedLow) / ticks.Step)) + 1;
        if (ticks.Count <= maxTicks) break;
    }
    return ticks;
}

QString TickLabel(double value, int decimals) {
    QString text = QString::number(value, 'f', decimals);
    const bool zero = std::none_of(text.begin(), text.end(), [](QChar c) { return c >= '1' && c <= '9'; });
    if (zero && text.startsWith('-')) text.remove(0, 1);
    return text.replace('.', ',');
}
