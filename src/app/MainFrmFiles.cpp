// Saving and loading spectrum files from the main window, with the preview while choosing.
#include "app/MainFrm.h"

#include "app/Application.h"
#include "app/LabeledEdit.h"
#include "files/CsvSpectrumFile.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <cstring>
#include <system_error>

namespace {

QString SystemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

QFileDialog* TMainForm::OpenDialog() {
    if (!openDialog_) {
        openDialog_ = new QFileDialog(this, QStringLiteral("Spektrum laden"));
        openDialog_->setOption(QFileDialog::DontUseNativeDialog);
        openDialog_->setOption(QFileDialog::ReadOnly, false);
        openDialog_->setAcceptMode(QFileDialog::AcceptOpen);
        // The chosen file need not exist; the load then tells what went wrong.
        openDialog_->setFileMode(QFileDialog::AnyFile);
        openDialog_->setNameFilter(QStringLiteral("CSV-Dateien (*.csv)"));
        connect(openDialog_, &QFileDialog::currentChanged, this,
                [this](const QString& path) { TApplication::RunGuarded([&] { OpenDialogSelectionChange(path); }); });
    }
    return openDialog_;
}

QFileDialog* TMainForm::SaveDialog() {
    if (!saveDialog_) {
        saveDialog_ = new QFileDialog(this, QStringLiteral("Speichern unter"));
        saveDialog_->setOption(QFileDialog::DontUseNativeDialog);
        // The overwrite question comes after ".csv" has been appended, so it asks about the real file.
        saveDialog_->setOption(QFileDialog::DontConfirmOverwrite);
        saveDialog_->setAcceptMode(QFileDialog::AcceptSave);
        saveDialog_->setNameFilter(QStringLiteral("CSV (*.csv)"));
    }
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
    QFileDialog* dialog = SaveDialog();
    dialog->setDirectory(SaveDialogInitialDir);
    dialog->selectFile(QString());
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return;
    const QString fileName = TakeDialogFileName(dialog->selectedFiles().constFirst());
    if (QFileInfo::exists(fileName) &&
        QMessageBox::question(this, QStringLiteral("Speichern unter bestätigen"),
                              QStringLiteral("%1 ist bereits vorhanden.\nMöchten Sie sie ersetzen?")
                                  .arg(QFileInfo(fileName).fileName())) != QMessageBox::Yes)
        return;
    SaveSpectrumFile(fileName);
}

void TMainForm::FileOpenClick() {
    QFileDialog* dialog = OpenDialog();
    dialog->setDirectory(OpenDialogInitialDir);
    dialog->selectFile(QString());
    if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
        LoadSpectrumFile(TakeDialogFileName(dialog->selectedFiles().constFirst()), true);
    DrawSpectrum();
}

void TMainForm::OpenDialogSelectionChange(const QString& path) {
    // Moving through folders is no choice of a file.
    if (path.isEmpty() || QFileInfo(path).isDir())
        return;
    LoadSpectrumFile(TakeDialogFileName(path), false);
}

void TMainForm::SaveSpectrumFile(const QString& fileName) {
    try {
        ::SaveSpectrumFile(fileName.toStdString(), SpektrumEdit->text(), Spectrum.Readings, Calibration);
        LastIoResult = 0;
    } catch (const std::system_error& error) {
        LastIoResult = error.code().value();
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             QStringLiteral("Das Spektrum konnte nicht in „%1“ gespeichert werden:\n%2")
                                 .arg(fileName, SystemReason(LastIoResult)));
    }
}

void TMainForm::LoadSpectrumFile(const QString& fileName, bool explicitLoad) {
    const SpectrumFileContents file = ::LoadSpectrumFile(fileName.toStdString());
    LastIoResult = file.IoResult;
    if (!file.Opened()) {
        // What the user had stays as it was; only a load the user asked for says why nothing came.
        if (explicitLoad)
            QMessageBox::warning(this, QCoreApplication::applicationName(),
                                 QStringLiteral("Die Datei „%1“ konnte nicht geöffnet werden:\n%2")
                                     .arg(fileName, SystemReason(file.IoResult)));
        return;
    }
    SpektrumEdit->setText(file.Name);
    ApplySpectrumFile(file, Spectrum.Readings, Calibration);
    SetCalibration(Calibration.LambdaMin, Calibration.LambdaMax);
    DrawSpectrum();
}
