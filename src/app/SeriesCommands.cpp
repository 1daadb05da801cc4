// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SeriesCommands.h"

#include "app/MainFrm.h"
#include "app/SpectrumFileDialog.h"
#include "files/AtomicFile.h"
#include "files/LabTableFile.h"
#include "files/SystemReason.h"
#include "files/TimeSeriesFile.h"
#include "settings/SettingsTable.h"
#include "timecourse/SeriesDialog.h"
#include "timecourse/TimeCourseDlg.h"
#include "ui/Application.h"
#include "ui/Timer.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <cmath>
#include <system_error>

namespace {

// The measuring cycle's own pause between spectra, kept outside a series.
constexpr int NormalCycleMs = 1000;
// One spectrum as the instrument answers it (the request's pause and the frame), until cycles were timed.
constexpr double AssumedSecondsPerSpectrum = 0.15;

} // namespace

TSeriesCommands::TSeriesCommands(TMainForm& form) : QObject(&form), form_(form) {
    clock_.start();
    Kinetik1 = form.menuBar()->addMenu(QStringLiteral("Kinetik"));
    ZeitreiheStarten = Kinetik1->addAction(QStringLiteral("Zeitreihe starten..."));
    ZeitreiheStarten->setToolTip(QStringLiteral("Spektren in festem Takt aufnehmen und speichern"));
    JetztMischen = Kinetik1->addAction(QStringLiteral("Jetzt mischen"));
    JetztMischen->setToolTip(QStringLiteral("t = 0: die Reaktionspartner kommen jetzt zusammen"));
    // Its moment matters: one key from any of the program's windows.
    JetztMischen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    JetztMischen->setShortcutContext(Qt::ApplicationShortcut);
    ZeitreiheBeenden = Kinetik1->addAction(QStringLiteral("Zeitreihe beenden"));
    Kinetik1->addSeparator();
    Zeitverlauf = Kinetik1->addAction(QStringLiteral("Zeitverlauf"));
    Zeitverlauf->setCheckable(true);
    ZeitreiheLaden = Kinetik1->addAction(QStringLiteral("Zeitreihe laden..."));
    Kinetik1->addSeparator();
    ZeitverlaufExportieren = Kinetik1->addAction(QStringLiteral("Zeitverlauf exportieren..."));
    ZeitverlaufBild = Kinetik1->addAction(QStringLiteral("Bild des Zeitverlaufs speichern..."));

    connect(ZeitreiheStarten, &QAction::triggered, this, Guarded([this] { ZeitreiheStartenClick(); }));
    connect(JetztMischen, &QAction::triggered, this, Guarded([this] { JetztMischenClick(); }));
    connect(ZeitreiheBeenden, &QAction::triggered, this, Guarded([this] { ZeitreiheBeendenClick(); }));
    connect(Zeitverlauf, &QAction::triggered, this, Guarded([this] { ZeitverlaufClick(); }));
    connect(ZeitreiheLaden, &QAction::triggered, this, Guarded([this] { ZeitreiheLadenClick(); }));
    connect(ZeitverlaufExportieren, &QAction::triggered, this,
            Guarded([this] { ZeitverlaufExportierenClick(); }));
    connect(ZeitverlaufBild, &QAction::triggered, this, Guarded([this] { ZeitverlaufBildClick(); }));
    // The window's own close box hides it: the menu shows how it stands when it opens.
    connect(Kinetik1, &QMenu::aboutToShow, this, Guarded([this] { ShowState(); }));
}

TSeriesCommands::~TSeriesCommands() = default;

double TSeriesCommands::Now() const {
    return double(clock_.nsecsElapsed()) / 1e9;
}

double TSeriesCommands::SecondsPerSpectrum() const {
    return cycleSeconds_ > 0 ? cycleSeconds_ : AssumedSecondsPerSpectrum;
}

