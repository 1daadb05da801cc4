// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evaluation/EvaluatedMeasurement.h"
#include "spectrum/DiagramPainter.h"
#include "spectrum/SpectrumModel.h"

#include <QString>
#include <Qt>
#include <cstdint>

class TIniFile;

// A secondary window that names wavelengths by clicks in the main diagram.
class WavelengthPicker {
public:
    // Takes `nm`, clicked in the main diagram, and answers true; false leaves the click to the main window.
    virtual bool PickWavelength(int nm) = 0;
    // Another window has asked for the clicks since: this one waits no longer.
    virtual void StopPicking() = 0;

protected:
    ~WavelengthPicker() = default;
};

// The state the main window shares with the secondary windows: the one spectrum, its calibration and
// the flags that say what the diagrams show.
struct MainWindowState {
    SpectrumValues Spectrum;
    WavelengthCalibration Calibration;
    int32_t ZeroOffset = 0;
    TColor CurveColor = clYellow;
    bool LinesShown = false;
    bool BigShown = false;
    // The folder the program started in; the line library is looked for below it.
    QString StartDir;
    int32_t ReferenceValue = 0;
    // x of the last mouse position over the main diagram or its colour strip.
    int32_t CursorX = 0;
    // Dark spectrum, averaging, reference and the view of transmission or absorbance.
    EvaluatedMeasurement Measurement;
    // The window that asked last for a click in the main diagram to name a wavelength, if it still waits.
    WavelengthPicker* Picker = nullptr;
};

// What the secondary windows may ask of the main window; they are given it when they are made and
// never reach the main window any other way.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;

    // The shared state, which the secondary windows read and whose flags they set.
    virtual MainWindowState& SharedState() = 0;
    // The program's settings file.
    virtual TIniFile& SettingsFile() = 0;
    // The one redraw operation: recomputes the levels and repaints everything that shows them.
    virtual void DrawSpectrum() = 0;
    // Sets both ends of the wavelength axis and everything that shows them.
    virtual void SetCalibration(int32_t lambdaMin, int32_t lambdaMax) = 0;
    // A click on a diagram at `clickedValue`: right clears the reference, left sets it.
    virtual void SetReferenceByClick(Qt::MouseButtons buttons, int32_t clickedValue) = 0;
    // The large-window command: shows the large window when hidden, hides it when shown.
    virtual void GroesSpektrogramm1Click() = 0;
    // Everything the diagrams show, as the main window holds it now.
    virtual DiagramState CurrentDiagramState() const = 0;
    // Whether the readings are shown corrected for the sensor's sensitivity.
    virtual bool CorrectionChecked() const = 0;
    // Whether the calibration dialog is on the screen.
    virtual bool CalibrationDialogShown() const = 0;
    // The exposure the instrument measures at now, 0 to 100.
    virtual int32_t Exposure() const = 0;

    // The readout at column `x` of a diagram with `columnsPerChannel` columns a channel, in the view
    // shown: Digits, or the transmission or absorbance under the pointer.
    QString CursorReadout(int x, int columnsPerChannel);
    // Level units per pixel row of the main diagram as last drawn, in the view shown.
    int32_t DiagramScaleDivisor();
    // A level of the diagram as the reference field shows it, in the view shown: "512", "50,0 %".
    QString LevelText(int32_t level);
    // From now on the clicks in the main diagram name wavelengths for `picker`; the window that waited
    // before stops waiting.
    void AskForWavelengths(WavelengthPicker& picker);
    // `picker` waits no longer; the clicks set the reference again unless another window waits.
    void EndWavelengths(WavelengthPicker& picker);
};
