// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MeasurementCommands.h"
#include "app/Program.h"
#include "kx207-sim/SimulatedInstrument.h"
#include "support/TempFolder.h"

#include <QAction>
#include <gtest/gtest.h>

// The program measuring a simulated bulb on a stabilised supply with a dark signal of its own, so that
// absorbances hold only with the dark subtracted.
class BulbProgramTest : public ::testing::Test {
protected:
    TempFolder settings;
    SimulatedInstrument instrument{[] {
        InstrumentOptions options;
        options.lamp = Lamp::White;
        options.darkCurrent = 30;
        options.flicker = 0.005;
        return options;
    }()};

    void SetUp() override {
        TempFolder::Write(settings.File("KX207.INI"), "[TSL1401]\nGain=50\n");
        MainFormContext context{settings.Path()};
        context.CreateRegistry = [port = instrument.PortPath()] {
            return std::make_unique<TFixedPortRegistry>(port, true);
        };
        CreateWindows(context);
        MainForm->VersionsTimerTimer();
    }
    void TearDown() override { DestroyWindows(); }

    static void Cycles(int count) {
        for (int i = 0; i < count; ++i)
            MainForm->Messung_TimerTimer();
    }
    // The dark with the light blocked, subtracted from then on, and the reference of the cuvette in place.
    void TakeDarkAndReference() {
        TMeasurementCommands& menu = *MainForm->MeasurementCommands;
        instrument.SetLightBlocked(true);
        menu.DunkelspektrumAufnehmen->trigger();
        Cycles(MeasurementModes::CaptureCount);
        instrument.SetLightBlocked(false);
        menu.DunkelspektrumAbziehen->trigger();
        menu.ReferenzspektrumAufnehmen->trigger();
        Cycles(MeasurementModes::CaptureCount);
        ASSERT_TRUE(MainForm->Measurement.Reference());
    }
};
