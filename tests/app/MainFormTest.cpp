// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"
#include "app/MeasurementCommands.h"
#include "app/Program.h"
#include "bigview/BigDlg.h"
#include "lines/SpektralDlg.h"
#include "settings/IniFile.h"
#include "support/ModalWatcher.h"
#include "support/TempFolder.h"
#include "ui/Application.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace {

class MainFormTest : public ::testing::Test {
protected:
    TempFolder folder;
    bool created = false;

    std::string IniPath() const { return folder.File("KX207.INI"); }
    void Settings(const std::string& text) { TempFolder::Write(IniPath(), text); }
    void Start() {
        CreateWindows({folder.Path()});
        created = true;
    }
    void Stop() {
        DestroyWindows();
        created = false;
    }
    void TearDown() override {
        if (created) Stop();
    }
    std::string Stored(const std::string& section, const std::string& key) const {
        return TIniFile("KX207.INI", folder.Path()).ReadString(section, key, "<absent>");
    }
};

TEST_F(MainFormTest, FirstStartShowsEveryDefault) {
    Start();
    EXPECT_EQ(MainForm->Calibration.LambdaMin, 360);
    EXPECT_EQ(MainForm->Calibration.LambdaMax, 675);
    EXPECT_EQ(MainForm->Lambda_min_Label->text(), "360nm");
    EXPECT_EQ(MainForm->Lambda_max_Label->text(), "675nm");
    EXPECT_EQ(MainForm->TrackBar->value(), 0);
    EXPECT_EQ(MainForm->GainEdit->text(), "0");
    EXPECT_FALSE(MainForm->Korrektur_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Auto_CheckBox->isChecked());
    EXPECT_EQ(MainForm->Skalierung_SpinEdit->value(), 3);
    EXPECT_TRUE(MainForm->Autoscale_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Skalierung_SpinEdit->isEnabled());
    EXPECT_FALSE(MainForm->Label3->isEnabled());
    EXPECT_FALSE(MainForm->Min_CheckBox->isChecked());
    EXPECT_TRUE(MainForm->Max_CheckBox->isChecked());
    EXPECT_TRUE(MainForm->Spektralfarben_CheckBox->isChecked());
    EXPECT_TRUE(MainForm->Balkendiagramm_CheckBox->isChecked());
    EXPECT_TRUE(MainForm->Gitter_CheckBox->isChecked());
    EXPECT_EQ(MainForm->CurveColor, 0x00FFFFu);
    EXPECT_EQ(MainForm->ZeroOffset, 0);
    EXPECT_EQ(MainForm->OpenDialogInitialDir, QDir::currentPath());
    EXPECT_EQ(MainForm->SaveDialogInitialDir, QDir::currentPath());
    EXPECT_FALSE(MainForm->Messung_Button->isEnabled());
    EXPECT_EQ(MainForm->Messung_Button->text(), "Start");
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "kein Spektrometer angeschlossen");
    for (int32_t reading : MainForm->Spectrum.Readings)
        EXPECT_EQ(reading, 0);
    EXPECT_FALSE(MainForm->BigShown);
    EXPECT_FALSE(MainForm->LinesShown);
    EXPECT_EQ(MainForm->ReferenceValue, 0);
    EXPECT_FALSE(BigForm->isVisible());
}

TEST_F(MainFormTest, StoredValuesComeUpInTheirRanges) {
    Settings(
        "[TSL1401]\nGain=250\nLambda_min=400\nLambda_max=654\nKorrektur=2\n"
        "[Diagramm]\nSkalierung=9\nAutoScale=0\nMinimum=ja\nMaximum=ja\nLinienfarbe=0x00FF00\nOffset=15\n"
        "[Daten]\nDatenverzeichnis=/home/schule/spektren\n");
    Start();
    EXPECT_EQ(MainForm->TrackBar->value(), 100);
    EXPECT_EQ(MainForm->GainEdit->text(), "100");
    EXPECT_TRUE(MainForm->Korrektur_CheckBox->isChecked());
    EXPECT_EQ(MainForm->Skalierung_SpinEdit->value(), 4);
    EXPECT_TRUE(MainForm->Skalierung_SpinEdit->isEnabled());
    EXPECT_TRUE(MainForm->Label3->isEnabled());
    EXPECT_FALSE(MainForm->Min_CheckBox->isChecked());
    EXPECT_TRUE(MainForm->Max_CheckBox->isChecked());
    EXPECT_EQ(MainForm->CurveColor, 65280u);
    EXPECT_EQ(MainForm->ZeroOffset, 15);
    EXPECT_DOUBLE_EQ(MainForm->Calibration.NmPerChannel, 2.0);
    EXPECT_EQ(MainForm->Lambda_max_Label->text(), "654nm");
    EXPECT_EQ(MainForm->OpenDialogInitialDir, "/home/schule/spektren");
    Stop();

    Settings("[TSL1401]\nGain=-3\n[Diagramm]\nSkalierung=0\nLinienfarbe=gelb\n");
    Start();
    EXPECT_EQ(MainForm->TrackBar->value(), 0);
    EXPECT_EQ(MainForm->Skalierung_SpinEdit->value(), 1);
    EXPECT_EQ(MainForm->CurveColor, 0x00FFFFu);
}

