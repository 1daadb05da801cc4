// SPDX-License-Identifier: GPL-3.0-or-later
// Pixel rules of the canvas: which pixels lines, fills and texts paint, in which colour.
#include "spectrum/Canvas.h"
#include "spectrum/DesignFonts.h"
#include "spectrum/ScreenPicture.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <algorithm>
#include <climits>
#include <cmath>
#include <set>
#include <utility>

namespace {

using Pixels = std::set<std::pair<int, int>>;

class CanvasTest : public ::testing::Test {
protected:
    Pixels Painted() const {
        Pixels painted;
        for (int y = 0; y < canvas.Height(); ++y)
            for (int x = 0; x < canvas.Width(); ++x)
                if (canvas.Pixel(x, y) != clBlack) painted.insert({x, y});
        return painted;
    }
    Pixels Line(int x0, int y0, int x1, int y1) {
        image.fill(Qt::black);
        canvas.MoveTo(x0, y0);
        canvas.LineTo(x1, y1);
        return Painted();
    }

    QImage image = NewCanvasImage(10, 10);
    TCanvas canvas{image};
};

TEST_F(CanvasTest, LinesPaintTheStartButNeverTheEnd) {
    canvas.SetPenColor(clWhite);
    EXPECT_EQ(Line(2, 5, 6, 5), (Pixels{{2, 5}, {3, 5}, {4, 5}, {5, 5}}));
    EXPECT_EQ(Line(3, 4, 3, 1), (Pixels{{3, 4}, {3, 3}, {3, 2}}));
    EXPECT_EQ(Line(4, 4, 4, 4), Pixels{});
    // Sloped lines step along the longer axis; halfway ties stay on the start point's side.
    EXPECT_EQ(Line(0, 0, 4, 2), (Pixels{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
    EXPECT_EQ(Line(4, 2, 0, 0), (Pixels{{4, 2}, {3, 2}, {2, 1}, {1, 1}}));
    EXPECT_EQ(Line(0, 0, 1, 3), (Pixels{{0, 0}, {0, 1}, {1, 2}}));
    EXPECT_EQ(Line(0, 0, 3, 3), (Pixels{{0, 0}, {1, 1}, {2, 2}}));
    // The next line starts where the last one ended; text does not move the position.
    canvas.TextOut(0, 8, QStringLiteral("x"));
    canvas.LineTo(3, 5);
    EXPECT_EQ(canvas.Pixel(3, 3), clWhite);
}

TEST_F(CanvasTest, PixelsOutsideAreDropped) {
    canvas.SetPenColor(clWhite);
    EXPECT_EQ(Line(-5, 2, 2, 2), (Pixels{{0, 2}, {1, 2}}));
    Pixels row;
    for (int x = 0; x < 10; ++x)
        row.insert({x, 3});
    EXPECT_EQ(Line(INT_MIN, 3, INT_MAX, 3), row);
    // A line between points two billion rows outside crosses the picture at its middle column.
    Pixels column;
    for (int y = 0; y < 10; ++y)
        column.insert({2, y});
    EXPECT_EQ(Line(0, 2000000000, 4, -2000000000), column);
    EXPECT_EQ(Line(20, -5, 20, 50), Pixels{});
    EXPECT_EQ(canvas.Pixel(-1, 0), TCanvas::ClrInvalid);
}

TEST_F(CanvasTest, WidePenAddsTheNeighbourLeftOfSteepAndAboveOfFlatLines) {
    canvas.SetPenColor(clWhite);
    canvas.SetPenWidth(2);
    EXPECT_EQ(Line(3, 1, 3, 4), (Pixels{{2, 1}, {3, 1}, {2, 2}, {3, 2}, {2, 3}, {3, 3}}));
    EXPECT_EQ(Line(1, 4, 4, 4), (Pixels{{1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 3}, {3, 4}}));
    EXPECT_EQ(Line(0, 2, 0, 0), (Pixels{{0, 2}, {0, 1}}));
    EXPECT_EQ(Line(0, 1, 4, 3), (Pixels{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 1}, {2, 2}, {3, 1}, {3, 2}}));
    // Just outside the right edge, only the neighbour shows.
    EXPECT_EQ(Line(10, 2, 10, 0), (Pixels{{9, 2}, {9, 1}}));
    canvas.SetPenWidth(3);
    EXPECT_EQ(canvas.PenWidth(), 1);
}

TEST_F(CanvasTest, CopyReplacesAndMergeOrsThePenColour) {
    canvas.SetPenColor(0x123456);
    Line(0, 0, 2, 0);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x56, 0x34, 0x12)); // the picture's own layout
    canvas.SetPenColor(clRed);
    Line(0, 0, 2, 0);
    EXPECT_EQ(canvas.Pixel(0, 0), clRed);
    canvas.SetPenMode(TPenMode::Merge);
    canvas.SetPenColor(clGreen);
    canvas.MoveTo(0, 0);
    canvas.LineTo(1, 0);
    EXPECT_EQ(canvas.Pixel(0, 0), 0x0080FFu);
    canvas.SetPenColor(clWhite);
    canvas.LineTo(2, 0);
    EXPECT_EQ(canvas.Pixel(1, 0), clWhite);
}

TEST_F(CanvasTest, FillCoversLeftAndTopButNotRightAndBottom) {
    canvas.SetBrushColor(clYellow);
    canvas.FillRect(8, -3, 12, 2);
    EXPECT_EQ(Painted(), (Pixels{{8, 0}, {9, 0}, {8, 1}, {9, 1}}));
    EXPECT_EQ(canvas.Pixel(8, 0), clYellow);
}

TEST(CanvasText, CellIsOpaqueAndGrowsWithTheFont) {
    QImage image = NewCanvasImage(120, 40);
    image.fill(Qt::white);
    TCanvas canvas(image);
    canvas.SetBrushColor(clBlack);
    canvas.SetFontColor(clGray);
    const QString text = QStringLiteral("400nm");
    const QSize cell = canvas.TextExtent(text);
    canvas.TextOut(10, 5, text);
    int gray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const TColor pixel = canvas.Pixel(x, y);
            const bool inCell = x >= 10 && x < 10 + cell.width() && y >= 5 && y < 5 + cell.height();
            if (!inCell)
                EXPECT_EQ(pixel, clWhite) << x << "," << y;
            else if (pixel == clGray)
                ++gray;
            else
                EXPECT_EQ(pixel, clBlack) << x << "," << y;
        }
    EXPECT_GT(gray, 20);
    EXPECT_GE(cell.height(), 11);
    canvas.SetFontSize(12);
    EXPECT_GT(canvas.TextExtent(text).height(), cell.height());
    EXPECT_GT(canvas.TextExtent(text).width(), cell.width());
}

