// SPDX-License-Identifier: GPL-3.0-or-later
// Talking to the instrument: finding it at start, the version query, the measurement cycle, the
// exposure and the Start/Stopp button.
#include "app/MainFrm.h"
#include "app/MeasurementCommands.h"
#include "app/SeriesCommands.h"

#include "settings/SettingsTable.h"

#include "bigview/BigDlg.h"
#include "device/CPortCtl.h"
#include "device/InstrumentProtocol.h"
#include "files/Windows1252.h"
#include "ui/StatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <chrono>
#include <thread>

namespace {

// The instrument answers within this pause; a slower one is waited for a while longer (the reads
// themselves never wait).
constexpr auto AnswerPause = std::chrono::milliseconds(100);
// Rest after each version request before the next one.
constexpr auto VersionRetryPause = std::chrono::milliseconds(200);
constexpr int VersionAttempts = 5;

} // namespace

void TMainForm::ConnectInstrument() {
    Registry = context_.CreateRegistry();
    const std::optional<std::string> portName = LookUpInstrumentPort(*Registry);
    if (!portName) {
        Messung_Button->setEnabled(false);
        return;
    }
    ComPort->SetPort(*portName);
    try {
        ComPort->SetConnected(true);
        VersionsTimer->SetEnabled(true);
    } catch (const std::exception&) {
        // Without its instrument the program still shows, loads and saves spectra.
        Messung_Button->setEnabled(false);
    }
}

void TMainForm::SendCommand(uint8_t command) {
    ComPort->SendBytes(&command, 1);
}

void TMainForm::VersionsTimerTimer() {
    if (!ComPort->Connected()) return;
    std::string firmwareVersion;
    // An instrument that let a whole bound pass in silence won't answer the next request sooner, so
    // the further attempts of this event keep the plain pause.
    bool awaitLateAnswer = true;
    for (int attempt = 0; attempt < VersionAttempts && firmwareVersion.empty(); ++attempt) {
        DiscardReceived(*ComPort);
        SendCommand(VersionRequest);
        std::this_thread::sleep_for(AnswerPause);
        if (awaitLateAnswer) awaitLateAnswer = AwaitText(*ComPort, VersionTextSize);
        ComPort->ReceiveText(firmwareVersion, VersionTextSize);
        std::this_thread::sleep_for(VersionRetryPause);
    }
    StatusBar->SetPanelText(3, QStringLiteral("Firmwareversion: ") + FromWindows1252(firmwareVersion));
    if (!firmwareVersion.empty()) {
        VersionsTimer->SetEnabled(false);
        SendCommand(static_cast<uint8_t>(TrackBar->value() & 0xFF));
    }
    Messung_Timer->SetEnabled(true);
    Messung_Button->setText(QStringLiteral("Stopp"));
    Messung_Button->setEnabled(true);
    FileOpen->setEnabled(false);
}

void TMainForm::Messung_TimerTimer() {
    Messung_Timer->SetEnabled(false);
    COMException_Timer->SetEnabled(true);
    if (ComPort->Connected()) {
        LED->SetState(lsOn);
        QCoreApplication::processEvents();
        uint8_t receiveBuffer[SpectrumFrameSize] = {};
        DiscardReceived(*ComPort);
        SendCommand(SpectrumRequest);
        std::this_thread::sleep_for(AnswerPause);
        AwaitAnswer(*ComPort, SpectrumFrameSize);
        const long received = ComPort->ReceiveBytes(receiveBuffer, SpectrumFrameSize);
        // An answer longer than a spectrum is no spectrum: a garbled line must not be drawn.
        const bool complete = received == SpectrumFrameSize && ComPort->ReceiveQueueCount() == 0;
        ChannelReadings measured;
        if (complete && DecodeSpectrumFrame(receiveBuffer, received, measured)) {
            Spectrum.Readings = Measurement.Process(measured, TrackBar->value(), Calibration);
            DrawSpectrum();
            ShowCursorReadout();
            BigForm->ShowBigCursorReadout();
            MeasurementCommands->CycleDone();
            SeriesCommands->SpectrumMeasured(measured);
            // The dark and reference spectra hold only at the exposure they were taken at.
            if (Auto_CheckBox->isChecked() && !Measurement.ExposureFixed()) AdjustExposure();
        }
        LED->SetState(lsOff);
    }
    SeriesCommands->PlanNextCycle();
    Messung_Timer->SetEnabled(true);
    COMException_Timer->SetEnabled(false);
}

void TMainForm::AdjustExposure() {
    const int32_t peak = MeasurementCommands->ExposurePeak();
    if (peak >= 400 && peak <= 600) return;
    const int next = AutoExposurePosition(TrackBar->value(), peak);
    // Moving the slider sends the new exposure by itself; the direct call sends it once more, and
    // alone when the slider already stands at its end.
    TrackBar->setValue(next);
    TrackBarChange();
}

void TMainForm::TrackBarChange() {
    GainEdit->setText(QString::number(TrackBar->value()));
    if (ComPort->Connected()) SendCommand(static_cast<uint8_t>(TrackBar->value() & 0xFF));
}

void TMainForm::Messung_ButtonClick() {
    Messung_Timer->SetEnabled(!Messung_Timer->Enabled());
    FileOpen->setEnabled(!Messung_Timer->Enabled());
    if (Messung_Timer->Enabled()) {
        Messung_Button->setText(QStringLiteral("Stopp"));
        SetCalibration(Settings::Read(*IniFile, Settings::LambdaMin),
                       Settings::Read(*IniFile, Settings::LambdaMax));
    } else {
        Messung_Button->setText(QStringLiteral("Start"));
    }
}
