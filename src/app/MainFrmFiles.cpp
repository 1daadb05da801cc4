// SPDX-License-Identifier: GPL-3.0-or-later
// Saving and loading spectrum files from the main window, with the preview while choosing.
#include "app/MainFrm.h"

#include "app/SpectrumFileDialog.h"
#include "files/CsvSpectrumFile.h"
#include "files/SystemReason.h"
#include "ui/Application.h"
#include "ui/LabeledEdit.h"

#include <QFileInfo>
#include <QMessageBox>
#include <system_error>

TSpectrumFileDialog* TMainForm::OpenDialog() {
    if (!openDialog_) {
        openDialog_ = new TSpectrumFileDialog(this, QStringLiteral("Spektrum laden"),
                                              QStringLiteral("CSV-Dateien (*.csv)"), QFileDialog::AcceptOpen);
        connect(openDialog_, &QFileDialog::currentChanged, this, [this](const QString& path) {
            TApplication::RunGuarded([&] { OpenDialogSelectionChange(path); });
        });
    }
    return openDialog_;
}

TSpectrumFileDialog* TMainForm::SaveDialog() {
    if (!saveDialog_)
        saveDialog_ = new TSpectrumFileDialog(this, QStringLiteral("Speichern unter"),
                                              QStringLiteral("CSV (*.csv)"), QFileDialog::AcceptSave);
    return saveDialog_;
}

QString TMainForm::TakeDialogFileName(const QString& chosen) {
    const QString fileName = WithCsvExtension(chosen);
    const QString folder = QFileInfo(fileName).absolutePath() + QLatin1Char('/');
    OpenDialogInitialDir = folder;
    SaveDialogInitialDir = folder;
    return fileName;
}

void TMainForm::FileCloseClick() {
    TSpectrumFileDialog* dialog = SaveDialog();
    // The remembered folder stays as it is until a file is chosen.
    if (!dialog->Run(FolderToWrite(SaveDialogInitialDir))) return;
    SaveSpectrumFile(TakeDialogFileName(dialog->selectedFiles().constFirst()));
}

void TMainForm::FileOpenClick() {
    TSpectrumFileDialog* dialog = OpenDialog();
    if (dialog->Run(TSpectrumFileDialog::FolderToOpen(OpenDialogInitialDir, StartDir)))
        LoadSpectrumFile(TakeDialogFileName(dialog->selectedFiles().constFirst()), true);
    DrawSpectrum();
}

void TMainForm::OpenDialogSelectionChange(const QString& path) {
    // Moving through folders is no choice of a file.
    if (path.isEmpty() || QFileInfo(path).isDir()) return;
    LoadSpectrumFile(TakeDialogFileName(path), false);
}

void TMainForm::WarnNotSaved(const QString& what, const QString& fileName, int error) {
    QMessageBox::warning(this, QCoreApplication::applicationName(),
                         QStringLiteral("%1 konnte nicht in „%2“ gespeichert werden:\n%3")
                             .arg(what, fileName, SystemReason(error)));
}

void TMainForm::SaveSpectrumFile(const QString& fileName) {
    try {
        ::SaveSpectrumFile(fileName.toStdString(), SpektrumEdit->text(), Spectrum.Readings, Calibration);
        LastIoResult = 0;
    } catch (const std::system_error& error) {
        LastIoResult = error.code().value();
        WarnNotSaved(QStringLiteral("Das Spektrum"), fileName, LastIoResult);
    }
}

std::optional<SpectrumFileContents> TMainForm::ReadSpectrumFile(const QString& fileName, bool explicitLoad) {
    SpectrumFileContents file = ::LoadSpectrumFile(fileName.toStdString());
    LastIoResult = file.IoResult;
    if (file.Opened()) return file;
    if (explicitLoad)
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             QStringLiteral("Die Datei „%1“ konnte nicht geöffnet werden:\n%2")
                                 .arg(fileName, SystemReason(file.IoResult)));
    return std::nullopt;
}

void TMainForm::LoadSpectrumFile(const QString& fileName, bool explicitLoad) {
    // What the user had stays as it was when the file can't be opened; only a load the user asked
    // for says why nothing came.
    const std::optional<SpectrumFileContents> file = ReadSpectrumFile(fileName, explicitLoad);
    if (!file) return;
    SpektrumEdit->setText(file->Name);
    ApplySpectrumFile(*file, Spectrum.Readings, Calibration);
    Measurement.HoldFileSpectrum();
    SetCalibration(Calibration.LambdaMin, Calibration.LambdaMax);
    DrawSpectrum();
}
