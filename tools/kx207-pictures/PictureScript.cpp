// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureScript.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

// A busy machine may take this long for Automatik to settle or a mean of 16 to fill.
constexpr int ReadyTimeoutMs = 120000;
constexpr int PollMs = 250;

} // namespace

PictureScript::PictureScript(QString folder, std::vector<Step> steps)
    : folder_(std::move(folder)), steps_(std::move(steps)) {}

void PictureScript::Start() {
    QTimer::singleShot(0, this, [this] { Run(0); });
}

QRect PictureScript::Around(std::initializer_list<const QWidget*> windows) {
    QRect area;
    for (const QWidget* window : windows)
        if (window && window->isVisible()) area |= window->frameGeometry();
    return area;
}

void PictureScript::Run(size_t index) {
    if (index == steps_.size()) {
        QCoreApplication::exit(result_);
        return;
    }
    // Posted first: the action may run a modal window, whose own loop then serves the waiting.
    QTimer::singleShot(0, this, [this, index] { Await(index, 0); });
    steps_[index].Act();
}

void PictureScript::Await(size_t index, int waitedMs) {
    if (steps_[index].Ready()) {
        QTimer::singleShot(steps_[index].SettleMs, this, [this, index] { Shoot(index); });
        return;
    }
    if (waitedMs >= ReadyTimeoutMs) {
        Fail(QStringLiteral("step %1 (%2) never got ready").arg(index).arg(steps_[index].Picture));
        return;
    }
    QTimer::singleShot(PollMs, this, [this, index, waitedMs] { Await(index, waitedMs + PollMs); });
}

void PictureScript::Shoot(size_t index) {
    const Step& step = steps_[index];
    if (!step.Picture.isEmpty()) {
        const QRect area = step.Area();
        const QString file = QDir(folder_).filePath(step.Picture);
        const QPixmap shot =
            QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (area.isEmpty() || !shot.save(file)) {
            Fail(QStringLiteral("could not save %1").arg(file));
            return;
        }
        std::printf("%s\n", qPrintable(file));
    }
    step.Done();
    // Time for a modal window that Done closed to return from its loop before the next step.
    QTimer::singleShot(300, this, [this, index] { Run(index + 1); });
}

void PictureScript::Fail(const QString& why) {
    std::fprintf(stderr, "kx207-pictures: %s\n", qPrintable(why));
    result_ = 1;
    QCoreApplication::exit(result_);
}
