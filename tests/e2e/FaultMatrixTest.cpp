// SPDX-License-Identifier: GPL-3.0-or-later
// The main window against a misbehaving instrument: it keeps running and shows only spectra
// decoded from complete answers, or, once the instrument is unplugged, ends through its watchdog
// with its settings written.
#include "app/Program.h"
#include "device/InstrumentProtocol.h"
#include "kx207-sim/SimulatedInstrument.h"
#include "settings/IniFile.h"
#include "support/ModalWatcher.h"
#include "support/TempFolder.h"
#include "ui/StatusBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

class FaultMatrixTest : public ::testing::Test {
protected:
    TempFolder settings;
    std::unique_ptr<SimulatedInstrument> instrument;

    void Start(InstrumentOptions options = {}) {
        instrument = std::make_unique<SimulatedInstrument>(options);
        MainFormContext context{settings.Path()};
        const std::string port = instrument->PortPath();
        context.CreateRegistry = [port] { return std::make_unique<TFixedPortRegistry>(port); };
        CreateWindows(context);
        created_ = true;
    }
    void TearDown() override {
        if (created_) DestroyWindows();
    }
    // Runs one cycle; the spectrum shown afterwards is the one before it or the one the instrument
    // answered completely.
    void CycleShowsOnlyCompleteAnswers() {
        const auto before = MainForm->Spectrum.Readings;
        MainForm->Messung_TimerTimer();
        const auto after = MainForm->Spectrum.Readings;
        EXPECT_TRUE(after == before || after == instrument->LastReadings());
        EXPECT_TRUE(MainForm->Messung_Timer->Enabled()) << "the cycle came to its end";
        EXPECT_FALSE(MainForm->COMException_Timer->Enabled());
    }
    // The failing transfer's message comes first, then the watchdog's.
    void EndsThroughTheWatchdog(const QString& failure, const std::function<void()>& unplug) {
        MainForm->TrackBar->setValue(17);
        ModalWatcher watcher;
        unplug();
        MainForm->Messung_Timer->SetEnabled(true);
        EXPECT_EQ(QApplication::exec(), 0);
        ASSERT_FALSE(watcher.Texts.isEmpty());
        EXPECT_EQ(watcher.Texts.first(), failure);
        EXPECT_EQ(watcher.Texts.last(), "Kommunikationsfehler");
        DestroyWindows();
        created_ = false;
        EXPECT_EQ(TIniFile("KX207.INI", settings.Path()).ReadInteger("TSL1401", "Gain", 0), 17);
    }

private:
    bool created_ = false;
};

TEST_F(FaultMatrixTest, ShortFramesAndSilenceKeepTheLastSpectrum) {
    Start();
    MainForm->Messung_TimerTimer();
    const auto shown = MainForm->Spectrum.Readings;
    ASSERT_EQ(shown, instrument->LastReadings());
    for (Fault fault : {Fault::ShortFrame, Fault::Silence}) {
        instrument->SetFault(fault);
        for (int cycle = 0; cycle < 3; ++cycle) {
            MainForm->Messung_TimerTimer();
            EXPECT_EQ(MainForm->Spectrum.Readings, shown);
        }
    }
    instrument->SetFault(Fault::None);
    CycleShowsOnlyCompleteAnswers();
    EXPECT_EQ(MainForm->Spectrum.Readings, instrument->LastReadings());
}

TEST_F(FaultMatrixTest, LateLastBytesNeverShiftLaterSpectra) {
    Start({Lamp::Neon, "KX207\r\n", Fault::LateByte});
    for (int cycle = 0; cycle < 4; ++cycle) {
        CycleShowsOnlyCompleteAnswers();
        std::this_thread::sleep_for(std::chrono::milliseconds(80));
    }
    instrument->SetFault(Fault::None);
    // The last late byte has come (and is thrown away by the next request) however busy the machine is.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    MainForm->Messung_TimerTimer();
    EXPECT_EQ(MainForm->Spectrum.Readings, instrument->LastReadings());
}

TEST_F(FaultMatrixTest, GarbageIsNotDrawnAsASpectrum) {
    Start();
    MainForm->Messung_TimerTimer();
    const auto shown = MainForm->Spectrum.Readings;
    instrument->SetFault(Fault::Garbage);
    ModalWatcher watcher;
    int changed = 0;
    for (int cycle = 0; cycle < 12; ++cycle) {
        MainForm->Messung_TimerTimer();
        changed += MainForm->Spectrum.Readings != shown;
        EXPECT_TRUE(MainForm->Messung_Timer->Enabled());
    }
    // Bursts shorter or longer than a frame are dropped; only one of exactly a frame's length could pass
    // for a spectrum, and this seed sends none.
    EXPECT_EQ(changed, 0);
    EXPECT_TRUE(watcher.Texts.isEmpty());
}

TEST_F(FaultMatrixTest, AnOverlongVersionIsCutAndItsTailNeverReachesASpectrum) {
    Start({Lamp::Mercury, "KX207 Firmware 1.2 build 2026-12-07\r\n"});
    MainForm->VersionsTimerTimer();
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: KX207 Firmware 1.2 b");
    CycleShowsOnlyCompleteAnswers();
    EXPECT_EQ(MainForm->Spectrum.Readings, instrument->LastReadings());
}

TEST_F(FaultMatrixTest, ExposureSentToASilentInstrumentDoesNotBlock) {
    Start({Lamp::Mercury, "KX207\r\n", Fault::Silence});
    QElapsedTimer moving;
    moving.start();
    for (int position = 0; position <= 100; ++position)
        MainForm->TrackBar->setValue(position);
    EXPECT_LT(moving.elapsed(), 3000) << "one write waiting for its time-out alone takes 1100 ms";
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(instrument->Exposure(), 50) << "a silent instrument hears but does not act";
    MainForm->VersionsTimerTimer();
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: ");
    CycleShowsOnlyCompleteAnswers();
}

TEST_F(FaultMatrixTest, UnpluggedBetweenCyclesEndsThroughTheWatchdog) {
    Start();
    EndsThroughTheWatchdog("WriteFile function failed (win error code: 5)", [&] { instrument->HangUp(); });
}

TEST_F(FaultMatrixTest, UnpluggedInTheMiddleOfAFrameEndsThroughTheWatchdog) {
    Start({Lamp::Mercury, "KX207\r\n", Fault::ShortFrame});
    EndsThroughTheWatchdog("ReadFile function failed (win error code: 5)", [&] {
        // The instrument goes away right after the first part of its answer.
        std::thread([instrument = instrument.get()] {
            const auto asked = [instrument] {
                const std::vector<uint8_t> heard = instrument->ReceivedBytes();
                return std::find(heard.begin(), heard.end(), SpectrumRequest) != heard.end();
            };
            while (!asked())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            instrument->HangUp();
        }).detach();
    });
}

} // namespace
