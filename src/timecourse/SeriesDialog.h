// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "series/TimedSeries.h"

#include <QDialog>
#include <QString>
#include <array>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The intervals a series may have, in seconds.
inline constexpr std::array<double, 7> SeriesIntervals{0.5, 1, 2, 5, 10, 30, 60};

// The dialog "Zeitreihe starten": interval, end by duration or count, and the moment t = 0.
class TSeriesDialog : public QDialog {
    Q_OBJECT
public:
    // `secondsPerSpectrum` is one measurement as the instrument answers now, `averaging` the spectra
    // averaged into a point; an interval they can't keep is said before the start, after `preparation`,
    // what the measurement lacks now (see PreparationWarning).
    TSeriesDialog(QWidget* parent, double secondsPerSpectrum, int averaging, const QString& preparation);

    static constexpr int ClientWidth = 400;
    static constexpr int ClientHeight = 272;

    // Shows `plan` in the controls; an interval not offered shows as 1 s.
    void SetPlan(const SeriesPlan& plan);
    // The plan as the controls show it now, with the averaging the dialog was made with.
    SeriesPlan Plan() const;

    QComboBox* IntervalBox;
    QRadioButton* DurationButton;
    QSpinBox* MinutesEdit;
    QRadioButton* CountButton;
    QSpinBox* CountEdit;
    QRadioButton* AtStartButton;
    QRadioButton* AtMixingButton;
    QLabel* WarningLabel;
    QPushButton* StartButton;
    QPushButton* CancelButton;

private:
    void ShowWarning();

    double secondsPerSpectrum_;
    int averaging_;
    QString preparation_;
};
