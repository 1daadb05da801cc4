// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/ScreenPicture.h"

#include "spectrum/DesignFonts.h"

#include <QFontMetrics>
#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QColor ColourOf(TColor color) {
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

// Cuts `line` to the part inside `box` (Liang and Barsky); false when nothing of it lies inside.
bool ClipLine(QLineF& line, const QRectF& box) {
    const QPointF delta = line.p2() - line.p1();
    qreal enter = 0, leave = 1;
    const qreal steps[] = {-delta.x(), delta.x(), -delta.y(), delta.y()};
    const qreal room[] = {line.x1() - box.left(), box.right() - line.x1(), line.y1() - box.top(),
                          box.bottom() - line.y1()};
    for (int i = 0; i < 4; ++i) {
        if (steps[i] == 0) {
            if (room[i] < 0) return false;
            continue;
        }
        const qreal at = room[i] / steps[i];
        if (steps[i] < 0)
            enter = std::max(enter, at);
        else
            leave = std::min(leave, at);
    }
    if (enter > leave) return false;
    line = QLineF(line.pointAt(enter), line.pointAt(leave));
    return true;
}

} // namespace

TScreenPicture::TScreenPicture(const QImage& picture, qreal scale)
    : scale_(scale), picture_(picture.size()),
      image_(picture.scaled(Edge(picture.width()), Edge(picture.height()))) {}

int TScreenPicture::Edge(int64_t coordinate) const {
    // Far outside the picture, every coordinate shows the same: nothing.
    const int64_t limit = 4 * int64_t(std::max(picture_.width(), picture_.height())) + 4;
    return int(std::nearbyint(qreal(std::clamp(coordinate, -limit, limit)) * scale_));
}

QRect TScreenPicture::Pixels(int64_t left, int64_t top, int64_t right, int64_t bottom) const {
    return QRect(QPoint(Edge(left), Edge(top)), QPoint(Edge(right) - 1, Edge(bottom) - 1));
}

void TScreenPicture::Line(int fromX, int fromY, int toX, int toY, TColor color, TPenMode mode, int width) {
    const int64_t dx = int64_t(toX) - fromX, dy = int64_t(toY) - fromY;
    if (dx == 0 && dy == 0) return;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    // The middle of the pixels across the line: a wide pen adds the pixel to the left or above.
    const qreal across = width == 2 ? 0 : 0.5;
    const int lineWidth = std::max(1, int(std::nearbyint(width * scale_)));
    QPainter painter(&image_);
    if (mode == TPenMode::Merge) painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    if (dx == 0 || dy == 0) {
        // Straight lines cover their pixels along the line exactly, the end point excluded.
        const int64_t along = xMajor ? fromX : fromY, end = xMajor ? toX : toY;
        const int64_t first = std::min(along, end + 1), last = std::max(along + 1, end);
        const int middle = xMajor ? fromY : fromX;
        if (middle < -1 || middle > (xMajor ? picture_.height() : picture_.width())) return;
        const int side = int(std::floor((middle + across) * scale_ - lineWidth / 2.0 + 0.5));
        const QRect run = xMajor ? QRect(Edge(first), side, Edge(last) - Edge(first), lineWidth)
                                 : QRect(side, Edge(first), lineWidth, Edge(last) - Edge(first));
        painter.fillRect(run, ColourOf(color));
        return;
    }
    QLineF line(fromX, fromY, toX, toY);
    if (!ClipLine(line, QRectF(QPointF(-2, -2), QSizeF(picture_) + QSizeF(4, 4)))) return;
    const QPointF shift = xMajor ? QPointF(0.5, across) : QPointF(across, 0.5);
    painter.setPen(QPen(ColourOf(color), lineWidth, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine((line.p1() + shift) * scale_, (line.p2() + shift) * scale_);
}

void TScreenPicture::FillRect(int left, int top, int right, int bottom, TColor color) {
    QPainter(&image_).fillRect(Pixels(left, top, right, bottom), ColourOf(color));
}

void TScreenPicture::TextOut(int x, int y, QSize cell, int ascent, const QString& text, int points,
                             TColor fontColor, TColor brushColor) {
    const QRect screenCell = Pixels(x, y, int64_t(x) + cell.width(), int64_t(y) + cell.height());
    QPainter painter(&image_);
    painter.fillRect(screenCell, ColourOf(brushColor));
    painter.setClipRect(screenCell);
    painter.setFont(CanvasFont(points, scale_));
    painter.setPen(ColourOf(fontColor));
    painter.drawText(screenCell.left(), Edge(int64_t(y) + ascent), text);
}
