// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSpinBox>
#include <QString>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPixmap;
class QPushButton;
class QLineEdit;
class QWidget;

// Small builders for the fixed layouts of the program's windows.

// A label sized to its caption with its top left corner at `at`.
QLabel* NewLabel(QWidget* parent, QPoint at, const QString& caption);
// A label of fixed size at `place`, its caption at the top left.
QLabel* NewFixedLabel(QWidget* parent, const QRect& place, const QString& caption);
// A check box at `place` with its caption and hint.
QCheckBox* NewCheckBox(QWidget* parent, const QRect& place, const QString& caption, const QString& hint);
// A group box at `place` with its caption.
QGroupBox* NewGroupBox(QWidget* parent, const QRect& place, const QString& caption);
// A push button at `place` with a glyph before its caption, and its hint.
QPushButton* NewGlyphButton(QWidget* parent, const QRect& place, const QPixmap& glyph, const QString& caption,
                            const QString& hint);
// A one-line edit the user can read but not change.
QLineEdit* NewReadOnlyEdit(QWidget* parent, const QRect& place);
// Gives `window` its caption, a fixed client size and a frame with only the system menu and the
// close button.
void MakeFixedWindow(QWidget& window, const QString& caption, int clientWidth, int clientHeight);
// A spin edit: nothing can be typed into it, and only its arrows and the arrow keys change its value,
// by exactly one step at a time; Page Up, Page Down and the mouse wheel leave it alone.
class TSpinEdit : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
};
// A spin edit at `place` with its range, step, value and hint.
TSpinEdit* NewSpinEdit(QWidget* parent, const QRect& place, int minimum, int maximum, int step, int value,
                       const QString& hint);
// Gives the widget the bold caption font.
void MakeBold(QWidget& widget);
