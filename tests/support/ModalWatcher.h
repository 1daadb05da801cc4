// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Answers every modal window that opens while it exists: records its text (the message of a
// message box, the title otherwise) and closes it, so tests can drive code that asks the user.
class ModalWatcher : public QObject {
    Q_OBJECT
public:
    ModalWatcher();

    QStringList Texts;

private:
    void Poll();
    QTimer timer_;
};
