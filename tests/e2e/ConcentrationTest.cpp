// SPDX-License-Identifier: GPL-3.0-or-later
// A concentration series measured through the main window from the simulated instrument: the dye's
// standards and a diluted sample, each kept with the window's own button, the proposed band taken.
// The simulator's ε·d and the sample's concentration are the known answers.
#include "kx207-sim/Concentration.h"
#include "BulbProgramTest.h"
#include "concentration/Calibration.h"
#include "concentrationdlg/KonzentrationDlg.h"
#include "support/ModalWatcher.h"
#include "ui/Timer.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr int Averaging = 4;

class ConcentrationTest : public BulbProgramTest {
protected:
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    static void Type(int column, const QString& text) {
        QTableWidget* table = MainForm->KonzentrationForm->Table;
        table->item(table->rowCount() - 1, column)->setText(text);
    }
    // The cuvette of `mgPerL` put in, measured until the mean shows it alone, and a row added with `add`.
    void NewRow(double mgPerL, QPushButton* add) {
        instrument.SetCuvette(DyeCuvette{mgPerL, 0});
        Cycles(Averaging + 1);
        Click(add);
    }
};

TEST_F(ConcentrationTest, TheDyesStandardsGiveItsSlopeAndADilutedSampleItsConcentration) {
    TMeasurementCommands& menu = *MainForm->MeasurementCommands;
    instrument.SetCuvette(DyeCuvette{0, 0});
    TakeDarkAndReference();
    menu.MittelungItems[2]->trigger();
    ASSERT_EQ(MainForm->Measurement.Averaging(), Averaging);
    MainForm->Konzentrationsreihe1->trigger();
    TKonzentrationForm& form = *MainForm->KonzentrationForm;
    ASSERT_TRUE(form.isVisible());

    // The slider moved away from the reference's exposure: no absorbance, the row stays unmeasured;
    // and back at it, the spectrum still shown is one of the other exposure until the next cycle.
    NewRow(20, form.StandardButton);
    Type(TKonzentrationForm::ConcentrationColumn, QStringLiteral("20"));
    const int reference = MainForm->Exposure();
    MainForm->TrackBar->setValue(reference + 20);
    Cycles(1);
    {
        ModalWatcher watcher;
        Click(form.MessenButton);
        menu.BelichtungWiederherstellen->trigger();
        ASSERT_EQ(MainForm->Exposure(), reference);
        Click(form.MessenButton);
        EXPECT_EQ(watcher.Texts.size(), 2) << watcher.Texts.join('\n').toStdString();
    }
    EXPECT_TRUE(form.LastMessage().startsWith(QStringLiteral("Kein Referenzspektrum bei dieser Belichtung")));
    EXPECT_FALSE(form.Series().Rows[0].Spectrum) << "no spectrum of another exposure kept";
    Cycles(Averaging + 1);
    Click(form.MessenButton);
    ASSERT_TRUE(form.Series().Rows[0].Spectrum);

    for (const double mgPerL : {40, 60, 80}) {
        NewRow(mgPerL, form.StandardButton);
        Type(TKonzentrationForm::ConcentrationColumn, QString::number(mgPerL));
        // Switched off just before the click, the dark was still subtracted from the spectrum shown.
        if (mgPerL == 60) menu.DunkelspektrumAbziehen->trigger();
        Click(form.MessenButton);
        if (mgPerL == 60) menu.DunkelspektrumAbziehen->trigger();
    }
    // A sample of 94 mg/L diluted twofold: 47 mg/L in the cuvette.
    NewRow(47, form.SampleButton);
    Type(TKonzentrationForm::DilutionColumn, QStringLiteral("2"));
    Click(form.MessenButton);
    ASSERT_TRUE(form.ProposalButton->isEnabled()) << form.ProposalLabel->text().toStdString();
    Click(form.ProposalButton);

    // Closed and opened again through the menu, the window still holds the series.
    form.close();
    MainForm->Konzentrationsreihe1->trigger();
    TKonzentrationForm& reopened = *MainForm->KonzentrationForm;
    ASSERT_TRUE(reopened.isVisible());
    const ConcentrationSeries& series = reopened.Series();
    ASSERT_EQ(series.Rows.size(), 5u);
    for (int row = 0; row < 5; ++row) {
        EXPECT_TRUE(series.Rows[row].Spectrum) << row;
        EXPECT_FALSE(
            reopened.Table->item(row, TKonzentrationForm::NoteColumn)->text().contains("Dunkelabzug"));
    }
    const CalibrationResult result = EvaluateSeries(series);
    ASSERT_TRUE(result.Line);
    EXPECT_EQ(result.Line->Count, 4);
    const auto [first, last] = BandChannels(series.Calibration, series.Band.FromNm, series.Band.ToNm);
    const std::array<double, 128> slope = DyeSlope();
    double known = 0;
    for (int c = first; c <= last; ++c)
        known += slope[c] / (last - first + 1);
    ASSERT_EQ(result.Samples.size(), 1u);
    ASSERT_TRUE(result.Samples[0].Concentration) << result.Samples[0].Note;
    const double found = *result.Samples[0].Concentration;
    std::printf("band %g-%g nm: slope %.5f L/mg against %.5f; sample %.2f +- %.2f mg/L against 94\n",
                series.Band.FromNm, series.Band.ToNm, result.Line->Slope, known, found,
                result.Samples[0].Uncertainty);
    EXPECT_NEAR(result.Line->Slope, known, 0.02 * known);
    EXPECT_NEAR(found, 94, 94 * 0.02);
    EXPECT_TRUE(
        reopened.Table->item(4, TKonzentrationForm::ResultColumn)->text().endsWith(QStringLiteral("mg/L")));
}

} // namespace
