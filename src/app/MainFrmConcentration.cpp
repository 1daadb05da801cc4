// SPDX-License-Identifier: GPL-3.0-or-later
// The command "Konzentrationsreihe..." at the end of the menu "Messung": shows the concentration
// series' window, made at its first showing so that a program that never uses it is as before.
#include "app/MainFrm.h"

#include "app/MeasurementCommands.h"
#include "concentrationdlg/KonzentrationDlg.h"
#include "ui/Application.h"

#include <QAction>
#include <QMenu>

void TMainForm::CreateConcentrationCommand() {
    MeasurementCommands->Messung1->addSeparator();
    Konzentrationsreihe1 = MeasurementCommands->Messung1->addAction(QStringLiteral("Konzentrationsreihe..."));
    Konzentrationsreihe1->setToolTip(
        QStringLiteral("Standards und Proben messen, Kalibriergerade und Konzentrationen bestimmen"));
    connect(Konzentrationsreihe1, &QAction::triggered, this,
            Guarded([this] { Konzentrationsreihe1Click(); }));
}

void TMainForm::Konzentrationsreihe1Click() {
    if (!KonzentrationForm) KonzentrationForm = new TKonzentrationForm(*this, this);
    KonzentrationForm->show();
    KonzentrationForm->raise();
    KonzentrationForm->activateWindow();
}

bool TMainForm::MayQuit() {
    // Asked before anything of the end has run, so that "Abbrechen" leaves the program as it was.
    return !KonzentrationForm || KonzentrationForm->MaySeriesGo();
}
