// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/IniFile.h"
#include "support/TempFolder.h"
#include "ui/MainWindowLink.h"

#include <utility>
#include <vector>

// A stand-in for the main window that lets one secondary window be built and driven alone: it holds
// the shared state and a settings file in a folder of its own, and records what it is asked to do.
class FakeMainWindow : public MainWindowLink {
public:
    FakeMainWindow() { State.Calibration.SetRange(360, 675); }

    MainWindowState State;
    TempFolder Folder;
    TIniFile Settings{"KX207.INI", Folder.Path()};
    int Redraws = 0;
    int LargeWindowCommands = 0;
    int32_t ExposureValue = 40;
    std::vector<std::pair<Qt::MouseButtons, int32_t>> ReferenceClicks;

    MainWindowState& SharedState() override { return State; }
    TIniFile& SettingsFile() override { return Settings; }
    void DrawSpectrum() override { ++Redraws; }
    void SetCalibration(int32_t lambdaMin, int32_t lambdaMax) override {
        State.Calibration.SetRange(lambdaMin, lambdaMax);
    }
    void SetReferenceByClick(Qt::MouseButtons buttons, int32_t clickedValue) override {
        ReferenceClicks.emplace_back(buttons, clickedValue);
    }
    void GroesSpektrogramm1Click() override { ++LargeWindowCommands; }
    DiagramState CurrentDiagramState() const override {
        DiagramState state;
        state.Values = State.Spectrum;
        state.Calibration = State.Calibration;
        return state;
    }
    bool CorrectionChecked() const override { return false; }
    bool CalibrationDialogShown() const override { return false; }
    int32_t Exposure() const override { return ExposureValue; }
};
