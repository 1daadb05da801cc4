// SPDX-License-Identifier: GPL-3.0-or-later
// The window "Konzentrationsreihe" driven alone against a stand-in main window: rows typed and measured,
// the line, a sample's result, the proposal taken, and the series saved and loaded; then among the
// program's windows, its band picked by a click in the main diagram.
#include "concentrationdlg/KonzentrationDlg.h"

#include "app/MainFrm.h"
#include "app/SeriesCommands.h"
#include "support/FakeMainWindow.h"
#include "support/ModalWatcher.h"
#include "support/ProgramWindowsTest.h"
#include "support/TempFolder.h"
#include "timecourse/TimeCourseDlg.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

class KonzentrationFormTest : public ::testing::Test {
protected:
    FakeMainWindow main;
    TKonzentrationForm form{main};

    // A reference of 1000 Digits at exposure 40 (single spectra 2 Digits apart), then `shown` as the
    // spectrum the main window shows.
    void Show(int32_t shown) {
        MeasurementModes& measurement = main.State.Measurement;
        ChannelReadings readings{};
        if (!measurement.Reference()) {
            measurement.StartCapture(MeasurementModes::Capture::Reference);
            for (int i = 0; i < MeasurementModes::CaptureCount; ++i) {
                readings.fill(i % 2 ? 1001 : 999);
                measurement.Process(readings, 40, main.State.Calibration);
            }
        }
        readings.fill(shown);
        main.State.Spectrum.Readings = measurement.Process(readings, 40, main.State.Calibration);
    }
    void Type(int row, int column, const QString& text) { form.Table->item(row, column)->setText(text); }
    QString Cell(int row, int column) { return form.Table->item(row, column)->text(); }
    // A standard of `c` measured at `shown` Digits.
    void MeasureStandard(const QString& c, int32_t shown) {
        form.StandardButton->click();
        const int row = form.Table->rowCount() - 1;
        Type(row, TKonzentrationForm::ConcentrationColumn, c);
        Show(shown);
        form.MessenButton->click();
    }
};

TEST_F(KonzentrationFormTest, StandardsGiveTheLineAndASampleItsConcentration) {
    MeasureStandard("10", 500);
    MeasureStandard("20", 250);
    MeasureStandard("30,0", 125);
    EXPECT_EQ(form.LineLabel->text(),
              QStringLiteral("Steigung 0,03010 L/mg, Achsenabschnitt 0 (fest), R² 1,000, 3 Punkte"));
    EXPECT_EQ(Cell(2, TKonzentrationForm::AColumn), QStringLiteral("0,9031 ± 0,0035"));
    form.SampleButton->click();
    Type(3, TKonzentrationForm::DilutionColumn, QStringLiteral("2"));
    Show(353);
    EXPECT_TRUE(form.MessenButton->isEnabled());
    form.MessenButton->click();
    EXPECT_FALSE(form.MessenButton->isEnabled());
    EXPECT_TRUE(form.WiederholenButton->isEnabled());
    EXPECT_EQ(Cell(3, TKonzentrationForm::ResultColumn), QStringLiteral("30,05 mg/L"));
    // Flat spectra hold everywhere: the proposal is the first channels, and one click takes it.
    EXPECT_TRUE(form.ProposalLabel->text().startsWith(QStringLiteral("Vorschlag: 360\u2013365 nm")));
    form.ProposalButton->click();
    EXPECT_EQ(form.FromEdit->text(), QStringLiteral("360,0"));
    EXPECT_EQ(form.ToEdit->text(), QStringLiteral("365,0"));
    // A standard off the line gives the line its uncertainty, and the sample's result its own.
    MeasureStandard("40", 70);
    EXPECT_EQ(
        form.LineLabel->text(),
        QStringLiteral("Steigung 0,02945 ± 0,00035 L/mg, Achsenabschnitt 0 (fest), R² 0,9972, 4 Punkte"));
    EXPECT_EQ(Cell(3, TKonzentrationForm::ResultColumn), QStringLiteral("30,7 ± 1,4 mg/L"));
    // Taking it out by hand leaves three in the line, and its reason beside it; every row measured
    // without a dark spectrum subtracted says so.
    form.Table->item(4, TKonzentrationForm::InLineColumn)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(Cell(4, TKonzentrationForm::NoteColumn),
              QStringLiteral("von Hand herausgenommen, ohne Dunkelabzug"));
    EXPECT_EQ(Cell(3, TKonzentrationForm::NoteColumn), QStringLiteral("ohne Dunkelabzug"));
    EXPECT_TRUE(form.LineLabel->text().endsWith(QStringLiteral("3 Punkte")));

    // The table for a spreadsheet, in Windows-1252, with the same results and notes.
    TempFolder folder;
    ASSERT_TRUE(form.ExportTable(QString::fromStdString(folder.File("reihe.csv"))));
    const std::string table = TempFolder::Read(folder.File("reihe.csv"));
    EXPECT_NE(table.find(
                  "\r\nStandard;Standard 4;40,0000;;1,15490;0,00716619;-0,0492180;;;von Hand herausgenommen, "
                  "ohne Dunkelabzug\r\nProbe;Probe 1;;2,00000;0,452225;0,00143164;;30,0452;"),
              std::string::npos)
        << table;
    EXPECT_EQ(table.substr(table.size() - 19), ";ohne Dunkelabzug\r\n");
}

