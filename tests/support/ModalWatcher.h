// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class QMessageBox;

// Answers every modal window that opens while it exists: records its text (the message of a
// message box, the title otherwise) and closes it, so tests can drive code that asks the user.
class ModalWatcher : public QObject {
    Q_OBJECT
public:
    ModalWatcher();

    QStringList Texts;
    // The caption of the button a message box is answered with; empty: the box is accepted.
    QString Answer;

private:
    void Poll();
    QTimer timer_;
};

// Closes every message box that stays open for a second with nothing of the test answering it, and
// fails the running test with the box's text: a test that meets a box it doesn't expect fails at
// once instead of waiting for the suite's time-out. Made once, by the test main. The second is
// counted in its own polls, so that a handler blocking the event loop can't cut short the turns of
// the test's own answerers, which poll more often.
class UnexpectedMessageBoxes : public QObject {
    Q_OBJECT
public:
    UnexpectedMessageBoxes();

private:
    void Poll();
    QTimer timer_;
    QPointer<QMessageBox> box_;
    int polls_ = 0;
};
