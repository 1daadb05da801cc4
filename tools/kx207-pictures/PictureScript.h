// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

class QWidget;

// A scripted run of the program for pictures: each step acts on the windows, waits until the program
// shows the result, and saves the part of the screen that shows it. A step that never gets ready ends
// the run as failed, so that a changed program can't leave a stale picture unnoticed.
class PictureScript : public QObject {
public:
    struct Step {
        QString Picture;                   // PNG in the output folder; empty: no picture
        std::function<void()> Act = [] {}; // may run a modal window, which Done closes
        std::function<bool()> Ready = [] { return true; };
        int SettleMs = 700; // after Ready, for the screen to follow
        std::function<QRect()> Area = [] { return QRect(); };
        std::function<void()> Done = [] {};
    };

    PictureScript(QString folder, std::vector<Step> steps);
    // Runs the steps one after the other from the event loop, then ends the application.
    void Start();
    // 0 when every picture was saved.
    int Result() const { return result_; }

    // The screen's part covered by the visible ones of `windows`, popup menus included.
    static QRect Around(std::initializer_list<const QWidget*> windows);

private:
    void Run(size_t index);
    void Await(size_t index, int waitedMs);
    void Shoot(size_t index);
    void Fail(const QString& why);

    QString folder_;
    std::vector<Step> steps_;
    int result_ = 0;
};
