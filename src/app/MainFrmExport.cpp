// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of the diagram for a worksheet and the table of the spectrum for a lab report.
#include "app/MainFrm.h"

#include "app/PictureFileDialog.h"
#include "files/AtomicFile.h"
#include "files/LabTableFile.h"
#include "settings/SettingsTable.h"
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

} // namespace

QString TMainForm::ExportFolder() const {
    return QString::fromStdString(
        Settings::Read(*IniFile, Settings::ExportFolder, SaveDialogInitialDir.toStdString()));
}

QString TMainForm::TakeExportFileName(const QString& chosen) {
    Settings::Write(*IniFile, Settings::ExportFolder,
                    (QFileInfo(chosen).absolutePath() + u'/').toStdString());
    return chosen;
}

void TMainForm::BildSpeichernClick() {
    if (!pictureDialog_) pictureDialog_ = new TPictureFileDialog(this);
    pictureDialog_->SizeBox->setCurrentIndex(Settings::Read(*IniFile, Settings::PictureDoubled) ? 1 : 0);
    pictureDialog_->BackgroundBox->setCurrentIndex(Settings::Read(*IniFile, Settings::PictureWhite) ? 1 : 0);
    if (!pictureDialog_->Run(ExportFolder())) return;
    const QString fileName = TakeExportFileName(pictureDialog_->selectedFiles().constFirst());
    const PictureOptions options{pictureDialog_->SizeBox->currentIndex() == 1,
                                 pictureDialog_->BackgroundBox->currentIndex() == 1,
                                 PictureCaption(SpektrumEdit->text(), QDateTime::currentDateTime())};
    Settings::Write(*IniFile, Settings::PictureDoubled, options.Double);
    Settings::Write(*IniFile, Settings::PictureWhite, options.WhiteBackground);
    SaveDiagramPicture(fileName, options);
}

void TMainForm::TabelleExportierenClick() {
    if (!tableDialog_)
        tableDialog_ = new TSpectrumFileDialog(this, QStringLiteral("Tabelle exportieren"),
                                               QStringLiteral("CSV (*.csv)"), QFileDialog::AcceptSave);
    if (!tableDialog_->Run(ExportFolder())) return;
    ExportTable(TakeExportFileName(tableDialog_->selectedFiles().constFirst()));
}

void TMainForm::SaveDiagramPicture(const QString& fileName, const PictureOptions& options) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    DiagramPicture(CurrentDiagramState(), options).save(&buffer, "PNG");
    try {
        WriteFileAtomically(fileName.toStdString(), png.toStdString());
    } catch (const std::system_error& error) {
        WarnNotSaved(QStringLiteral("Das Bild"), fileName, error.code().value());
    }
}

void TMainForm::ExportTable(const QString& fileName) {
    LabTable table;
    table.Name = SpektrumEdit->text();
    table.Moment = QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    table.Exposure = TrackBar->value();
    table.Calibration = Calibration;
    table.Readings = Spectrum.Readings;
    // The columns of the measurement functions, where their spectra were taken; the values as the last
    // redraw worked them out.
    if (Measurement.Dark()) table.Dark = Column(Measurement.Dark()->Readings);
    if (Measurement.Reference()) {
        table.Reference = Column(Measurement.Reference()->Readings);
        // A bound is no number for a table: its cell stays empty.
        table.TransmissionPercent = Column(OnlyValues(Measurement.Transmission(), Measurement.Verdicts()));
        table.Extinction = Column(OnlyValues(Measurement.Absorbance(), Measurement.Verdicts()));
    }
    try {
        SaveLabTable(fileName.toStdString(), table);
    } catch (const std::system_error& error) {
        WarnNotSaved(QStringLiteral("Die Tabelle"), fileName, error.code().value());
    }
}
