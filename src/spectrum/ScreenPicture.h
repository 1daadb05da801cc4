// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/Canvas.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

// A canvas's picture again at the resolution of a scaled screen, `scale` screen pixels to one picture
// pixel: each drawing step the canvas takes on its 96-dpi picture is taken here too, lines as wide as
// there and texts in a face of the screen's size, so that a scaled screen shows the diagrams sharp
// rather than enlarged. Pixels outside the picture are dropped here as well.
class TScreenPicture {
public:
    // Starts as `picture` enlarged, each of its pixels a block of screen pixels.
    TScreenPicture(const QImage& picture, qreal scale);

    qreal Scale() const { return scale_; }
    // The picture in screen pixels: shown in a rectangle of its size divided by the scale, each of its
    // pixels lands on one of the screen's.
    const QImage& Image() const { return image_; }

    // The line the canvas paints from (fromX, fromY) toward (toX, toY), in picture pixels, with its pen.
    void Line(int fromX, int fromY, int toX, int toY, TColor color, TPenMode mode, int width);
    // Fills the picture pixels left ≤ x < right, top ≤ y < bottom.
    void FillRect(int left, int top, int right, int bottom, TColor color);
    // Fills the text cell of `cell` picture pixels at (x, y) and writes `text` on the baseline `ascent`
    // picture pixels below its top.
    void TextOut(int x, int y, QSize cell, int ascent, const QString& text, int points, TColor fontColor,
                 TColor brushColor);

private:
    // The screen coordinate where picture coordinate `coordinate` begins.
    int Edge(int64_t coordinate) const;
    // The screen pixels of the picture pixels left ≤ x < right, top ≤ y < bottom.
    QRect Pixels(int64_t left, int64_t top, int64_t right, int64_t bottom) const;

    qreal scale_;
    QSize picture_;
    QImage image_;
};
