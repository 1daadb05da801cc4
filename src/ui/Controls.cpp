// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Controls.h"

#include "spectrum/DesignFonts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWheelEvent>
#include <QWidget>

QLabel* NewLabel(QWidget* parent, QPoint at, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel* NewFixedLabel(QWidget* parent, const QRect& place, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setGeometry(place);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QCheckBox* NewCheckBox(QWidget* parent, const QRect& place, const QString& caption, const QString& hint) {
    auto* box = new QCheckBox(caption, parent);
    box->setGeometry(place);
    box->setToolTip(hint);
    return box;
}

QGroupBox* NewGroupBox(QWidget* parent, const QRect& place, const QString& caption) {
    auto* box = new QGroupBox(caption, parent);
    box->setGeometry(place);
    return box;
}

QPushButton* NewGlyphButton(QWidget* parent, const QRect& place, const QPixmap& glyph, const QString& caption,
                            const QString& hint) {
    auto* button = new QPushButton(QIcon(glyph), caption, parent);
    button->setGeometry(place);
    button->setToolTip(hint);
    return button;
}

QLineEdit* NewReadOnlyEdit(QWidget* parent, const QRect& place) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(place);
    edit->setReadOnly(true);
    return edit;
}

void MakeFixedWindow(QWidget& window, const QString& caption, int clientWidth, int clientHeight) {
    window.setWindowTitle(caption);
    const Qt::WindowFlags kind =
        window.isWindow() && window.windowType() == Qt::Dialog ? Qt::Dialog : Qt::Window;
    window.setWindowFlags(kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint);
    window.setFixedSize(clientWidth, clientHeight);
}

void TSpinEdit::stepBy(int steps) {
    // The toolkit would take an arrow with Ctrl held for ten steps.
    QSpinBox::stepBy(steps > 0 ? 1 : steps < 0 ? -1 : 0);
}

void TSpinEdit::keyPressEvent(QKeyEvent* event) {
    // A page key meant for the window around must not move a calibration value unnoticed.
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        event->ignore();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

void TSpinEdit::wheelEvent(QWheelEvent* event) {
    // Scrolling past the control is no choice of a value.
    event->ignore();
}

TSpinEdit* NewSpinEdit(QWidget* parent, const QRect& place, int minimum, int maximum, int step, int value,
                       const QString& hint) {
    auto* edit = new TSpinEdit(parent);
    edit->setGeometry(place);
    edit->setRange(minimum, maximum);
    edit->setSingleStep(step);
    edit->setValue(value);
    edit->setToolTip(hint);
    edit->findChild<QLineEdit*>()->setReadOnly(true);
    return edit;
}

void MakeBold(QWidget& widget) {
    widget.setFont(BoldControlFont());
}
