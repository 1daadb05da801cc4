// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/HelpCommands.h"

#include "app/HandbookFolder.h"
#include "ui/Application.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QUrl>

THelpCommands::THelpCommands(QMainWindow& window) : QObject(&window), window_(window) {
    Hilfe1 = window.menuBar()->addMenu(QStringLiteral("Hilfe"));
    Handbuch = Hilfe1->addAction(QStringLiteral("Handbuch"));
    Handbuch->setToolTip(QStringLiteral("Handbuch für Lehrkräfte im Browser öffnen..."));
    Handbuch->setShortcut(Qt::Key_F1);
    connect(Handbuch, &QAction::triggered, this, Guarded([this] { HandbuchClick(); }));
}

void THelpCommands::HandbuchClick() {
    const QString program = QCoreApplication::applicationDirPath();
    const QString folder = FindHandbook(HandbookCandidates(program));
    if (folder.isEmpty()) {
        QMessageBox::warning(&window_, QCoreApplication::applicationName(),
                             QStringLiteral("Das Handbuch wurde nicht gefunden. Es gehört in den Ordner\n%1\n"
                                            "Das Programm neu zu installieren bringt es zurück.")
                                 .arg(QDir::toNativeSeparators(InstalledHandbookFolder(program))));
        return;
    }
    const QString index = QDir(folder).filePath(QStringLiteral("index.html"));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(index)))
        QMessageBox::warning(&window_, QCoreApplication::applicationName(),
                             QStringLiteral("Kein Browser konnte das Handbuch öffnen. Es liegt in\n%1")
                                 .arg(QDir::toNativeSeparators(index)));
}
