// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;

// The menu "Hilfe": opens the handbook for teachers in the browser.
class THelpCommands : public QObject {
public:
    // Adds the menu "Hilfe" at the end of the menu bar of `window`.
    explicit THelpCommands(QMainWindow& window);

    QMenu* Hilfe1;
    QAction* Handbuch;

    // Opens the handbook found beside or above the program; says so when there is none or no browser
    // takes it.
    void HandbuchClick();

private:
    QMainWindow& window_;
};
