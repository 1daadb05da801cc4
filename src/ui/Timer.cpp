// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Timer.h"

#include "ui/Application.h"

TTimer::TTimer(int intervalMs, std::function<void()> onTimer, QObject* parent)
    : QObject(parent), onTimer_(std::move(onTimer)) {
    timer_.setInterval(intervalMs);
    // A coarse timer may fire up to 5 % early; the watchdog and the about window count on the full period.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { TApplication::RunGuarded(onTimer_); });
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled && !timer_.isActive())
        timer_.start();
    else if (!enabled)
        timer_.stop();
}

void TTimer::SetInterval(int intervalMs) {
    timer_.setInterval(intervalMs);
}
