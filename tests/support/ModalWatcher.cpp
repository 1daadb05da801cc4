// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ModalWatcher.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>

ModalWatcher::ModalWatcher() {
    connect(&timer_, &QTimer::timeout, this, &ModalWatcher::Poll);
    timer_.start(10);
}

void ModalWatcher::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        Texts << box->text();
        box->accept();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        Texts << dialog->windowTitle();
        dialog->accept();
    }
}