void TSeriesCommands::ShowState() {
    const bool running = Running();
    const SeriesSchedule::Phase phase = running ? schedule_->State(Now()) : SeriesSchedule::Phase::Idle;
    ZeitreiheStarten->setEnabled(!running);
    JetztMischen->setEnabled(phase == SeriesSchedule::Phase::WaitingForMix);
    ZeitreiheBeenden->setEnabled(running);
    ZeitreiheLaden->setEnabled(!running);
    ZeitverlaufExportieren->setEnabled(series_ != nullptr);
    ZeitverlaufBild->setEnabled(series_ != nullptr);
    if (!TimeCourseForm) return;
    Zeitverlauf->setChecked(TimeCourseForm->isVisible());
    TimeCourseForm->MixButton->setVisible(phase == SeriesSchedule::Phase::WaitingForMix);
    QString text;
    if (phase == SeriesSchedule::Phase::WaitingForMix)
        text = QStringLiteral("Zeitreihe wartet auf „Jetzt mischen“");
    else if (running)
        text = QStringLiteral("Zeitreihe läuft: %1 Spektren in %2")
                   .arg(written_)
                   .arg(QFileInfo(fileName_).fileName());
    else if (series_)
        text = QStringLiteral("%1 Spektren aus %2")
                   .arg(series_->Spectra.size())
                   .arg(QFileInfo(fileName_).fileName());
    TimeCourseForm->SetSeriesState(text);
}

QString TSeriesCommands::NewSeriesFileName() const {
    const QString folder = form_.ExportFolder();
    const QString name =
        QDateTime::currentDateTime().toString(QStringLiteral("'Zeitreihe' yyyy-MM-dd hh-mm-ss'.csv'"));
    return QDir(folder).filePath(name);
}

namespace {

// A dark or reference as the evaluation takes it: unrounded, with its spread and count. A capture with a
// saturated channel is refused, so a stored one holds none.
Evidence SeriesEvidence(const StoredSpectrum& stored, const WavelengthCalibration& calibration) {
    Evidence evidence;
    evidence.Mean = stored.Mean;
    evidence.Spread = stored.Spread;
    evidence.Count = stored.Count;
    evidence.Exposure = stored.Exposure;
    evidence.Calibration = calibration;
    evidence.Taken = stored.Taken;
    return evidence;
}

} // namespace

void TSeriesCommands::ZeitreiheStartenClick() {
    if (!form_.ComPort->Connected()) {
        QMessageBox::information(
            &form_, QCoreApplication::applicationName(),
            QStringLiteral("Für eine Zeitreihe muss das Spektrometer angeschlossen sein."));
        return;
    }
    delete dialog_;
    const int32_t exposure = form_.TrackBar->value();
    std::string preparation = PreparationWarning(form_.Measurement.ReferenceInForce(exposure),
                                                 form_.Measurement.DarkInForce(exposure));
    // How precise the points will be, judged at the first wavelength watched.
    const std::vector<double> wavelengths = TimeCourseForm->Wavelengths();
    if (form_.Measurement.ReferenceInForce(exposure) && !wavelengths.empty()) {
        const Evidence reference = SeriesEvidence(*form_.Measurement.Reference(), form_.Calibration);
        const std::optional<Evidence> dark =
            form_.Measurement.DarkInForce(exposure)
                ? std::optional(SeriesEvidence(*form_.Measurement.Dark(), form_.Calibration))
                : std::nullopt;
        const std::string precision =
            PrecisionWarning(&reference, dark ? &*dark : nullptr, form_.Measurement.Averaging(),
                             wavelengths.front(), TimeCourseForm->BandHalfWidth());
        preparation += (preparation.empty() || precision.empty() ? "" : " ") + precision;
    }
    dialog_ = new TSeriesDialog(&form_, SecondsPerSpectrum(), form_.Measurement.Averaging(),
                                QString::fromStdString(preparation));
    TIniFile& settings = *form_.IniFile;
    SeriesPlan stored;
    stored.Interval = Settings::Read(settings, Settings::SeriesIntervalTenths) / 10.0;
    if (Settings::Read(settings, Settings::SeriesByCount))
        stored.Count = Settings::Read(settings, Settings::SeriesCount);
    else
        stored.Duration = Settings::Read(settings, Settings::SeriesMinutes) * 60.0;
    stored.Start = Settings::Read(settings, Settings::SeriesStartsAtMixing) ? SeriesStart::AtMixing
                                                                            : SeriesStart::AtClick;
    dialog_->SetPlan(stored);
    if (dialog_->exec() != QDialog::Accepted) return;
    const SeriesPlan plan = dialog_->Plan();
    Settings::Write(settings, Settings::SeriesIntervalTenths, int32_t(std::nearbyint(plan.Interval * 10)));
    Settings::Write(settings, Settings::SeriesByCount, plan.Count > 0);
    if (plan.Count > 0)
        Settings::Write(settings, Settings::SeriesCount, plan.Count);
    else
        Settings::Write(settings, Settings::SeriesMinutes, int32_t(std::nearbyint(plan.Duration / 60)));
    Settings::Write(settings, Settings::SeriesStartsAtMixing, plan.Start == SeriesStart::AtMixing);
    StartSeries(plan, NewSeriesFileName());
}