TEST_F(MainFormTest, EverySettingSurvivesARun) {
    Start();
    MainForm->TrackBar->setValue(37);
    MainForm->Korrektur_CheckBox->setChecked(true);
    MainForm->Auto_CheckBox->setChecked(true);
    MainForm->Autoscale_CheckBox->setChecked(false);
    MainForm->Skalierung_SpinEdit->setValue(2);
    MainForm->Min_CheckBox->setChecked(true);
    MainForm->Max_CheckBox->setChecked(false);
    MainForm->Spektralfarben_CheckBox->setChecked(false);
    MainForm->Balkendiagramm_CheckBox->setChecked(false);
    MainForm->Gitter_CheckBox->setChecked(false);
    MainForm->CurveColor = 0x123456;
    MainForm->ZeroOffset = 25;
    MainForm->OpenDialogInitialDir = "/srv/spektren";
    MainForm->move(40, 30);
    Stop();

    // Every key of the main window, written in its order after the two secondary windows' places.
    std::istringstream file(TempFolder::Read(IniPath()));
    std::vector<std::string> keys;
    for (std::string line; std::getline(file, line);)
        if (line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
    const std::vector<std::string> order = {"Left Big",
                                            "Top Big",
                                            "Left Spektrallinien",
                                            "Top Spektrallinien",
                                            "Left Main",
                                            "Top Main",
                                            "Gain",
                                            "Korrektur",
                                            "Auto-Belichtung",
                                            "Skalierung",
                                            "AutoScale",
                                            "Minimum",
                                            "Maximum",
                                            "Spektralfarben",
                                            "Balkendiagramm",
                                            "Gitter",
                                            "Linienfarbe",
                                            "Offset",
                                            "Datenverzeichnis"};
    EXPECT_EQ(keys, order);
    EXPECT_EQ(Stored("Fenster", "Big"), "<absent>") << "only the toggle writes Big";
    EXPECT_EQ(Stored("TSL1401", "Lambda_min"), "<absent>") << "the main window never writes the calibration";

    Start();
    EXPECT_EQ(MainForm->TrackBar->value(), 37);
    EXPECT_TRUE(MainForm->Korrektur_CheckBox->isChecked());
    EXPECT_TRUE(MainForm->Auto_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Autoscale_CheckBox->isChecked());
    EXPECT_EQ(MainForm->Skalierung_SpinEdit->value(), 2);
    EXPECT_TRUE(MainForm->Min_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Max_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Spektralfarben_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Balkendiagramm_CheckBox->isChecked());
    EXPECT_FALSE(MainForm->Gitter_CheckBox->isChecked());
    EXPECT_EQ(MainForm->CurveColor, 0x123456u);
    EXPECT_EQ(MainForm->ZeroOffset, 25);
    EXPECT_EQ(MainForm->SaveDialogInitialDir, "/srv/spektren");
    EXPECT_EQ(MainForm->pos(), QPoint(40, 30));
}

TEST_F(MainFormTest, AKeptDarkSpectrumComesBackWithEveryMeasurementFunctionOff) {
    std::string dark = "7";
    for (int c = 1; c < 128; ++c)
        dark += "," + std::to_string(c % 9);
    Settings("[Messung]\nDunkelspektrum=" + dark + "\nDunkelbelichtung=35\n");
    Start();
    ASSERT_TRUE(MainForm->Measurement.Dark());
    EXPECT_EQ(MainForm->Measurement.Dark()->Readings[0], 7);
    EXPECT_EQ(MainForm->Measurement.Dark()->Exposure, 35);
    EXPECT_TRUE(MainForm->MeasurementCommands->DunkelspektrumAbziehen->isEnabled());
    EXPECT_FALSE(MainForm->MeasurementCommands->DunkelspektrumAbziehen->isChecked());
    EXPECT_TRUE(MainForm->MeasurementCommands->Intensitaet->isChecked());
    EXPECT_EQ(MainForm->Measurement.Averaging(), 1);
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "KX207 · Lehrmittel-Spektroskopie");
    // While measuring the status line follows the tick at once: the dark was taken at another exposure.
    QAction* subtract = MainForm->MeasurementCommands->DunkelspektrumAbziehen;
    MainForm->Messung_Timer->SetEnabled(true);
    subtract->trigger();
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Dunkelabzug nur bei Belichtung 35");
    subtract->trigger();
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "KX207 · Lehrmittel-Spektroskopie");
    MainForm->Messung_Timer->SetEnabled(false);
    subtract->trigger();
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Gilt ab der nächsten Messung") << "told at once";
    Stop();

    // Beside the whole numbers, what the evaluation needs: counted only while it belongs to them.
    std::string mean = "7.125", spread = "0.5";
    for (int c = 1; c < 128; ++c) {
        mean += "," + std::to_string(c % 9) + ".25";
        spread += ",0.5";
    }
    const std::string kept =
        "[Messung]\nDunkelspektrum=" + dark + "\nDunkelbelichtung=35\nDunkelstreuung=" + spread;
    for (const auto& [extra, count] : {std::pair{"\nDunkelmittel=" + mean + "\nDunkelanzahl=8\n", 8},
                                       {"\nDunkelmittel=" + mean + "\nDunkelanzahl=0\n", 0},
                                       {"\nDunkelmittel=8" + mean.substr(1) + "\nDunkelanzahl=8\n", 0},
                                       {"\nDunkelmittel=" + mean + ",1\nDunkelanzahl=8\n", 0}}) {
        Settings(kept + extra);
        Start();
        ASSERT_TRUE(MainForm->Measurement.Dark());
        EXPECT_EQ(MainForm->Measurement.Dark()->Count, count) << extra;
        EXPECT_EQ(MainForm->Measurement.Dark()->Mean[0], count ? 7.125 : 7.0) << extra;
        EXPECT_EQ(MainForm->Measurement.Dark()->Spread[1], count ? 0.5 : 0.0) << extra;
        Stop();
    }

    for (const std::string& damaged :
         {"Dunkelspektrum=" + dark + ",9\nDunkelbelichtung=35\n", "Dunkelspektrum=" + dark + "\n"}) {
        Settings("[Messung]\n" + damaged);
        Start();
        EXPECT_FALSE(MainForm->Measurement.Dark()) << "129 values, or none taken at a known exposure";
        EXPECT_FALSE(MainForm->MeasurementCommands->DunkelspektrumAbziehen->isEnabled());
        Stop();
    }
}

