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
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
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
    // A damaged file: each line left out is named, a row whose number can't be read is left out whole,
    // and a file cut short says how much of it is missing.
    std::string damaged = TempFolder::Read(folder.File("reihe.kxr"));
    damaged.replace(damaged.find("Konzentration=10"), 16, "Konzentration=1O");
    damaged.replace(damaged.find("Zeilen=2"), 8, "Zeilen=4");
    TempFolder::Write(folder.File("kaputt.kxr"), damaged);
    ASSERT_TRUE(loaded.LoadSeries(QString::fromStdString(folder.File("kaputt.kxr"))));
    EXPECT_EQ(loaded.LastMessage().toStdString(),
              std::string("„kaputt.kxr“ ist nicht vollständig geladen.\n\n"
                          "1 Zeile übersprungen:\nZeile 9: „Konzentration=1O“\n"
                          "Ohne lesbare Konzentration oder Verdünnung ausgelassen: "
                          "„Standard 1“.\n"
                          "Die Datei endet vorzeitig: 2 Zeilen der Tabelle fehlen."));
    EXPECT_EQ(loaded.Table->rowCount(), 1);
    EXPECT_FALSE(loaded.SaveSeries(QString::fromStdString(folder.File("fehlt/reihe.kxr"))));
    EXPECT_TRUE(
        loaded.LastMessage().startsWith(QStringLiteral("Die Reihe konnte nicht gespeichert werden: ")));
}

TEST_F(KonzentrationFormTest, NothingMeasuredIsLostWithoutAQuestion) {
    ModalWatcher watcher;
    const QStringList question{QStringLiteral("Reihe speichern?")};
    form.StandardButton->click();
    EXPECT_TRUE(form.MaySeriesGo());
    EXPECT_TRUE(watcher.Texts.isEmpty()) << "nothing measured, nothing asked";
    MeasureStandard("10", 500);
    ASSERT_TRUE(form.Unsaved());
    // Closing the window loses nothing: it keeps the series for its next opening.
    form.show();
    form.close();
    EXPECT_EQ(form.Series().Rows.size(), 2u);

    // "Abbrechen" leaves the series as it was, without a file dialog; "Verwerfen" lets it go.
    const struct {
        const char* answer;
        QStringList asked;
        bool go;
    } answers[] = {
        {"Abbrechen", question, false},
        {"Verwerfen", question, true},
    };
    for (const auto& test : answers) {
        watcher.Texts.clear();
        watcher.Answer = QString::fromUtf8(test.answer);
        EXPECT_EQ(form.MaySeriesGo(), test.go) << test.answer;
        EXPECT_EQ(watcher.Texts, test.asked) << test.answer;
        EXPECT_EQ(form.Series().Rows.size(), 2u) << test.answer;
    }
    watcher.Texts.clear();
    watcher.Answer = QStringLiteral("Abbrechen");
    form.LoadButton->click();
    EXPECT_EQ(watcher.Texts, question) << "asked before the file";
    // Once saved, nothing is asked until the series changes.
    TempFolder folder;
    ASSERT_TRUE(form.SaveSeries(QString::fromStdString(folder.File("gerettet.kxr"))));
    EXPECT_FALSE(form.Unsaved());
    form.OriginBox->setChecked(false);
    EXPECT_TRUE(form.Unsaved());
}

TEST_F(KonzentrationFormTest, AMeasuredRowIsDeletedOnlyWhenAskedAndOneClickDeletesOne) {
    ModalWatcher watcher;
    MeasureStandard("10", 500);
    MeasureStandard("20", 250);
    form.StandardButton->click();
    form.Table->setCurrentCell(0, TKonzentrationForm::NameColumn);
    watcher.Answer = QStringLiteral("Abbrechen");
    form.DeleteButton->click();
    EXPECT_EQ(watcher.Texts, QStringList(QStringLiteral("Zeile löschen?")));
    EXPECT_EQ(form.Series().Rows.size(), 3u);
    watcher.Answer = QStringLiteral("Löschen");
    form.DeleteButton->click();
    form.DeleteButton->click();
    EXPECT_EQ(form.Series().Rows.size(), 2u) << "the second click of a double click deletes nothing";
    EXPECT_EQ(form.Series().Rows[0].Name, "Standard 2");
    EXPECT_FALSE(form.DeleteButton->isEnabled());
    watcher.Texts.clear();
    form.Table->setCurrentCell(1, TKonzentrationForm::NameColumn);
    form.DeleteButton->click();
    EXPECT_TRUE(watcher.Texts.isEmpty()) << "a row not measured goes without a question";
    EXPECT_EQ(form.Series().Rows.size(), 1u);
}

