// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program's main window against the simulated instrument on COM1, as a classroom computer
// runs it: the instrument is found through the key its USB bridge's driver writes, its version shows,
// its spectra are drawn on the screen, and unplugging it ends the program through the watchdog.
// tests/windows/e2e_test.sh runs this under Wine with the simulator on COM1 and unplugs it on request.
#include "app/Program.h"
#include "app/SpectrumFileDialog.h"
#include "device/CPortCtl.h"
#include "kx207-sim/LampSpectrum.h"
#include "settings/IniFile.h"
#include "support/ModalWatcher.h"
#include "ui/Application.h"
#include "ui/ImageView.h"
#include "ui/StatusBar.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <numeric>
#include <string>

namespace {

// Runs the program's messages until `done` holds or `limitMs` have passed; whether it holds.
bool RunUntil(const std::function<bool()>& done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The key and value the USB bridge's driver writes for the instrument, naming its port.
void RegisterInstrument(const wchar_t* port) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              L"SYSTEM\\CurrentControlSet\\Enum\\USB\\Vid_10c4&Pid_ea60\\"
                              L"KOLiX-Spektrometer_KX207\\Device Parameters",
                              0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD size = static_cast<DWORD>((wcslen(port) + 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(key, L"PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(port), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// The diagram as the screen shows it.
QImage DiagramOnScreen() {
    const QPoint place = MainForm->Image->mapTo(MainForm, QPoint(0, 0));
    return MainForm->screen()
        ->grabWindow(MainForm->winId(), place.x(), place.y(), MainForm->Image->width(),
                     MainForm->Image->height())
        .toImage();
}

// Rows of each channel's bar, in the curve's colour, in a picture of the diagram.
std::array<int, 128> BarHeights(const QImage& diagram) {
    std::array<int, 128> heights{};
    for (int channel = 0; channel < 128; ++channel)
        for (int y = 0; y < diagram.height(); ++y)
            heights[channel] += diagram.pixel(4 * channel, y) == qRgb(255, 255, 0);
    return heights;
}

// Pearson's correlation of two series.
double Correlation(const std::array<double, 128>& a, const std::array<int, 128>& b) {
    const double meanA = std::accumulate(a.begin(), a.end(), 0.0) / 128;
    const double meanB = std::accumulate(b.begin(), b.end(), 0.0) / 128;
    double both = 0, onlyA = 0, onlyB = 0;
    for (size_t i = 0; i < 128; ++i) {
        both += (a[i] - meanA) * (b[i] - meanB);
        onlyA += (a[i] - meanA) * (a[i] - meanA);
        onlyB += (b[i] - meanB) * (b[i] - meanB);
    }
    return both / std::sqrt(onlyA * onlyB);
}

// The bars follow the fluorescent lamp's profile (a mercury lamp's, which shares its green line,
// correlates 0.79 with it), and the autoscaled diagram shows them tall.
void ShowsTheLamp(const QImage& diagram) {
    const std::array<int, 128> heights = BarHeights(diagram);
    EXPECT_GE(Correlation(LampProfile(Lamp::Fluorescent), heights), 0.95);
    EXPECT_GE(*std::max_element(heights.begin(), heights.end()), 100);
}

// Starts the program's windows on a settings folder of their own, with plain yellow bars and nothing
// else drawn on the diagram; at exposure 40 the lamp's peak lies above 600, so the automatic exposure
// steps down in every cycle. Returns once the instrument's version shows.
std::string StartMeasuring(const QTemporaryDir& settings) {
    RegisterInstrument(L"COM1");
    QFile file(settings.filePath("KX207.INI"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[TSL1401]\r\nGain=40\r\nAuto-Belichtung=1\r\n"
               "[Diagramm]\r\nSpektralfarben=0\r\nMaximum=0\r\nGitter=0\r\n");
    file.close();
    const std::string settingsFolder = QDir::toNativeSeparators(settings.path()).toStdString();
    CreateWindows(MainFormContext{settingsFolder});
    EXPECT_TRUE(MainForm->ComPort->Connected());
    EXPECT_EQ(MainForm->ComPort->Port(), "COM1");
    EXPECT_TRUE(RunUntil(
        [] { return MainForm->StatusBar->PanelText(3) == "Firmwareversion: KX207 Firmware 1.2\r\n"; },
        15000));
    return settingsFolder;
}

// The texts of a dialog's buttons, without their shortcut marks, in alphabetical order.
QStringList ButtonTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
        texts << button->text().remove('&');
    texts.sort();
    return texts;
}

// Runs first, while the simulator serves.
TEST(WindowsMeasurementTest, QuitWhileMeasuringEndsTheProgramWithinFiveSeconds) {
    QTemporaryDir settings;
    const std::string settingsFolder = StartMeasuring(settings);
    const auto before = MainForm->Spectrum.Readings;
    ASSERT_TRUE(RunUntil([&] { return MainForm->Spectrum.Readings != before; }, 15000));
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, MainForm->FileQuit, &QAction::trigger);
    EXPECT_EQ(TApplication::exec(), 0);
    const int exposure = MainForm->TrackBar->value();
    DestroyWindows();
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_EQ(TIniFile("KX207.INI", settingsFolder).ReadInteger("TSL1401", "Gain", 0), exposure);
}

TEST(WindowsMeasurementTest, FindsTheInstrumentOnCom1DrawsItsSpectraAndEndsWhenUnplugged) {
    const char* unplugRequest = std::getenv("KX207_UNPLUG_REQUEST");
    ASSERT_NE(unplugRequest, nullptr) << "run by tests/windows/e2e_test.sh, which serves COM1";
    QTemporaryDir settings;
    const std::string settingsFolder = StartMeasuring(settings);

    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        const auto before = MainForm->Spectrum.Readings;
        ASSERT_TRUE(RunUntil([&] { return MainForm->Spectrum.Readings != before; }, 15000));
        RunUntil([] { return false; }, 100); // the new picture reaches the screen
        ShowsTheLamp(DiagramOnScreen());
    }

    ModalWatcher watcher;
    QFile(unplugRequest).open(QIODevice::WriteOnly);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(TApplication::exec(), 0);
    EXPECT_LT(clock.elapsed(), 30000);
    ASSERT_GE(watcher.Texts.size(), 2);
    const QRegularExpression portFailure(
        "^(WriteFile|ReadFile|ClearCommError) function failed \\(win error code: [1-9][0-9]*\\)$");
    EXPECT_TRUE(portFailure.match(watcher.Texts.first()).hasMatch()) << watcher.Texts.first().toStdString();
    EXPECT_EQ(watcher.Texts.last(), "Kommunikationsfehler");
    const int exposure = MainForm->TrackBar->value();
    EXPECT_LT(exposure, 40);
    DestroyWindows();
    EXPECT_EQ(TIniFile("KX207.INI", settingsFolder).ReadInteger("TSL1401", "Gain", 0), exposure)
        << "the settings are written at the end";
}

TEST(WindowsToolkitTexts, TheFileDialogsAndTheOverwriteQuestionSpeakGerman) {
    QTemporaryDir folder;
    QFile(folder.filePath("Messung.csv")).open(QIODevice::WriteOnly);
    TSpectrumFileDialog open(nullptr, "Spektrum laden", "CSV-Dateien (*.csv)", QFileDialog::AcceptOpen);
    QStringList openButtons, question;
    QTimer::singleShot(0, &open, [&] {
        openButtons = ButtonTexts(open);
        open.reject();
    });
    open.Run(folder.path());
    EXPECT_EQ(openButtons, QStringList({"Abbrechen", "Öffnen"}));

    // The name of a file that exists, confirmed in the save dialog: the dialog asks before replacing it.
    TSpectrumFileDialog save(nullptr, "Speichern unter", "CSV (*.csv)", QFileDialog::AcceptSave);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            question = ButtonTexts(*box);
            box->button(QMessageBox::No)->click();
            save.reject();
        }
    });
    answer.start(20);
    QTimer::singleShot(0, &save, [&] {
        auto* name = save.findChild<QLineEdit*>("fileNameEdit");
        name->setText("Messung.csv");
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(name, &enter);
    });
    save.Run(folder.path());
    EXPECT_EQ(question, QStringList({"Ja", "Nein"}));
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
