// SPDX-License-Identifier: GPL-3.0-or-later
// The demonstration as a class uses it: the practice panel sets the scene, the unchanged main window
// measures the simulated instrument in the process, and what it finds is the simulator's known answer,
// which the panel names too.
#include "app/MeasurementCommands.h"
#include "app/Program.h"
#include "device/SimulatedPort.h"
#include "practice/PracticePanel.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int Averaging = 16;

// The channel that sees `nm` in the program's calibration as it comes, 360 to 675 nm.
int ChannelAt(double nm) {
    return static_cast<int>(std::nearbyint((nm - 360) * 127 / 315));
}

class PracticeTest : public ::testing::Test {
protected:
    TempFolder settings;
    std::unique_ptr<TPracticePanel> panel;

    void SetUp() override {
        TempFolder::Write(settings.File("KX207.INI"), "[TSL1401]\nGain=50\n");
        MainFormContext context{settings.Path()};
        context.CreateRegistry = [] { return std::make_unique<TFixedPortRegistry>(SimulatedPortName); };
        CreateWindows(context);
        MainForm->VersionsTimerTimer();
        panel = std::make_unique<TPracticePanel>(PlayedInstrument());
    }
    void TearDown() override {
        panel.reset();
        DestroyWindows();
    }
    static void Cycles(int count) {
        for (int i = 0; i < count; ++i)
            MainForm->Messung_TimerTimer();
    }
};

TEST_F(PracticeTest, TheGreyFilterAndTheDyeGiveTheirKnownAnswersThroughTheMainWindow) {
    ASSERT_TRUE(MainForm->ComPort->Connected());
    TMeasurementCommands& menu = *MainForm->MeasurementCommands;
    panel->LampBox->setCurrentText(QStringLiteral("Glühlampe"));
    panel->CoverBox->setChecked(true);
    menu.DunkelspektrumAufnehmen->trigger();
    Cycles(MeasurementModes::CaptureCount);
    panel->CoverBox->setChecked(false);
    menu.DunkelspektrumAbziehen->trigger();
    menu.ReferenzspektrumAufnehmen->trigger();
    Cycles(MeasurementModes::CaptureCount);
    ASSERT_TRUE(MainForm->Measurement.Reference());
    menu.MittelungItems[4]->trigger();
    ASSERT_EQ(MainForm->Measurement.Averaging(), Averaging);

    // The grey filter lets half the light through wherever the lamp shines.
    panel->FilterBox->setCurrentText(QStringLiteral("Graufilter 50 %"));
    EXPECT_TRUE(panel->AnswerLabel->text().contains(QStringLiteral("T = 50 %")))
        << panel->AnswerLabel->text().toStdString();
    Cycles(Averaging + 1);
    menu.Transmission->trigger();
    // Where the bulb gives light enough, from 450 nm up, every channel shows half of it.
    const ChannelValues& shown = MainForm->Measurement.Transmission();
    for (int c = ChannelAt(450); c < 128; ++c) {
        ASSERT_TRUE(shown[c]) << "channel " << c;
        EXPECT_NEAR(*shown[c], 50, 2.0) << "channel " << c;
    }

    // The violet dye at 60 mg/L: its absorbance at the band's top is ε·d · c, as the panel says.
    panel->FilterBox->setCurrentText(QStringLiteral("kein Filter"));
    panel->CuvetteBox->setCurrentText(QStringLiteral("Violette Farbstofflösung"));
    ASSERT_TRUE(panel->ConcentrationBox->isEnabled());
    panel->ConcentrationBox->setValue(60);
    EXPECT_TRUE(
        panel->AnswerLabel->text().contains(QStringLiteral("ε·d = 0,0125 L/mg bei 523,7 nm, A = 0,750")))
        << panel->AnswerLabel->text().toStdString();
    Cycles(Averaging + 1);
    menu.Extinktion->trigger();
    const int top = ChannelAt(523.7);
    ASSERT_TRUE(MainForm->Measurement.Absorbance()[top]);
    EXPECT_NEAR(*MainForm->Measurement.Absorbance()[top], 0.75, 0.02);

    // Stray light bends it below ε·d · c, by as much as the panel says.
    panel->StrayLightBox->setValue(5);
    EXPECT_TRUE(panel->AnswerLabel->text().contains(QStringLiteral("mit Streulicht gemessen 0,664")))
        << panel->AnswerLabel->text().toStdString();
    Cycles(Averaging + 1);
    ASSERT_TRUE(MainForm->Measurement.Absorbance()[top]);
    EXPECT_NEAR(*MainForm->Measurement.Absorbance()[top], 0.664, 0.02);
}

TEST_F(PracticeTest, TheReactionRunsOnlyInItsCuvetteAndFadesFromItsStart) {
    ASSERT_TRUE(MainForm->ComPort->Connected());
    EXPECT_FALSE(panel->StartButton->isEnabled());
    panel->LampBox->setCurrentText(QStringLiteral("Glühlampe"));
    panel->CuvetteBox->setCurrentText(QStringLiteral("Kristallviolett mit Natronlauge"));
    ASSERT_TRUE(panel->StartButton->isEnabled());
    panel->FastBox->setChecked(true);
    EXPECT_TRUE(panel->AnswerLabel->text().contains(QStringLiteral("k′ = 2,80 1/min")))
        << panel->AnswerLabel->text().toStdString();
    const int band = ChannelAt(590);
    Cycles(2);
    const int clear = MainForm->Spectrum.Readings[band];
    panel->StartButton->click();
    Cycles(2);
    const int started = MainForm->Spectrum.Readings[band];
    EXPECT_LT(started, clear / 5) << "A about 1.2 at the start";
    // The lamp turned up goes on through the reacting cuvette.
    panel->BrightnessBox->setValue(1.25);
    Cycles(2);
    EXPECT_LT(MainForm->Spectrum.Readings[band], clear / 4) << "the reaction goes on";
    // Another cuvette takes the reaction out; choosing it again shows a clear cuvette until the start.
    panel->CuvetteBox->setCurrentText(QStringLiteral("keine"));
    panel->CuvetteBox->setCurrentText(QStringLiteral("Kristallviolett mit Natronlauge"));
    Cycles(2);
    EXPECT_NEAR(MainForm->Spectrum.Readings[band], 1.25 * clear, clear * 0.06)
        << "clear, with the brighter lamp";
}

} // namespace