void TSeriesCommands::StartSeries(const SeriesPlan& plan, const QString& fileName) {
    // One exposure for the whole series: the automatic would change it between points.
    form_.Auto_CheckBox->setChecked(false);
    auto series = std::make_unique<TimedSeries>();
    series->Plan = plan;
    series->Calibration = form_.Calibration;
    // The dark is kept whenever there is one: each spectrum says whether it was subtracted from it.
    if (form_.Measurement.Dark()) series->Dark = SeriesEvidence(*form_.Measurement.Dark(), form_.Calibration);
    if (form_.Measurement.Reference())
        series->Reference = SeriesEvidence(*form_.Measurement.Reference(), form_.Calibration);
    series->Wavelengths = TimeCourseForm->Wavelengths();
    series->BandHalfWidth = TimeCourseForm->BandHalfWidth();
    try {
        writer_ = std::make_unique<TimeSeriesFileWriter>(fileName.toStdString(), *series);
    } catch (const std::system_error& error) {
        form_.WarnNotSaved(QStringLiteral("Die Zeitreihe"), fileName, error.code().value());
        return;
    }
    fileName_ = fileName;
    written_ = 0;
    series_ = std::move(series);
    schedule_ = std::make_unique<SeriesSchedule>(plan);
    schedule_->Start(Now());
    TimeCourseForm->ShowSeries(series_.get());
    if (!TimeCourseForm->isVisible()) ZeitverlaufClick();
    if (!form_.Messung_Timer->Enabled())
        form_.Messung_ButtonClick();
    else {
        // The first point comes at once, not after the rest of the plain cycle's pause.
        form_.Messung_Timer->SetEnabled(false);
        form_.Messung_Timer->SetInterval(0);
        form_.Messung_Timer->SetEnabled(true);
    }
    ShowState();
}

void TSeriesCommands::JetztMischenClick() {
    if (!schedule_) return;
    schedule_->Mix(Now());
    ShowState();
}

void TSeriesCommands::ZeitreiheBeendenClick() {
    EndSeries(QStringLiteral("beendet"));
}

void TSeriesCommands::EndSeries(const QString& why) {
    if (!schedule_) return;
    schedule_.reset();
    writer_.reset();
    ShowState();
    if (TimeCourseForm)
        TimeCourseForm->SetSeriesState(QStringLiteral("Zeitreihe %1: %2 Spektren in %3")
                                           .arg(why)
                                           .arg(written_)
                                           .arg(QDir::toNativeSeparators(fileName_)));
}

void TSeriesCommands::SpectrumMeasured(const ChannelReadings& measured) {
    if (!schedule_) return;
    const double now = Now();
    const std::optional<int32_t> point = schedule_->Take(now);
    if (!point) return;
    const int32_t exposure = form_.TrackBar->value();
    SeriesSpectrum spectrum = MakeSeriesSpectrum(measured, schedule_->SeriesTime(now), *point, exposure);
    spectrum.Averaging = int8_t(form_.Measurement.Averaging());
    spectrum.DarkSubtracted = form_.Measurement.DarkInForce(exposure);
    spectrum.ReferenceInForce = form_.Measurement.ReferenceInForce(exposure);
    series_->Spectra.push_back(spectrum);
    try {
        writer_->Append(series_->Spectra.back());
        ++written_;
    } catch (const std::system_error& error) {
        // A series that can't be written is no series: it stops before more is lost unseen.
        EndSeries(QStringLiteral("abgebrochen"));
        QTimer::singleShot(0, this, Guarded([this, code = error.code().value()] {
                               form_.WarnNotSaved(QStringLiteral("Die Zeitreihe"), fileName_, code);
                           }));
    }
    if (TimeCourseForm) TimeCourseForm->SpectraAdded();
    ShowState();
}

void TSeriesCommands::PlanNextCycle() {
    const double now = Now();
    const int interval = form_.Messung_Timer->Interval();
    // The last cycle's own length: the time since the one before, less the pause the timer made.
    if (lastCycleEnd_ >= 0) {
        const double cycle = now - lastCycleEnd_ - interval / 1000.0;
        if (cycle > 0 && cycle < 5) cycleSeconds_ = cycle;
    }
    lastCycleEnd_ = now;
    int next = NormalCycleMs;
    if (schedule_) {
        switch (schedule_->State(now)) {
        case SeriesSchedule::Phase::Finished:
            EndSeries(QStringLiteral("vollständig"));
            break;
        case SeriesSchedule::Phase::Running:
            // As fast as the instrument answers while the point wants spectra, else until the next one.
            next = schedule_->Due(now) ? 0 : int(std::ceil((schedule_->NextPointStart(now) - now) * 1000));
            break;
        default:
            next = 0;
            break;
        }
    }
    if (next != interval) form_.Messung_Timer->SetInterval(std::max(next, 0));
}

