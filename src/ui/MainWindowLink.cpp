// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindowLink.h"

#include <utility>

QString MainWindowLink::CursorReadout(int x, int columnsPerChannel) {
    const MainWindowState& state = SharedState();
    const EvaluatedMeasurement& measurement = state.Measurement;
    if (const ChannelValues* values = measurement.ViewValues())
        return QString::fromStdString(ViewReadoutText(*values, measurement.Verdicts(), measurement.View(),
                                                      state.Calibration, x, columnsPerChannel,
                                                      *measurement.ViewUncertainties()));
    return QString::fromStdString(
        CursorReadoutText(state.Spectrum, state.Calibration, x, columnsPerChannel, CorrectionChecked()));
}

int32_t MainWindowLink::DiagramScaleDivisor() {
    const MainWindowState& state = SharedState();
    return state.Measurement.ViewValues() ? ViewScaleDivisor : state.Spectrum.ScaleDivisor;
}

QString MainWindowLink::LevelText(int32_t level) {
    const EvaluatedMeasurement& measurement = SharedState().Measurement;
    const ChannelValues* values = measurement.ViewValues();
    if (!values) return QString::number(level);
    const double fullScale = measurement.Levels().FullScale;
    return QString::fromStdString(
        ViewValueText(level * fullScale / (DiagramHeight * ViewScaleDivisor), measurement.View()));
}

void MainWindowLink::AskForWavelengths(WavelengthPicker& picker) {
    WavelengthPicker* const before = std::exchange(SharedState().Picker, &picker);
    if (before && before != &picker) before->StopPicking();
}

void MainWindowLink::EndWavelengths(WavelengthPicker& picker) {
    if (SharedState().Picker == &picker) SharedState().Picker = nullptr;
}
