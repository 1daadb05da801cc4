// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of the diagram for a worksheet and the table of the spectrum for a lab report.
#include "app/MainFrm.h"

#include "app/PictureFileDialog.h"
#include "files/AtomicFile.h"
#include "files/LabTableFile.h"
#include "settings/IniFile.h"
#include "settings/SettingsTable.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"

#include <QBuffer>
#include <QComboBox>
#include <QDateTime>
#include <QFileInfo>
#include <QSlider>
#include <cmath>
#include <system_error>

namespace {

ChannelColumn Column(const ChannelReadings& readings) {
    std::array<double, ChannelCount> column{};
    std::copy(readings.begin(), readings.end(), column.begin());
    return column;
}

// A channel without a value stays an empty cell.
ChannelColumn Column(const ChannelValues& values) {
    std::array<double, ChannelCount> column{};
    for (int c = 0; c < ChannelCount; ++c)
        column[c] = values[c].value_or(std::nan(""));
    return column;
}

// The folder of a chosen file, as the dialogs open it next time.
QString FolderOf(const QString& fileName) {
    return QFileInfo(fileName).absolutePath() + u'/';
}

// The title of the picture's value axis, with its unit.
QString AxisTitle(MeasurementView view) {
    switch (view) {
    case MeasurementView::Transmission:
        return QStringLiteral("Transmission in %");
    case MeasurementView::Absorbance:
        return QStringLiteral("Extinktion");
    case MeasurementView::Intensity:
        break;
    }
    return QStringLiteral("Digits");
}

// Why the table may leave a transmission cell empty.
QString EmptyTransmissionReason(int32_t referenceExposure, int32_t exposure, bool darkSubtracted) {
    if (referenceExposure != exposure)
        return QStringLiteral("Referenz bei Belichtung %1, Spektrum bei Belichtung %2")
            .arg(referenceExposure)
            .arg(exposure);
    return (darkSubtracted ? QStringLiteral("Referenz - Dunkel") : QStringLiteral("Referenz")) +
           QStringLiteral(" unter 10 Digits oder unter 5 % des hellsten Kanals");
}

} // namespace

TMainForm::ExportChoices& TMainForm::RememberedExport() {
    if (!exportChoices_)
        exportChoices_ =
            ExportChoices{QString::fromStdString(Settings::Read(*IniFile, Settings::ExportFolder,
                                                                SaveDialogInitialDir.toStdString())),
                          Settings::Read(*IniFile, Settings::PictureDoubled),
                          Settings::Read(*IniFile, Settings::PictureWhite)};
    return *exportChoices_;
}

void TMainForm::RememberExport(const ExportChoices& choices) {
    exportChoices_ = choices;
    try {
        Settings::Write(*IniFile, Settings::ExportFolder, choices.Folder.toStdString());
        Settings::Write(*IniFile, Settings::PictureDoubled, choices.Doubled);
        Settings::Write(*IniFile, Settings::PictureWhite, choices.White);
    } catch (const EIniFileException&) {
        // The file is written; that the settings file refuses what is remembered was said at the start
        // and is said again at the end, when the run's settings are lost with it.
    }
}

void TMainForm::BildSpeichernClick() {
    if (!pictureDialog_) pictureDialog_ = new TPictureFileDialog(this);
    ExportChoices choices = RememberedExport();
    pictureDialog_->SizeBox->setCurrentIndex(choices.Doubled ? 1 : 0);
    pictureDialog_->BackgroundBox->setCurrentIndex(choices.White ? 1 : 0);
    if (!pictureDialog_->Run(choices.Folder)) return;
    const QString fileName = pictureDialog_->selectedFiles().constFirst();
    choices = {FolderOf(fileName), pictureDialog_->SizeBox->currentIndex() == 1,
               pictureDialog_->BackgroundBox->currentIndex() == 1};
    PictureOptions options;
    options.Double = choices.Doubled;
    options.WhiteBackground = choices.White;
    options.Caption = PictureCaption(SpektrumEdit->text(), QDateTime::currentDateTime());
    // As large as the screen shows the diagram: a scaled screen draws it finer.
    options.Scale = options.Double ? 1 : Image->devicePixelRatioF();
    options.AxisTitle = AxisTitle(Measurement.View());
    if (SaveDiagramPicture(fileName, options)) RememberExport(choices);
}

void TMainForm::TabelleExportierenClick() {
    if (!tableDialog_)
        tableDialog_ = new TSpectrumFileDialog(this, QStringLiteral("Tabelle exportieren"),
                                               QStringLiteral("CSV (*.csv)"), QFileDialog::AcceptSave);
    ExportChoices choices = RememberedExport();
    if (!tableDialog_->Run(choices.Folder)) return;
    const QString fileName = tableDialog_->selectedFiles().constFirst();
    choices.Folder = FolderOf(fileName);
    if (ExportTable(fileName)) RememberExport(choices);
}

bool TMainForm::SaveDiagramPicture(const QString& fileName, const PictureOptions& options) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    DiagramPicture(CurrentDiagramState(), options).save(&buffer, "PNG");
    try {
        WriteFileAtomically(fileName.toStdString(), png.toStdString());
        return true;
    } catch (const std::system_error& error) {
        WarnNotSaved(QStringLiteral("Das Bild"), fileName, error.code().value());
        return false;
    }
}

bool TMainForm::ExportTable(const QString& fileName) {
    LabTable table;
    table.Name = SpektrumEdit->text();
    table.Moment = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    const int32_t exposure = TrackBar->value();
    table.Exposure = exposure;
    table.Calibration = Calibration;
    table.Averaging = Measurement.Averaging();
    table.DarkSubtracted = Measurement.DarkInForce(exposure);
    // The shown spectrum carries the dark spectrum subtracted; the table gives it as measured, so that the
    // formula in its header leads from the columns to the transmission.
    const std::optional<StoredSpectrum>& dark = Measurement.Dark();
    for (int c = 0; c < ChannelCount; ++c)
        table.Readings[c] = Spectrum.Readings[c] + (table.DarkSubtracted ? dark->Readings[c] : 0);
    // The columns of the measurement functions, where their spectra were taken; the values as the last
    // redraw worked them out.
    if (dark) {
        table.Dark = Column(dark->Readings);
        table.DarkNote = CaptureNote{dark->Exposure, MeasurementModes::CaptureCount, QString()};
    }
    if (const std::optional<StoredSpectrum>& reference = Measurement.Reference()) {
        table.Reference = Column(reference->Readings);
        table.ReferenceNote = CaptureNote{reference->Exposure, MeasurementModes::CaptureCount, QString()};
        table.TransmissionPercent = Column(Measurement.Transmission());
        table.Extinction = Column(Measurement.Absorbance());
        table.EmptyReason = EmptyTransmissionReason(reference->Exposure, exposure, table.DarkSubtracted);
    }
    try {
        SaveLabTable(fileName.toStdString(), table);
        return true;
    } catch (const std::system_error& error) {
        WarnNotSaved(QStringLiteral("Die Tabelle"), fileName, error.code().value());
        return false;
    }
}
