// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A repeating timer with switch semantics: enabling a running timer changes nothing (the period
// already running goes on, which the watchdog relies on), disabling stops it, and enabling a
// stopped timer starts a fresh interval.
class TTimer : public QObject {
    Q_OBJECT
public:
    TTimer(int intervalMs, std::function<void()> onTimer, QObject* parent = nullptr);

    bool Enabled() const { return timer_.isActive(); }
    void SetEnabled(bool enabled);
    int Interval() const { return timer_.interval(); }
    // The period from the next enabling on; set it while the timer is off (Qt restarts a running one).
    void SetInterval(int intervalMs);

private:
    QTimer timer_;
    std::function<void()> onTimer_;
};