// On a scaled screen every step is taken again at the screen's resolution: straight lines and fills on
// exactly the screen pixels of their picture pixels.
TEST(CanvasText, ScaledScreenGetsEveryStepAtItsResolution) {
    QImage image = NewCanvasImage(40, 20);
    TCanvas canvas(image);
    canvas.SetScreenScale(2);
    canvas.SetBrushColor(clGreen);
    canvas.FillRect(1, 1, 5, 4);
    canvas.SetPenColor(clYellow);
    canvas.MoveTo(10, 12);
    canvas.LineTo(10, 2);
    canvas.SetPenWidth(2);
    canvas.MoveTo(12, 15);
    canvas.LineTo(30, 15);
    canvas.MoveTo(12, 20); // just below the picture: its upper row shows
    canvas.LineTo(30, 20);
    canvas.SetPenMode(TPenMode::Merge);
    canvas.SetPenColor(clRed);
    canvas.MoveTo(20, 0);
    canvas.LineTo(20, 19);
    canvas.MoveTo(5, 10);
    canvas.LineTo(5, 10); // back to where it stands: nothing
    ASSERT_NE(canvas.Screen(), nullptr);
    EXPECT_EQ(canvas.Screen()->Image(), image.scaled(80, 40));
    canvas.MoveTo(0, 19);
    canvas.LineTo(INT_MAX, INT_MIN); // sloped, to far outside: drawn finer, and quickly
    EXPECT_NE(canvas.Screen()->Image(), image.scaled(80, 40));
    canvas.SetScreenScale(1);
    EXPECT_EQ(canvas.Screen(), nullptr);
}

// At 125 to 200 % the texts are written anew in the screen's face: inked, inside their cells only,
// and where the design font gives way to the stand-in, its letters as tall as at 100 %.
TEST(CanvasText, ScaledScreensShowTheTextsInsideTheirCells) {
    const QString text = QStringLiteral("400nm");
    const int capital = QFontMetrics(CanvasFont(8, 1)).tightBoundingRect(QStringLiteral("H")).height();
    for (const qreal scale : {1.25, 1.5, 1.75, 2.0}) {
        SCOPED_TRACE(scale);
        QImage image = NewCanvasImage(60, 20);
        image.fill(Qt::black);
        TCanvas canvas(image);
        canvas.SetScreenScale(scale);
        canvas.SetBrushColor(clBlack);
        canvas.SetFontColor(clGray);
        const QSize cell = canvas.TextExtent(text);
        canvas.TextOut(5, 3, text);
        const QImage& screen = canvas.Screen()->Image();
        const auto edge = [scale](int at) { return int(std::nearbyint(at * scale)); };
        const QRect inside(QPoint(edge(5), edge(3)),
                           QPoint(edge(5 + cell.width()) - 1, edge(3 + cell.height()) - 1));
        int inked = 0, outside = 0;
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                if (screen.pixel(x, y) != qRgb(0, 0, 0)) ++(inside.contains(x, y) ? inked : outside);
        EXPECT_GT(inked, 20 * scale * scale);
        EXPECT_EQ(outside, 0);
        // The letters stand where and as tall as on the 100 % picture, in picture pixels.
        const auto inkRows = [](const QImage& picture) {
            int top = picture.height(), bottom = -1;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x)
                    if (picture.pixel(x, y) != qRgb(0, 0, 0))
                        top = std::min(top, y), bottom = std::max(bottom, y);
            return std::pair<double, double>(top, bottom + 1);
        };
        const auto [top, bottom] = inkRows(image);
        const auto [screenTop, screenBottom] = inkRows(screen);
        EXPECT_NEAR(screenTop / scale, top, 1.5);
        EXPECT_NEAR(screenBottom / scale, bottom, 1.5);
        const int tall = QFontMetrics(CanvasFont(8, scale)).tightBoundingRect(QStringLiteral("H")).height();
        EXPECT_NEAR(tall / scale, capital, 0.5);
    }
}

// The design font's own ligatures would draw "HTML:" as "H™L:", in the diagrams and in the captions.
TEST(CanvasText, DesignFontJoinsNoLetters) {
    QImage image = NewCanvasImage(10, 10);
    const TCanvas canvas(image);
    const QFontMetrics controls(ControlFont(1));
    int canvasLetters = 0, controlLetters = 0;
    for (QChar letter : QStringLiteral("HTML:")) {
        canvasLetters += canvas.TextExtent(letter).width();
        controlLetters += controls.horizontalAdvance(letter);
    }
    EXPECT_EQ(canvas.TextExtent(QStringLiteral("HTML:")).width(), canvasLetters);
    EXPECT_EQ(controls.horizontalAdvance(QStringLiteral("HTML:")), controlLetters);
}

} // namespace
