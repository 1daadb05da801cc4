// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Artwork.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace Artwork {
namespace {

// A transparent picture of `width` × `height` layout pixels, made at the screen's resolution so that
// the drawing stays sharp on a scaled screen.
QPixmap Blank(int width, int height) {
    const qreal scale = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(width, height) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QLinearGradient Rainbow(QPointF from, QPointF to) {
    QLinearGradient gradient(from, to);
    const QColor stops[] = {QColor(130, 0, 200), QColor(0, 0, 255),   QColor(0, 200, 255), QColor(0, 220, 0),
                            QColor(255, 240, 0), QColor(255, 130, 0), QColor(230, 0, 0)};
    for (int i = 0; i < 7; ++i)
        gradient.setColorAt(i / 6.0, stops[i]);
    return gradient;
}

void DrawQuit(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 2));
    p.setBrush(QColor(170, 120, 60));
    p.drawRect(6, 3, 16, 26);
    p.setBrush(QColor(240, 200, 60));
    p.drawEllipse(QPointF(18, 16), 1.5, 1.5);
    p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(16, 16, 29, 16);
    p.drawPolyline(QPolygonF({QPointF(24, 11), QPointF(29, 16), QPointF(24, 21)}));
}

void DrawOpen(QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 0), 1.5));
    p.setBrush(QColor(230, 190, 70));
    p.drawPolygon(QPolygonF(
        {QPointF(3, 8), QPointF(12, 8), QPointF(14, 11), QPointF(27, 11), QPointF(27, 27), QPointF(3, 27)}));
    p.setBrush(QColor(250, 220, 110));
    p.drawPolygon(QPolygonF({QPointF(3, 27), QPointF(8, 15), QPointF(31, 15), QPointF(27, 27)}));
}

void DrawSave(QPainter& p) {
    p.setPen(QPen(QColor(20, 30, 80), 1.5));
    p.setBrush(QColor(50, 80, 170));
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawLine(11, 21, 21, 21);
    p.drawLine(11, 24, 21, 24);
}

void DrawSettings(QPainter& p) {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(3, 26, 29, 26);
    for (int x = 5; x <= 27; x += 4)
        p.drawLine(x, 26, x, x % 8 == 5 ? 21 : 23);
    QRectF band(3, 5, 26, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(Rainbow(band.topLeft(), band.topRight()));
    p.drawRect(band);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(9, 16), QPointF(5, 19), QPointF(9, 22)}));
    p.drawPolyline(QPolygonF({QPointF(23, 16), QPointF(27, 19), QPointF(23, 22)}));
    p.drawLine(6, 19, 26, 19);
}

void DrawColour(QPainter& p) {
    p.setPen(QPen(QColor(110, 80, 40), 1.5));
    p.setBrush(QColor(240, 220, 180));
    QPainterPath palette;
    palette.addEllipse(QRectF(2, 5, 28, 22));
    QPainterPath hole;
    hole.addEllipse(QRectF(19, 17, 6, 6));
    p.drawPath(palette.subtracted(hole));
    const QColor blobs[] = {Qt::red, Qt::yellow, QColor(0, 170, 0), Qt::blue};
    const QPointF places[] = {{9, 12}, {16, 9}, {23, 11}, {9, 20}};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(blobs[i]);
        p.drawEllipse(places[i], 3, 3);
    }
}

void DrawSpectralLines(QPainter& p) {
    QRectF band(2, 6, 28, 20);
    p.setPen(Qt::NoPen);
    p.setBrush(Rainbow(band.topLeft(), band.topRight()));
    p.drawRect(band);
    p.setPen(QPen(Qt::black, 2));
    for (int x : {7, 12, 19, 25})
        p.drawLine(x, 6, x, 26);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(band);
}