TEST_F(KonzentrationFormTest, AMeasurementThatCannotBeTrustedIsRefused) {
    form.StandardButton->click();
    Show(500);
    main.ExposureValue = 41; // the reference belongs to exposure 40
    ModalWatcher watcher;
    form.MessenButton->click();
    EXPECT_FALSE(form.Series().Rows[0].Spectrum);
    EXPECT_TRUE(form.LastMessage().startsWith(QStringLiteral("Kein Referenzspektrum bei dieser Belichtung")));
    main.ExposureValue = 40;
    form.MessenButton->click();
    ASSERT_TRUE(form.Series().Rows[0].Spectrum);
    // Once a row is measured, another calibration of the wavelength axis would mix the spectra.
    form.StandardButton->click();
    main.State.Calibration.SetRange(380, 700);
    form.MessenButton->click();
    EXPECT_FALSE(form.Series().Rows[1].Spectrum);
    EXPECT_TRUE(form.LastMessage().startsWith(QStringLiteral("Die Wellenlängen-Kalibrierung hat sich")));
}

TEST_F(KonzentrationFormTest, TheSeriesIsSavedAndLoadedWhole) {
    MeasureStandard("10", 500);
    MeasureStandard("20", 250);
    form.OriginBox->setChecked(false);
    TempFolder folder;
    ASSERT_TRUE(form.SaveSeries(QString::fromStdString(folder.File("reihe.kxr"))));
    TKonzentrationForm loaded(main);
    ASSERT_TRUE(loaded.LoadSeries(QString::fromStdString(folder.File("reihe.kxr"))));
    EXPECT_EQ(loaded.Table->rowCount(), 2);
    EXPECT_FALSE(loaded.OriginBox->isChecked());
    EXPECT_EQ(loaded.Table->item(1, TKonzentrationForm::AColumn)->text(), QStringLiteral("0,6021 ± 0,0017"));
    ModalWatcher watcher;
    TempFolder::Write(folder.File("fremd.kxr"), "Kanal;nm;Digits\r\n");
    EXPECT_FALSE(loaded.LoadSeries(QString::fromStdString(folder.File("fremd.kxr"))));
    EXPECT_EQ(loaded.LastMessage(), QStringLiteral("Die Datei ist keine Konzentrationsreihe."));
    EXPECT_EQ(loaded.Table->rowCount(), 2);
    EXPECT_FALSE(loaded.SaveSeries(QString::fromStdString(folder.File("fehlt/reihe.kxr"))));
    EXPECT_TRUE(
        loaded.LastMessage().startsWith(QStringLiteral("Die Reihe konnte nicht gespeichert werden: ")));
}

class KonzentrationClickTest : public ProgramWindowsTest {};

TEST_F(KonzentrationClickTest, AClickInTheMainDiagramCentresTheBandOnlyWhileAsked) {
    MainForm->Konzentrationsreihe1->trigger();
    TKonzentrationForm& form = *MainForm->KonzentrationForm;
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 93, 100);
    EXPECT_NE(MainForm->ReferenceValue, 0) << "without the window asking, a click sets the reference";
    EXPECT_EQ(form.Series().Band.FromNm, 520);
    MainForm->ImageMouseDown(Qt::RightButton, 0, 0);

    form.PickButton->click();
    MainForm->ImageMouseDown(Qt::RightButton, 4 * 40, 100);
    EXPECT_TRUE(form.PickButton->isChecked()) << "a right click names no wavelength";
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 93, 100);
    EXPECT_EQ(MainForm->ReferenceValue, 0);
    EXPECT_EQ(form.FromEdit->text(), QStringLiteral("586,0")) << "591 nm, the band kept 10 nm wide";
    EXPECT_EQ(form.ToEdit->text(), QStringLiteral("596,0"));
    EXPECT_FALSE(form.PickButton->isChecked()) << "one click ends the choice";
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 40 + 2, 100);
    EXPECT_NE(MainForm->ReferenceValue, 0);
    EXPECT_EQ(form.Series().Band.FromNm, 586);

    // The window that asked last is given the click; the other one stops waiting.
    MainForm->SeriesCommands->Zeitverlauf->trigger();
    TimeCourseForm->PickButton->click();
    form.PickButton->click();
    EXPECT_FALSE(TimeCourseForm->PickButton->isChecked());
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 40 + 2, 100);
    EXPECT_EQ(form.Series().Band.FromNm, 455);
    EXPECT_EQ(TimeCourseForm->WavelengthEdits[1]->text(), QString());
    // A hidden window waits no more.
    form.PickButton->click();
    form.hide();
    EXPECT_FALSE(form.PickButton->isChecked());
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 93, 100);
    EXPECT_EQ(form.Series().Band.FromNm, 455);
}

} // namespace
