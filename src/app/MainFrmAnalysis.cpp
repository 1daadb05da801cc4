// SPDX-License-Identifier: GPL-3.0-or-later
// The menu "Auswertung": peak labels and the comparison spectrum; the picture and the table are
// MainFrmExport.cpp's.
#include "app/MainFrm.h"

#include "app/MeasurementCommands.h"
#include "app/SpectrumFileDialog.h"
#include "files/SystemReason.h"
#include "ui/Application.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

namespace {

QAction* Command(QMenu* menu, const QString& caption, const QString& hint) {
    QAction* action = menu->addAction(caption);
    action->setToolTip(hint);
    return action;
}

} // namespace

void TMainForm::CreateAnalysisMenu() {
    Auswertung1 = menuBar()->addMenu(QStringLiteral("Auswertung"));
    PeaksBeschriften = Command(Auswertung1, QStringLiteral("Peaks beschriften"),
                               QStringLiteral("Wellenlängen der höchsten Peaks anschreiben"));
    PeaksBeschriften->setCheckable(true);
    VergleichsspektrumLaden = Command(Auswertung1, QStringLiteral("Vergleichsspektrum laden..."),
                                      QStringLiteral("Gespeichertes Spektrum zum Vergleich einblenden..."));
    VergleichsspektrumAusblenden = Command(Auswertung1, QStringLiteral("Vergleichsspektrum ausblenden"),
                                           QStringLiteral("Vergleichsspektrum ausblenden"));
    VergleichsspektrumAusblenden->setEnabled(false);
    N2 = Auswertung1->addSeparator();
    BildSpeichern = Command(Auswertung1, QStringLiteral("Bild speichern..."),
                            QStringLiteral("Diagramm als Bild für ein Arbeitsblatt speichern..."));
    TabelleExportieren = Command(Auswertung1, QStringLiteral("Tabelle exportieren..."),
                                 QStringLiteral("Messwerte als Tabelle für ein Protokoll speichern..."));

    connect(PeaksBeschriften, &QAction::triggered, this, Guarded([this] { PeaksBeschriftenClick(); }));
    connect(VergleichsspektrumLaden, &QAction::triggered, this,
            Guarded([this] { VergleichsspektrumLadenClick(); }));
    connect(VergleichsspektrumAusblenden, &QAction::triggered, this,
            Guarded([this] { VergleichsspektrumAusblendenClick(); }));
    connect(BildSpeichern, &QAction::triggered, this, Guarded([this] { BildSpeichernClick(); }));
    connect(TabelleExportieren, &QAction::triggered, this, Guarded([this] { TabelleExportierenClick(); }));
}

void TMainForm::PeaksBeschriftenClick() {
    RedrawUnlessMeasuring();
}

void TMainForm::VergleichsspektrumLadenClick() {
    if (!comparisonDialog_)
        comparisonDialog_ =
            new TSpectrumFileDialog(this, QStringLiteral("Vergleichsspektrum laden"),
                                    QStringLiteral("CSV-Dateien (*.csv)"), QFileDialog::AcceptOpen);
    if (!comparisonDialog_->Run(OpenDialogInitialDir)) return;
    const QString fileName = TakeDialogFileName(comparisonDialog_->selectedFiles().constFirst());
    const ComparisonFile file = LoadComparisonFile(fileName.toStdString());
    LastIoResult = file.IoResult;
    if (!file.Usable()) {
        QMessageBox::warning(
            this, QCoreApplication::applicationName(),
            QStringLiteral("Die Datei „%1“ wird nicht zum Vergleich geladen:\n%2")
                .arg(fileName, file.IoResult != 0 ? SystemReason(file.IoResult) : file.Refusal));
        return;
    }
    ComparisonSpectrum comparison{file.Name, file.Readings, file.Calibration};
    if (comparison.Name.trimmed().isEmpty()) comparison.Name = QFileInfo(fileName).completeBaseName();
    Comparison = comparison;
    MeasurementCommands->ShowStatus();
    VergleichsspektrumAusblenden->setEnabled(true);
    DrawSpectrum();
}

void TMainForm::VergleichsspektrumAusblendenClick() {
    if (!Comparison) return;
    Comparison.reset();
    MeasurementCommands->ShowStatus();
    VergleichsspektrumAusblenden->setEnabled(false);
    DrawSpectrum();
}