void DrawLargeSpectrogram(QPainter& p) {
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::black);
    p.drawRect(2, 2, 22, 18);
    p.setPen(QPen(QColor(255, 255, 0), 1.5));
    p.drawPolyline(QPolygonF({QPointF(3, 18), QPointF(7, 16), QPointF(10, 6), QPointF(13, 15),
                              QPointF(17, 12), QPointF(20, 17), QPointF(23, 18)}));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(200, 230, 255, 160));
    p.drawEllipse(QPointF(19, 19), 7, 7);
    p.setPen(QPen(QColor(90, 60, 30), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(24, 24, 30, 30);
}

void DrawPrism(QPainter& p, QRectF area) {
    const double w = area.width(), h = area.height();
    const QPointF top(area.left() + w * 0.36, area.top() + h * 0.12);
    const QPointF left(area.left() + w * 0.12, area.top() + h * 0.78);
    const QPointF right(area.left() + w * 0.60, area.top() + h * 0.78);
    const QPointF entry((top.x() + left.x()) / 2, (top.y() + left.y()) / 2);
    const QPointF exit((top.x() + right.x()) / 2 + w * 0.02, (top.y() + right.y()) / 2);
    p.setPen(QPen(Qt::white, std::max(1.0, w / 60)));
    p.drawLine(QPointF(area.left(), entry.y() + h * 0.12), entry);
    QPolygonF fan(
        {exit, QPointF(area.right(), area.top() + h * 0.30), QPointF(area.right(), area.top() + h * 0.78)});
    p.setPen(Qt::NoPen);
    p.setBrush(
        Rainbow(QPointF(area.right(), area.top() + h * 0.30), QPointF(area.right(), area.top() + h * 0.78)));
    p.drawPolygon(fan);
    p.setPen(QPen(QColor(190, 220, 255), std::max(1.0, w / 50)));
    p.setBrush(QColor(160, 200, 240, 150));
    p.drawPolygon(QPolygonF({top, left, right}));
}

} // namespace

QPixmap ToolImagePixmap(int index) {
    QPixmap pixmap = Blank(32, 32);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case Quit:
        DrawQuit(painter);
        break;
    case Open:
        DrawOpen(painter);
        break;
    case Save:
        DrawSave(painter);
        break;
    case Settings:
        DrawSettings(painter);
        break;
    case Colour:
        DrawColour(painter);
        break;
    case SpectralLines:
        DrawSpectralLines(painter);
        break;
    case LargeSpectrogram:
        DrawLargeSpectrogram(painter);
        break;
    default:
        break;
    }
    return pixmap;
}

QPixmap Logo() {
    QPixmap pixmap = Blank(111, 88);
    pixmap.fill(QColor(10, 20, 50));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawPrism(painter, QRectF(4, 2, 103, 62));
    QFont font(QStringLiteral("Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 62, 111, 24), Qt::AlignCenter, QStringLiteral("KX207"));
    return pixmap;
}

QPixmap SnapshotGlyph() {
    QPixmap pixmap = Blank(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 30, 30), 1.5));
    p.setBrush(QColor(90, 90, 100));
    p.drawRoundedRect(QRectF(2, 9, 28, 19), 3, 3);
    p.drawRect(QRectF(10, 5, 10, 4));
    p.setBrush(QColor(20, 20, 30));
    p.drawEllipse(QPointF(16, 18), 7, 7);
    p.setBrush(QColor(120, 170, 230));
    p.drawEllipse(QPointF(16, 18), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 230, 120));
    p.drawRect(QRectF(24, 12, 3, 2));
    return pixmap;
}

QPixmap MeasureGlyph() {
    QPixmap pixmap = Blank(32, 32);
    pixmap.fill(Qt::black);
    {
        QPainter p(&pixmap);
        p.setPen(QPen(QColor(0, 200, 0), 2));
        p.drawPolyline(QPolygonF({QPointF(2, 27), QPointF(7, 25), QPointF(11, 8), QPointF(15, 22),
                                  QPointF(20, 15), QPointF(25, 24), QPointF(30, 27)}));
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(2, 30, 30, 30);
    }
    // The picture's black is its transparent colour, so the curve stands on the button's own face.
    pixmap.setMask(pixmap.createMaskFromColor(Qt::black));
    return pixmap;
}

QPixmap OkGlyph() {
    QPixmap pixmap = Blank(20, 20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 150, 0), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3, 11), QPointF(8, 16), QPointF(17, 4)}));
    return pixmap;
}

QPixmap CancelGlyph() {
    QPixmap pixmap = Blank(20, 20);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(4, 4, 16, 16);
    p.drawLine(16, 4, 4, 16);
    return pixmap;
}

QIcon WindowIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(QColor(10, 20, 50));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        DrawPrism(painter, QRectF(0, size * 0.1, size, size * 0.8));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Artwork
