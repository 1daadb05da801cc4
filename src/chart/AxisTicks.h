// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The ticks of an axis: steps of 1, 2 or 5 × 10ⁿ, from the first multiple of Step at or above the
// range's low end, Count of them, labelled with Decimals places.
struct AxisTicks {
    double Low = 0; // the range the ticks were chosen for, low ≤ high
    double High = 1;
    double Step = 0.2;
    double First = 0;
    int Count = 6;
    int Decimals = 1;

    double At(int i) const { return First + i * Step; }
};

// The smallest step of 1, 2 or 5 × 10ⁿ that puts at most `maxTicks` ticks (at least 2) into
// [low, high]. Ends given the wrong way round are swapped; a range of no width is widened around its
// value (by 1 at 0, else by a tenth of it), one that is not finite (or wider than
// a double holds) becomes 0 … 1.
AxisTicks ChooseTicks(double low, double high, int maxTicks);

// The ticks of the range widened out to the nearest ticks, for automatic scales that start and end on
// a tick.
AxisTicks RoundedOutTicks(double low, double high, int maxTicks);

// A tick's number as a German label: decimal comma, `decimals` places, no "−0".
QString TickLabel(double value, int decimals);