std::string RunAndQuitBy(const std::function<void()>& quit, const std::string& folder) {
    CreateWindows({folder});
    MainForm->TrackBar->setValue(12);
    MainForm->Gitter_CheckBox->setChecked(false);
    QTimer::singleShot(0, quit);
    EXPECT_EQ(QApplication::exec(), 0);
    DestroyWindows();
    return TempFolder::Read(folder + "/KX207.INI");
}

TEST_F(MainFormTest, MenuToolButtonAndCloseBoxQuitAlikeAndWriteTheSameSettings) {
    const std::string byMenu = RunAndQuitBy([] { MainForm->FileQuit->trigger(); }, folder.Path());
    std::remove(IniPath().c_str());
    const std::string byToolButton = RunAndQuitBy([] { MainForm->ToolButton1->click(); }, folder.Path());
    std::remove(IniPath().c_str());
    const std::string byCloseBox = RunAndQuitBy([] { MainForm->close(); }, folder.Path());
    EXPECT_NE(byMenu.find("Gain=12\n"), std::string::npos);
    EXPECT_NE(byMenu.find("Gitter=0\n"), std::string::npos);
    EXPECT_EQ(byMenu, byToolButton);
    EXPECT_EQ(byMenu, byCloseBox);
}

TEST_F(MainFormTest, RefusedWritesAtTheEndAreShownAndTheProgramStillEnds) {
    Start();
    std::filesystem::remove_all(folder.Path());
    TempFolder::Write(folder.Path(), "a file where the settings folder should be");
    ModalWatcher watcher;
    Stop();
    EXPECT_EQ(watcher.Texts,
              QStringList(QString::fromStdString("In " + IniPath() + " kann nicht geschrieben werden")))
        << "every window's destruction handler is refused, and that is said once, naming the file";
    std::filesystem::remove(folder.Path());
    std::filesystem::create_directory(folder.Path());
}