void TSeriesCommands::ZeitverlaufClick() {
    TimeCourseForm->setVisible(!TimeCourseForm->isVisible());
    ShowState();
}

void TSeriesCommands::ZeitverlaufBildClick() {
    if (!pictureDialog_)
        pictureDialog_ = new TSpectrumFileDialog(&form_, QStringLiteral("Bild des Zeitverlaufs speichern"),
                                                 QStringLiteral("PNG-Bilder (*.png)"),
                                                 QFileDialog::AcceptSave, QStringLiteral("png"));
    if (!pictureDialog_->Run(form_.ExportFolder())) return;
    const QString fileName = pictureDialog_->selectedFiles().constFirst();
    if (SaveCoursePicture(fileName)) form_.RememberExportFolder(fileName);
}

bool TSeriesCommands::SaveCoursePicture(const QString& fileName) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    TimeCourseForm->CoursePicture().save(&buffer, "PNG");
    try {
        WriteFileAtomically(fileName.toStdString(), png.toStdString());
        return true;
    } catch (const std::system_error& error) {
        form_.WarnNotSaved(QStringLiteral("Das Bild"), fileName, error.code().value());
        return false;
    }
}

void TSeriesCommands::ZeitreiheLadenClick() {
    if (!openDialog_)
        openDialog_ = new TSpectrumFileDialog(&form_, QStringLiteral("Zeitreihe laden"),
                                              QStringLiteral("CSV-Dateien (*.csv)"), QFileDialog::AcceptOpen);
    if (!openDialog_->Run(form_.RememberedExport().Folder)) return;
    LoadSeries(openDialog_->selectedFiles().constFirst());
}

void TSeriesCommands::LoadSeries(const QString& fileName) {
    if (Running()) return;
    TimeSeriesFileLoad loaded = LoadTimeSeriesFile(fileName.toStdString());
    const QString shown = QDir::toNativeSeparators(fileName);
    if (loaded.Error != 0) {
        QMessageBox::warning(
            &form_, QCoreApplication::applicationName(),
            QStringLiteral("„%1“ kann nicht gelesen werden:\n%2").arg(shown, SystemReason(loaded.Error)));
        return;
    }
    if (!loaded.Series) {
        QMessageBox::warning(&form_, QCoreApplication::applicationName(),
                             QStringLiteral("„%1“ ist keine Zeitreihe.").arg(shown));
        return;
    }
    series_ = std::make_unique<TimedSeries>(std::move(*loaded.Series));
    fileName_ = fileName;
    written_ = int(series_->Spectra.size());
    TimeCourseForm->ShowSeries(series_.get());
    if (!TimeCourseForm->isVisible()) ZeitverlaufClick();
    ShowState();
    if (!loaded.Report.isEmpty())
        QMessageBox::warning(&form_, QCoreApplication::applicationName(),
                             QStringLiteral("„%1“ ist nicht vollständig geladen.\n\n").arg(shown) +
                                 loaded.Report);
}
void TSeriesCommands::ZeitverlaufExportierenClick() {
    if (!tableDialog_)
        tableDialog_ = new TSpectrumFileDialog(&form_, QStringLiteral("Zeitverlauf exportieren"),
                                               QStringLiteral("CSV (*.csv)"), QFileDialog::AcceptSave);
    if (!tableDialog_->Run(form_.ExportFolder())) return;
    const QString fileName = tableDialog_->selectedFiles().constFirst();
    if (ExportCourse(fileName)) form_.RememberExportFolder(fileName);
}

bool TSeriesCommands::ExportCourse(const QString& fileName) {
    const NumberTable table =
        TimeCourseForm->Table({QStringLiteral("Zeitreihe: ") + QFileInfo(fileName_).fileName(),
                               QStringLiteral("Datum: ") +
                                   QDateTime::currentDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")),
                               QStringLiteral("Band: ± %1 nm").arg(TimeCourseForm->BandHalfWidth())});
    try {
        SaveNumberTable(fileName.toStdString(), table);
        return true;
    } catch (const std::system_error& error) {
        form_.WarnNotSaved(QStringLiteral("Die Tabelle"), fileName, error.code().value());
        return false;
    }
}
