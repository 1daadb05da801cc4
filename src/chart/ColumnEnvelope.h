// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

// A curve of many points reduced to what each pixel column of a diagram shows: the first, last,
// lowest and highest value that falls into it. Drawing a column's span and joining neighbours looks
// the same as drawing every point, at a cost that grows with the columns, not the points; a new point
// changes one column.
class ColumnEnvelope {
public:
    struct Column {
        bool Used = false;
        bool JoinsPrevious = false; // no gap between the previous point and this column's first
        double First = 0, Last = 0, Min = 0, Max = 0;
    };

    // Starts afresh for x from `low` (column 0) to `high` (the last column), `columns` columns.
    void Reset(double low, double high, int columns);
    // Adds a point in the order of the curve; a y that is not finite is a gap. Points outside the
    // x range are left out, and break the curve like a gap.
    void Add(double x, double y);

    const std::vector<Column>& Columns() const { return columns_; }
    double Low() const { return low_; }
    double High() const { return high_; }

private:
    std::vector<Column> columns_;
    double low_ = 0, high_ = 1;
    double scale_ = 0;
    int lastColumn_ = -1; // column of the previous point; −1 after a gap
};
