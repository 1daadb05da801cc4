// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/Canvas.h"

#include <QImage>
#include <QWidget>
#include <functional>

// A drawing surface: shows an off-screen image of exactly its own size and reports the mouse.
// Drawing through Canvas() and calling update() is all it takes to show a new picture; on a scaled
// screen the canvas draws it at the screen's resolution as well.
class TImageView : public QWidget {
    Q_OBJECT
public:
    TImageView(QWidget* parent, const QRect& place);

    QImage& Picture() { return picture_; }
    const QImage& Picture() const { return picture_; }
    // The canvas that draws on the picture; its pen stays as last set.
    TCanvas& Canvas() { return canvas_; }
    // Shows `pixmap` scaled proportionally into the control at the screen's resolution (for the logo).
    void SetFixedPicture(const QPixmap& pixmap);

    // Button state and position of a move or press, in the control's pixels.
    std::function<void(Qt::MouseButtons, int x, int y)> OnMouseMove;
    // Buttons held at the press, the pressed one included.
    std::function<void(Qt::MouseButtons, int x, int y)> OnMouseDown;
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    TCanvas canvas_{picture_};
};
