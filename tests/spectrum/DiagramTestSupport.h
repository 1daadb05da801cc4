// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/DiagramPainter.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

// Pictures of one diagram pass and the state they are painted from.
class DiagramTest : public ::testing::Test {
protected:
    // Readings of the listed channels (0 elsewhere) through the level computation; a manual divisor
    // of 0 means automatic scaling.
    void Measure(std::initializer_list<std::pair<int, int32_t>> readings, int32_t manualDivisor = 0) {
        state.Values = {};
        for (const auto& [channel, reading] : readings)
            state.Values.Readings[channel] = reading;
        ComputeLevels(state.Values, state.Calibration, 0,
                      LevelOptions{false, manualDivisor == 0, manualDivisor});
    }

    // Bars in the curve colour that fill every column from the bottom to the top.
    void FullBars() {
        Measure({}, 1);
        state.Values.Levels.fill(1000);
        state.Options.Balkendiagramm = true;
    }

    // Number of pixels of `color` in column x, counted upward from the bottom row until another colour.
    static int RunFromBottom(const TCanvas& canvas, int x, TColor color) {
        int y = canvas.Height() - 1;
        while (y >= 0 && canvas.Pixel(x, y) == color)
            --y;
        return canvas.Height() - 1 - y;
    }

    // Whether every pixel of column x from row `top` to row `bottom` has `color`.
    static bool ColumnIs(const TCanvas& canvas, int x, int top, int bottom, TColor color) {
        for (int y = top; y <= bottom; ++y)
            if (canvas.Pixel(x, y) != color) return false;
        return true;
    }

    // Whether column x is a one-pixel gray line from row `top` to the bottom, below the grid texts.
    static bool IsGridLine(const TCanvas& canvas, int x, int top) {
        const int middle = (top + canvas.Height()) / 2;
        return ColumnIs(canvas, x, top, canvas.Height() - 1, clGray) &&
               canvas.Pixel(x - 1, middle) == clBlack && canvas.Pixel(x + 1, middle) == clBlack;
    }

    // Whether the cell of `text` at (x, y) holds exactly what the canvas writes there in `color` on black.
    static bool ShowsGridText(const TCanvas& canvas, int x, int y, const QString& text, int points,
                              TColor color = clGray) {
        QImage picture = NewCanvasImage(canvas.Width(), canvas.Height());
        TCanvas expected(picture);
        expected.SetBrushColor(clBlack);
        expected.SetFontColor(color);
        expected.SetFontSize(points);
        expected.TextOut(x, y, text);
        const QSize cell = expected.TextExtent(text);
        for (int row = y; row < y + cell.height(); ++row)
            for (int column = x; column < x + cell.width(); ++column)
                if (canvas.Pixel(column, row) != expected.Pixel(column, row)) return false;
        return true;
    }

    static bool RowIs(const TCanvas& canvas, int y, int left, int right, TColor color) {
        for (int x = left; x <= right; ++x)
            if (canvas.Pixel(x, y) != color) return false;
        return true;
    }

    DiagramState state;
};
