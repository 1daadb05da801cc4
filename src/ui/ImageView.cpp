// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ImageView.h"

#include "ui/Application.h"

#include <QMouseEvent>
#include <QPainter>

TImageView::TImageView(QWidget* parent, const QRect& place)
    : QWidget(parent), picture_(NewCanvasImage(place.width(), place.height())) {
    setGeometry(place);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageView::SetFixedPicture(const QPixmap& pixmap) {
    // Made at the screen's resolution, so that a scaled screen shows it as sharp as any other.
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
