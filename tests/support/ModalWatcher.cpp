// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ModalWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <gtest/gtest.h>

ModalWatcher::ModalWatcher() {
    connect(&timer_, &QTimer::timeout, this, &ModalWatcher::Poll);
    timer_.start(10);
}

void ModalWatcher::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Texts << box->text();
        for (QAbstractButton* button : box->buttons())
            if (!Answer.isEmpty() && button->text() == Answer) {
                button->click();
                return;
            }
        box->accept();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        Texts << dialog->windowTitle();
        dialog->accept();
    }
}

UnexpectedMessageBoxes::UnexpectedMessageBoxes() {
    connect(&timer_, &QTimer::timeout, this, &UnexpectedMessageBoxes::Poll);
    timer_.start(50);
}

void UnexpectedMessageBoxes::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box != box_) {
        box_ = box;
        polls_ = 0;
    } else if (box && ++polls_ == 20) {
        ADD_FAILURE() << "unexpected message box: " << box->text().toStdString();
        box->accept();
    }
}
