#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// Small builders for the fixed layouts of the program's windows.

// A label sized to its caption with its top left corner at `at`.
QLabel* NewLabel(QWidget* parent, QPoint at, const QString& caption);
// A one-line edit the user can read but not change.
QLineEdit* NewReadOnlyEdit(QWidget* parent, const QRect& place);
// Gives `window` its caption, a fixed client size and a frame with only the system menu and the
// close button.
void MakeFixedWindow(QWidget& window, const QString& caption, int clientWidth, int clientHeight);
// Sets the bold form of the widget's font.
void MakeBold(QWidget& widget);
