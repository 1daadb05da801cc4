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
#include <algorithm>
#include <chrono>
#include <cmath>
#include <system_error>

namespace {

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

// How a dark or reference spectrum was taken, as the table's header says it.
CaptureNote Note(const StoredSpectrum& spectrum) {
    CaptureNote note{spectrum.Exposure, spectrum.Count, QString()};
    if (spectrum.Taken != std::chrono::system_clock::time_point{})
        note.Moment =
            QDateTime::fromSecsSinceEpoch(
                std::chrono::duration_cast<std::chrono::seconds>(spectrum.Taken.time_since_epoch()).count())
                .toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    return note;
}

// Why the table leaves transmission cells empty: each reason that occurs, with the number of its channels.
QString EmptyTransmissionReasons(const ChannelVerdicts& verdicts, const SpectrumConditions& shown,
                                 const StoredSpectrum& reference) {
    const QString noReference = !shown.Measured ? QStringLiteral("Spektrum aus einer Datei, ohne Belichtung")
                                : reference.Exposure != shown.Exposure
                                    ? QStringLiteral("Referenz bei Belichtung %1, Spektrum bei Belichtung %2")
                                          .arg(reference.Exposure)
                                          .arg(shown.Exposure)
                                    : QStringLiteral("keine Referenz zu diesem Spektrum");
    const std::pair<ChannelVerdict, QString> reasons[] = {
        {ChannelVerdict::NoReference, noReference},
        {ChannelVerdict::Saturated, QStringLiteral("übersteuert")},
        {ChannelVerdict::TooDark, QString::fromStdString(ReasonText(Reason::WeakReference))},
        {ChannelVerdict::LampNoise, QString::fromStdString(ReasonText(Reason::LampNoise))},
        {ChannelVerdict::TooMuchLight, QString::fromStdString(ReasonText(Reason::TooMuchLight))},
        {ChannelVerdict::Bound, QString::fromStdString(ReasonText(Reason::Unresolved))}};
    QStringList said;
    for (const auto& [verdict, reason] : reasons) {
        const auto count = std::count(verdicts.begin(), verdicts.end(), verdict);
        if (count > 0) said << QStringLiteral("%1 (%2 Kanäle)").arg(reason).arg(count);
    }
    return said.join(QStringLiteral(", "));
}

} // namespace

TMainForm::ExportChoices TMainForm::RememberedExport() const {
    if (exportChoices_) return *exportChoices_;
    return ExportChoices{QString::fromStdString(Settings::Read(*IniFile, Settings::ExportFolder,
                                                               SaveDialogInitialDir.toStdString())),
                         Settings::Read(*IniFile, Settings::PictureDoubled),
                         Settings::Read(*IniFile, Settings::PictureWhite)};
}

void TMainForm::RememberExport(const ExportChoices& choices) {
    try {
        Settings::Write(*IniFile, Settings::ExportFolder, choices.Folder.toStdString());
        Settings::Write(*IniFile, Settings::PictureDoubled, choices.Doubled);
        Settings::Write(*IniFile, Settings::PictureWhite, choices.White);
        exportChoices_.reset();
    } catch (const EIniFileException&) {
        // The file is written; the choices stay for this run. That the settings file refuses them was
        // said at the start and is said again at the end, when the run's settings are lost with it.
        exportChoices_ = choices;
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
    if (ExportTable(fileName)) RememberExportFolder(fileName);
}

void TMainForm::RememberExportFolder(const QString& writtenFile) {
    ExportChoices choices = RememberedExport();
    choices.Folder = FolderOf(writtenFile);
    RememberExport(choices);
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
    table.Calibration = Calibration;
    // A measured spectrum comes with the conditions it was measured under and its unrounded mean; the
    // table gives it as measured, dark spectrum not subtracted, so that the formula in its header leads
    // from the columns to the transmission. One from a file is its whole Digits.
    const SpectrumConditions& shown = Measurement.Conditions();
    const std::optional<StoredSpectrum>& dark = Measurement.Dark();
    table.Exposure = shown.Measured ? shown.Exposure : TrackBar->value();
    table.Averaging = shown.Measured ? shown.Averaged : 1;
    table.DarkSubtracted = shown.Measured && shown.DarkSubtracted && dark;
    for (int c = 0; c < ChannelCount; ++c)
        table.Readings[c] = !shown.Measured
                                ? Spectrum.Readings[c]
                                : Measurement.ShownMean()[c] + (table.DarkSubtracted ? dark->Mean[c] : 0);
    if (dark) {
        table.Dark = dark->Mean;
        table.DarkNote = Note(*dark);
    }
    if (const std::optional<StoredSpectrum>& reference = Measurement.Reference()) {
        table.Reference = reference->Mean;
        table.ReferenceNote = Note(*reference);
        // A bound is no number for a table: its cell stays empty, and the header says why.
        table.TransmissionPercent = Column(OnlyValues(Measurement.Transmission(), Measurement.Verdicts()));
        table.Extinction = Column(OnlyValues(Measurement.Absorbance(), Measurement.Verdicts()));
        table.TransmissionU = Column(Measurement.TransmissionUncertainty());
        table.ExtinctionU = Column(Measurement.AbsorbanceUncertainty());
        table.EmptyReason = EmptyTransmissionReasons(Measurement.Verdicts(), shown, *reference);
    }
    try {
        SaveLabTable(fileName.toStdString(), table);
        return true;
    } catch (const std::system_error& error) {
        WarnNotSaved(QStringLiteral("Die Tabelle"), fileName, error.code().value());
        return false;
    }
}
