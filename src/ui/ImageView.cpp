// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImageView.h"

#include "spectrum/ScreenPicture.h"
#include "ui/Application.h"

#include <QMouseEvent>
#include <QPainter>

TImageView::TImageView(QWidget* parent, const QRect& place)
    : QWidget(parent), picture_(NewCanvasImage(place.width(), place.height())) {
    setGeometry(place);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_.SetScreenScale(devicePixelRatioF());
}

void TImageView::SetFixedPicture(const QPixmap& pixmap) {
    // Made at the screen's resolution, so that a scaled screen shows it as sharp as any other.
    canvas_.SetScreenScale(1);
    const qreal scale = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * scale).toSize();
    picture_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    picture_.fill(Qt::transparent);
    QPixmap scaled = pixmap.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1);
    {
        QPainter painter(&picture_);
        painter.drawPixmap((pixels.width() - scaled.width()) / 2, (pixels.height() - scaled.height()) / 2,
                           scaled);
    }
    picture_.setDevicePixelRatio(scale);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    update();
}

void TImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // On a scaled screen the canvas's finer picture, one of its pixels to each of the screen's; elsewhere
    // (also on a screen scaled otherwise than the one the view was made on) the picture, each of its
    // pixels enlarged to a block without blending.
    const TScreenPicture* screen = canvas_.Screen();
    if (screen && qFuzzyCompare(screen->Scale(), devicePixelRatioF()))
        painter.drawImage(QRectF(QPointF(0, 0), QSizeF(screen->Image().size()) / screen->Scale()),
                          screen->Image());
    else
        painter.drawImage(0, 0, picture_);
}

void TImageView::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove) {
        const QPoint at = event->position().toPoint();
        TApplication::RunGuarded([&] { OnMouseMove(event->buttons(), at.x(), at.y()); });
    }
}

void TImageView::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown) {
        const QPoint at = event->position().toPoint();
        TApplication::RunGuarded([&] { OnMouseDown(event->buttons(), at.x(), at.y()); });
    }
}

void TImageView::mouseReleaseEvent(QMouseEvent* event) {
    if (OnClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        TApplication::RunGuarded(OnClick);
}