TEST_F(KonzentrationFormTest, EscTakesBackTheTypingBeforeItClosesTheWindow) {
    form.show();
    form.FromEdit->setFocus();
    form.FromEdit->selectAll();
    QTest::keyClicks(form.FromEdit, QStringLiteral("7"));
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.FromEdit->text(), QStringLiteral("520,0"));
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Table->tabKeyNavigation()) << "Tab leaves the table, the arrows move within it";
}

TEST_F(KonzentrationFormTest, ValuesThatCannotBeAreRefusedWhereTheyAreTyped) {
    form.StandardButton->click();
    form.SampleButton->click();
    const auto typeBand = [this](QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
        emit field->editingFinished();
    };
    // What is typed, where, why it is refused, and the value kept.
    const struct {
        std::function<void(const QString&)> type;
        QString text, reason;
        std::function<QString()> kept;
    } cases[] = {
        {[&](const QString& t) { Type(0, TKonzentrationForm::ConcentrationColumn, t); }, "4O",
         "„4O“ ist keine Zahl.", [&] { return Cell(0, TKonzentrationForm::ConcentrationColumn); }},
        {[&](const QString& t) { Type(0, TKonzentrationForm::ConcentrationColumn, t); }, "0",
         "Die Konzentration eines Standards muss größer als 0 sein.",
         [&] { return Cell(0, TKonzentrationForm::ConcentrationColumn); }},
        {[&](const QString& t) { Type(0, TKonzentrationForm::ConcentrationColumn, t); }, "-40",
         "Die Konzentration eines Standards muss größer als 0 sein.",
         [&] { return Cell(0, TKonzentrationForm::ConcentrationColumn); }},
        {[&](const QString& t) { Type(1, TKonzentrationForm::DilutionColumn, t); }, "0,5",
         "Die Verdünnung ist 1 (unverdünnt) oder größer.",
         [&] { return Cell(1, TKonzentrationForm::DilutionColumn); }},
        {[&](const QString& t) { typeBand(form.FromEdit, t); }, "abc", "„abc“ ist keine Wellenlänge.",
         [&] { return form.FromEdit->text(); }},
        {[&](const QString& t) { typeBand(form.FromEdit, t); }, "300", "Das Band muss in 360–675 nm liegen.",
         [&] { return form.FromEdit->text(); }},
        {[&](const QString& t) { typeBand(form.ToEdit, t); }, "510",
         "Das Band beginnt vor seinem Ende: „von“ muss kleiner als „bis“ sein.",
         [&] { return form.ToEdit->text(); }},
    };
    Type(0, TKonzentrationForm::ConcentrationColumn, "12,5");
    Type(1, TKonzentrationForm::DilutionColumn, "4");
    for (const auto& test : cases) {
        const QString before = test.kept();
        test.type(test.text);
        EXPECT_EQ(form.InputLabel->text().toStdString(), test.reason.toStdString())
            << test.text.toStdString();
        EXPECT_EQ(test.kept(), before) << test.text.toStdString();
    }
    EXPECT_EQ(form.Series().Rows[0].Concentration, 12.5);
    EXPECT_EQ(form.Series().Rows[1].Dilution, 4);
    EXPECT_EQ(form.Series().Band.FromNm, 520);
    EXPECT_EQ(form.Series().Band.ToNm, 530);
    typeBand(form.ToEdit, QStringLiteral("540"));
    EXPECT_EQ(form.InputLabel->text(), QString()) << "a good value clears the reason";
    EXPECT_EQ(form.Series().Band.ToNm, 540);
}

class KonzentrationClickTest : public ProgramWindowsTest {};

TEST_F(KonzentrationClickTest, QuittingWithAnUnsavedSeriesAsksFirst) {
    MainForm->Konzentrationsreihe1->trigger();
    TKonzentrationForm& form = *MainForm->KonzentrationForm;
    ConcentrationSeries series;
    series.Rows.push_back({});
    series.Rows[0].Spectrum = RowSpectrum{};
    form.SetSeries(series);
    form.OriginBox->setChecked(false);
    ModalWatcher watcher;
    watcher.Answer = QStringLiteral("Abbrechen");
    for (const auto& quit : std::initializer_list<std::function<void()>>{
             [] { MainForm->FileQuit->trigger(); }, [] { MainForm->close(); }}) {
        QTimer::singleShot(0, quit);
        QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
        EXPECT_EQ(QApplication::exec(), 7) << "the program goes on";
        EXPECT_TRUE(MainForm->isVisible());
        EXPECT_TRUE(form.isVisible());
        EXPECT_TRUE(form.Unsaved());
    }
    EXPECT_EQ(watcher.Texts, QStringList(2, QStringLiteral("Reihe speichern?")));
    watcher.Answer = QStringLiteral("Verwerfen");
    QTimer::singleShot(0, [] { MainForm->FileQuit->trigger(); });
    EXPECT_EQ(QApplication::exec(), 0);
}

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
