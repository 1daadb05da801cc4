// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/DiagramPainter.h"
#include "spectrum/MeasurementModes.h"

#include <QObject>
#include <QString>
#include <array>

class QAction;
class QMenu;
class TMainForm;

// The menu "Messung": dark spectrum, averaging, reference spectrum and the choice of view, and the
// status line that tells how they stand. The arithmetic is the main window's MeasurementModes; this
// wires it to the menu, the status bar and the settings file.
class TMeasurementCommands : public QObject {
public:
    // Adds the menu "Messung" at the end of the main window's menu bar.
    explicit TMeasurementCommands(TMainForm& form);

    QMenu* Messung1;
    QAction* DunkelspektrumAufnehmen;
    QAction* DunkelspektrumAbziehen;
    QMenu* Mittelung1;
    std::array<QAction*, MeasurementModes::AveragingChoices.size()> MittelungItems;
    QAction* ReferenzspektrumAufnehmen;
    QAction* ReferenzspektrumVerwerfen;
    QAction* BelichtungWiederherstellen; // "Belichtung N wiederherstellen": back to the reference's
    QAction* Intensitaet;
    QAction* Transmission;
    QAction* Extinktion;

    // At start: takes the dark spectrum kept in the settings, if there is a sound one.
    void RestoreDark();
    // After each measured spectrum: keeps a dark spectrum just taken and brings the status line up to date.
    void CycleDone();
    // The peak that automatic exposure regulates on: that of the last single spectrum, even while the
    // diagram shows a mean.
    int32_t ExposurePeak() const;
    // Works out the view's values for the readings shown, once for every diagram of a redraw.
    void EvaluateView();
    // Lays the view's transmission or absorbance, as last worked out, onto `state` in place of the Digits,
    // with the notice inside the diagram; marks saturated channels while a measurement function is in use.
    void ShowView(DiagramState& state) const;
    // The status panels "Max:" and "Min:", in Digits or in the view's unit over channels with a value.
    void ShowExtremes();
    // The status line: how the measurement functions stand, else the comparison spectrum's name, else
    // the credit line.
    void ShowStatus();

private:
    void DunkelspektrumAufnehmenClick();
    void DunkelspektrumAbziehenClick();
    void MittelungClick(int count);
    void ReferenzspektrumAufnehmenClick();
    void ReferenzspektrumVerwerfenClick();
    void BelichtungWiederherstellenClick();
    // Offers the way back to the reference's exposure while the slider stands elsewhere.
    void OfferRestore();
    bool Measuring() const;
    // Captures are offered only while the instrument measures; otherwise the status says what to do.
    void OfferCaptures();
    // Says beside the version while "Automatik" leaves the fixed exposure alone.
    void ShowAutomatic();
    // Stopped, a changed setting applies from the next measurement on: the status says so.
    void SayWhenItApplies();
    void AnsichtClick(MeasurementView view);
    void StartCapture(MeasurementModes::Capture what);
    // Writes the dark spectrum and its exposure to the settings file.
    void KeepDark();

    TMainForm& form_;
    QString credit_;
    bool darkPending_ = false;
    QString versionText_; // the status text that "Automatik ruht" stands in for
    std::array<QString, 4> viewLabels_;
};