TEST_F(MainFormTest, SettingsThatCannotBeWrittenAreToldOnceAtStart) {
    ModalWatcher watcher;
    auto startIn = [&](const std::string& settings, int waitMs) {
        CreateWindows({settings});
        created = true;
        QElapsedTimer waited;
        waited.start();
        while (watcher.Texts.isEmpty() && waited.elapsed() < waitMs)
            QApplication::processEvents();
    };
    startIn(folder.Path(), 300);
    EXPECT_TRUE(watcher.Texts.isEmpty()) << "settings that can be written are not mentioned";
    Stop();

    TempFolder::Write(folder.File("datei"), "a file where a folder should be");
    const std::string missing = folder.File("datei") + "/kx207";
    startIn(missing, 5000);
    EXPECT_EQ(watcher.Texts, QStringList(QString::fromStdString(
                                 "Die Einstellungen können nicht in " + missing +
                                 "/KX207.INI gespeichert werden.\n"
                                 "Der Ordner " +
                                 missing +
                                 " fehlt und kann nicht angelegt werden.\n\n"
                                 "Abhilfe im Terminal:\nsu - -c 'install -d -m 2775 -g dialout " +
                                 missing + "'")));
    Stop();
    EXPECT_EQ(watcher.Texts.size(), 2) << "and once at quit";
}

TEST_F(MainFormTest, LargeWindowToggleStoresItsStateAtOnce) {
    Start();
    MainForm->GroesSpektrogramm1->trigger();
    EXPECT_TRUE(MainForm->BigShown);
    EXPECT_TRUE(BigForm->isVisible());
    EXPECT_EQ(Stored("Fenster", "Big"), "1");
    MainForm->ToolButton10->click();
    EXPECT_FALSE(MainForm->BigShown);
    EXPECT_FALSE(BigForm->isVisible());
    EXPECT_EQ(Stored("Fenster", "Big"), "0");
}

TEST_F(MainFormTest, LargeWindowReopensWhenItWasLeftOpen) {
    Settings("[Fenster]\nBig=1\n");
    Start();
    EXPECT_TRUE(MainForm->BigShown);
    EXPECT_TRUE(BigForm->isVisible());
}

TEST_F(MainFormTest, RefusedToggleWriteIsShownAfterTheWindowWasShown) {
    Start();
    MainForm->IniFile = std::make_unique<TIniFile>("KX207.INI", "/dev/null/kx207");
    ModalWatcher watcher;
    MainForm->GroesSpektrogramm1->trigger();
    QElapsedTimer waited;
    waited.start();
    while (watcher.Texts.isEmpty() && waited.elapsed() < 10000)
        QApplication::processEvents();
    EXPECT_TRUE(BigForm->isVisible());
    EXPECT_EQ(watcher.Texts, QStringList("In KX207.INI kann nicht geschrieben werden"));
    MainForm->IniFile = std::make_unique<TIniFile>("KX207.INI", folder.Path());
}

TEST_F(MainFormTest, SpectrumTitleIsCopiedIntoTheLargeWindow) {
    Start();
    MainForm->SpektrumEdit->setText(QStringLiteral("Hg-Lampe Übung 3"));
    EXPECT_EQ(BigForm->SpektrumEdit->text(), QStringLiteral("Hg-Lampe Übung 3"));
}

TEST_F(MainFormTest, StoredPositionsAreUsedOnlyWhereTheWindowStaysVisible) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Settings("[Fenster]\nLeft Main=" + std::to_string(screen.width() + 500) + "\nTop Main=20\n");
    Start();
    EXPECT_NE(MainForm->pos().x(), screen.width() + 500) << "a place off every screen is ignored";
    Stop();

    Settings("[Fenster]\nLeft Main=-100\nTop Main=20\n");
    Start();
    EXPECT_EQ(MainForm->pos(), QPoint(-100, 20)) << "partly on the screen is enough";
}

TEST_F(MainFormTest, SecondaryWindowsTestTheirStoredEdges) {
    const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
    const int bigWidth = 1053;
    Settings("[Fenster]\nLeft Big=" + std::to_string(-2 * bigWidth) + "\nTop Big=10\nLeft Spektrallinien=" +
             std::to_string(screenWidth) + "\nTop Spektrallinien=30\n");
    Start();
    EXPECT_NE(BigForm->pos().x(), -2 * bigWidth);
    EXPECT_EQ(BigForm->pos().y(), 10);
    EXPECT_NE(SpektralForm->pos().x(), screenWidth);
    EXPECT_EQ(SpektralForm->pos().y(), 30);
    Stop();

    Settings("[Fenster]\nLeft Big=" + std::to_string(-bigWidth / 2) + "\nLeft Spektrallinien=100\n");
    Start();
    EXPECT_EQ(BigForm->pos().x(), -bigWidth / 2);
    EXPECT_EQ(SpektralForm->pos().x(), 100);
    const QSize big = BigForm->frameGeometry().size(), lines = SpektralForm->frameGeometry().size();
    Stop();

    // Five pixels of the window left on the screen are too few, six are enough.
    Settings("[Fenster]\nLeft Big=" + std::to_string(5 - big.width()) + "\nTop Big=" +
             std::to_string(6 - big.height()) + "\nLeft Spektrallinien=" + std::to_string(6 - lines.width()) +
             "\nTop Spektrallinien=" + std::to_string(5 - lines.height()) + "\n");
    Start();
    EXPECT_NE(BigForm->pos().x(), 5 - big.width());
    EXPECT_EQ(BigForm->pos().y(), 6 - big.height());
    EXPECT_EQ(SpektralForm->pos().x(), 6 - lines.width());
    EXPECT_NE(SpektralForm->pos().y(), 5 - lines.height());
}

