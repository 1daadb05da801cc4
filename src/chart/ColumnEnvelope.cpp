// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/ColumnEnvelope.h"

#include <algorithm>
#include <cmath>

void ColumnEnvelope::Reset(double low, double high, int columns) {
    columns_.assign(size_t(std::max(columns, 1)), Column{});
    low_ = low;
    high_ = high;
    scale_ = high > low ? (int(columns_.size()) - 1) / (high - low) : 0;
    lastColumn_ = -1;
}

void ColumnEnvelope::Add(double x, double y) {
    const double position = (x - low_) * scale_;
    if (!std::isfinite(y) || !std::isfinite(position) || position < -0.5 ||
        position >= double(columns_.size()) - 0.5) {
        lastColumn_ = -1;
        return;
    }
    const int index = int(std::nearbyint(position));
    Column& column = columns_[size_t(index)];
    if (!column.Used) {
        column = {true, lastColumn_ >= 0, y, y, y, y};
    } else {
        column.Min = std::min(column.Min, y);
        column.Max = std::max(column.Max, y);
        column.Last = y;
    }
    lastColumn_ = index;
}
