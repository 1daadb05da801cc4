// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "series/SeriesSchedule.h"
#include "series/TimedSeries.h"
#include "spectrum/MeasurementModes.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

class QAction;
class TimeSeriesFileWriter;
class QMenu;
class TMainForm;
class TSeriesDialog;
class TSpectrumFileDialog;

// The menu "Kinetik": a timed series of spectra measured, written to its file as it grows and shown
// in the time-course window; a series file loaded back; the time course exported as a table or a
// picture. Outside a series the measuring cycle keeps its own pace.
class TSeriesCommands : public QObject {
public:
    // Adds the menu "Kinetik" at the end of the main window's menu bar.
    explicit TSeriesCommands(TMainForm& form);
    ~TSeriesCommands() override;

    QMenu* Kinetik1;
    QAction* ZeitreiheStarten;
    QAction* JetztMischen;
    QAction* ZeitreiheBeenden;
    QAction* Zeitverlauf;
    QAction* ZeitreiheLaden;
    QAction* ZeitverlaufExportieren;
    QAction* ZeitverlaufBild;

    // After each measured spectrum: the series keeps it when it is due and writes it to its file.
    void SpectrumMeasured(const ChannelReadings& measured);
    // At the end of each cycle: how long the measuring timer waits before the next one.
    void PlanNextCycle();

    // Starts the series of `plan` into the file `fileName`, as the dialog's "Starten" does.
    void StartSeries(const SeriesPlan& plan, const QString& fileName);
    void JetztMischenClick();
    void ZeitreiheBeendenClick();
    // Loads the series file `fileName` into the time-course window; says what was skipped.
    void LoadSeries(const QString& fileName);
    // Writes the time course as a table, or its picture as PNG; false after a failure, shown with its
    // reason.
    bool ExportCourse(const QString& fileName);
    bool SaveCoursePicture(const QString& fileName);

    // The series in the window: the one running, or the one last loaded; none at start.
    const TimedSeries* Series() const { return series_.get(); }
    bool Running() const { return schedule_ != nullptr; }
    // The file the running or last series is written to.
    const QString& SeriesFileName() const { return fileName_; }

private:
    void ZeitreiheStartenClick();
    void ZeitreiheLadenClick();
    void ZeitverlaufClick();
    void ZeitverlaufExportierenClick();
    void ZeitverlaufBildClick();
    // Seconds on the series' clock.
    double Now() const;
    void EndSeries(const QString& why);
    void ShowState();
    // The spectrum's seconds, as measured by the last cycles.
    double SecondsPerSpectrum() const;
    // A new series file's name in the export folder, e.g. "Zeitreihe 2026-12-07 09-30-00.csv".
    QString NewSeriesFileName() const;

    TMainForm& form_;
    std::unique_ptr<TimedSeries> series_;
    std::unique_ptr<SeriesSchedule> schedule_;
    std::unique_ptr<TimeSeriesFileWriter> writer_;
    QString fileName_;
    QElapsedTimer clock_;
    double lastCycleEnd_ = -1;
    double cycleSeconds_ = 0;
    int written_ = 0;
    TSeriesDialog* dialog_ = nullptr;
    TSpectrumFileDialog* openDialog_ = nullptr;
    TSpectrumFileDialog* tableDialog_ = nullptr;
    TSpectrumFileDialog* pictureDialog_ = nullptr;
};