TEST_F(MainFormTest, AboutWindowClosesItself7000msAfterEachOpening) {
    Start();
    EXPECT_FALSE(AboutForm->Timer1->Enabled());
    // The clock starts before the window's timer, so it can never show less than the timer waited;
    // the upper bound leaves room for a machine with every core busy.
    QElapsedTimer open;
    open.start();
    MainForm->Image1Click();
    const qint64 elapsed = open.elapsed();
    EXPECT_GE(elapsed, 7000);
    EXPECT_LT(elapsed, 9000);
    EXPECT_FALSE(AboutForm->Timer1->Enabled()) << "the timer runs only while the window is open";
    EXPECT_EQ(AboutForm->result(), QDialog::Accepted);
}

TEST_F(MainFormTest, AboutWindowClosesWithOkByEnterEscapeAndButton) {
    Start();
    for (int key : {Qt::Key_Escape, Qt::Key_Return}) {
        QTimer::singleShot(20, [key] {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(AboutForm, &press);
        });
        MainForm->Image1Click();
        EXPECT_EQ(AboutForm->result(), QDialog::Accepted) << key;
    }
    QTimer::singleShot(20, [] { AboutForm->BitBtn1->click(); });
    MainForm->Image1Click();
    EXPECT_EQ(AboutForm->result(), QDialog::Accepted);
    EXPECT_FALSE(AboutForm->Timer1->Enabled());
}

TEST_F(MainFormTest, AboutWindowOpensOnAClickOnTheLogoAndReopensWhereItWasLeft) {
    Start();
    QPoint first, second;
    QTimer::singleShot(20, [&] {
        first = AboutForm->pos();
        AboutForm->move(first + QPoint(30, 40));
        AboutForm->BitBtn1->click();
    });
    QTest::mouseClick(MainForm->Image1, Qt::LeftButton, {}, QPoint(50, 40));
    QTimer::singleShot(20, [&] {
        second = AboutForm->pos();
        AboutForm->BitBtn1->click();
    });
    QTest::mouseClick(MainForm->Image1, Qt::LeftButton, {}, QPoint(50, 40));
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(first, desktop.center() - QPoint(AboutForm->width() / 2, AboutForm->height() / 2));
    EXPECT_EQ(second, first + QPoint(30, 40));

    ModalWatcher watcher;
    QTest::mousePress(MainForm->Image1, Qt::LeftButton, {}, QPoint(50, 40));
    QTest::mouseRelease(MainForm->Image1, Qt::LeftButton, {}, QPoint(150, 40));
    EXPECT_TRUE(watcher.Texts.isEmpty()) << "released outside the logo";
}

// An object whose events run `Fault` unguarded. The error leaves its event handler straight into the
// application's event delivery, with no toolkit code in between that would be left half done.
class FaultyReceiver : public QObject {
public:
    explicit FaultyReceiver(std::function<void()> fault) : Fault(std::move(fault)) {}
    bool event(QEvent*) override {
        Fault();
        return true;
    }
    std::function<void()> Fault;
};

TEST(ApplicationTest, AnErrorEscapingAHandlerIsShownWhateverItsKindAndTheProgramGoesOn) {
    const std::function<void()> faults[] = {[] { throw std::runtime_error("Datei kaputt"); },
                                            [] { throw 42; }};
    const QStringList shown[] = {{"Datei kaputt"}, {"Unbekannter Fehler"}};
    for (int i = 0; i < 2; ++i) {
        ModalWatcher watcher;
        FaultyReceiver receiver(faults[i]);
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&receiver, &event);
        TApplication::RunGuarded(faults[i]);
        EXPECT_EQ(watcher.Texts, shown[i] + shown[i]) << "from an event and from a handler run directly";
    }
}

} // namespace
