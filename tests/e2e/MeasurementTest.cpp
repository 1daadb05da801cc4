// SPDX-License-Identifier: GPL-3.0-or-later
// The main window against the simulated instrument on a real pseudo-terminal.
#include "app/MeasurementCommands.h"
#include "app/Program.h"
#include "bigview/BigDlg.h"
#include "device/CPortCtl.h"
#include "device/InstrumentProtocol.h"
#include "kx207-sim/PseudoTerminal.h"
#include "kx207-sim/SimulatedInstrument.h"
#include "settings/IniFile.h"
#include "support/ModalWatcher.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

MainFormContext ContextFor(const std::string& settings, std::optional<std::string> port, bool isText = true) {
    MainFormContext context{settings};
    context.CreateRegistry = [port, isText] { return std::make_unique<TFixedPortRegistry>(port, isText); };
    return context;
}

Readings Flat(int value) {
    Readings readings{};
    readings.fill(value);
    return readings;
}

// Whether the lamp was last painted lit.
class LampOnScreen : public QObject {
public:
    explicit LampOnScreen(TComLed* lamp) : lamp_(lamp) { lamp->installEventFilter(this); }
    bool Lit = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) Lit = lamp_->State() == lsOn && lamp_->isEnabled();
        return false;
    }

private:
    TComLed* lamp_;
};

class MeasurementTest : public ::testing::Test {
protected:
    TempFolder settings;
    std::unique_ptr<SimulatedInstrument> instrument = std::make_unique<SimulatedInstrument>();
    bool created = false;

    void Start(std::optional<std::string> port) {
        CreateWindows(ContextFor(settings.Path(), std::move(port)));
        created = true;
    }
    void Start() { Start(instrument->PortPath()); }
    void TearDown() override {
        if (created) DestroyWindows();
    }
    void Settings(const std::string& text) { TempFolder::Write(settings.File("KX207.INI"), text); }
    // Bytes the instrument heard since the last call, at least `expected` of them.
    std::vector<uint8_t> Heard(size_t expected = 0) {
        // Bytes still on their way belong to this call. A machine with both cores busy may hand them to
        // the instrument late: wait up to 5 s for those expected, then until it has heard nothing new
        // for 100 ms.
        QElapsedTimer waiting;
        waiting.start();
        std::vector<uint8_t> all = instrument->ReceivedBytes();
        while (all.size() < heard_ + expected && waiting.elapsed() < 5000) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            all = instrument->ReceivedBytes();
        }
        for (int quiet = 0; quiet < 10;) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::vector<uint8_t> now = instrument->ReceivedBytes();
            quiet = now.size() == all.size() ? quiet + 1 : 0;
            all = std::move(now);
        }
        std::vector<uint8_t> fresh(all.begin() + static_cast<long>(std::min(heard_, all.size())), all.end());
        heard_ = all.size();
        return fresh;
    }
    void Measuring() {
        Start();
        MainForm->VersionsTimerTimer();
        Heard(3); // the stored exposure, the version request and the exposure again
    }

private:
    size_t heard_ = 0;
};

TEST_F(MeasurementTest, FindsTheInstrumentAndWaitsForItsVersion) {
    Settings("[TSL1401]\nGain=30\n");
    Start();
    EXPECT_TRUE(MainForm->ComPort->Connected());
    EXPECT_EQ(MainForm->ComPort->Port(), instrument->PortPath());
    EXPECT_TRUE(MainForm->VersionsTimer->Enabled());
    EXPECT_FALSE(MainForm->Messung_Timer->Enabled());
    EXPECT_FALSE(MainForm->Messung_Button->isEnabled());
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "kein Spektrometer angeschlossen");
    EXPECT_EQ(Heard(1), std::vector<uint8_t>({30})) << "the stored exposure reaches the instrument at once";

    MainForm->VersionsTimerTimer();
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: KX207 Firmware 1.2\r\n");
    EXPECT_FALSE(MainForm->VersionsTimer->Enabled());
    EXPECT_EQ(Heard(2), std::vector<uint8_t>({254, 30}));
    EXPECT_TRUE(MainForm->Messung_Timer->Enabled());
    EXPECT_TRUE(MainForm->Messung_Button->isEnabled());
    EXPECT_EQ(MainForm->Messung_Button->text(), "Stopp");
    EXPECT_FALSE(MainForm->FileOpen->isEnabled());
}

TEST_F(MeasurementTest, AnInstrumentWithoutVersionIsMeasuredAnyway) {
    instrument->SetFault(Fault::NoVersion);
    Start();
    MainForm->VersionsTimerTimer();
    EXPECT_EQ(Heard(5), std::vector<uint8_t>(5, 254));
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: ");
    EXPECT_TRUE(MainForm->VersionsTimer->Enabled());
    EXPECT_TRUE(MainForm->Messung_Timer->Enabled());
    MainForm->Messung_ButtonClick();
    EXPECT_FALSE(MainForm->Messung_Timer->Enabled());
    MainForm->VersionsTimerTimer();
    EXPECT_TRUE(MainForm->Messung_Timer->Enabled()) << "the next version event switches measuring on again";
}

TEST_F(MeasurementTest, ACycleDecodesTheFrameChannel127First) {
    Measuring();
    Readings readings = Flat(100);
    readings[127] = 5;
    readings[0] = 1020;
    readings[64] = 255;
    instrument->ServeReadings(readings);
    // A link hears each write as it starts and, with its bytes, as it ends.
    LampOnScreen lamp(MainForm->LED);
    bool litAtWrite = false, litAtRequest = false;
    TComLink link;
    link.OnTx = [&](TCustomComPort&, bool busy) { litAtWrite = busy ? lamp.Lit : litAtWrite; };
    link.OnTxBuf = [&](TCustomComPort&, const char* bytes, long count) {
        litAtRequest = count == 1 && uint8_t(bytes[0]) == SpectrumRequest && litAtWrite;
    };
    MainForm->ComPort->RegisterLink(&link);
    MainForm->Messung_TimerTimer();
    MainForm->ComPort->UnRegisterLink(&link);
    EXPECT_TRUE(litAtRequest) << "the lamp shows lit before the request goes to the instrument";
    EXPECT_EQ(Heard(1), std::vector<uint8_t>({255}));
    EXPECT_EQ(MainForm->Spectrum.Readings[127], 5);
    EXPECT_EQ(MainForm->Spectrum.Readings[0], 1020);
    EXPECT_EQ(MainForm->Spectrum.Readings[64], 255);
    EXPECT_EQ(MainForm->Spectrum.MaxReading, 1020) << "the cycle redraws";
    EXPECT_EQ(MainForm->LED->State(), lsOff);
    EXPECT_TRUE(MainForm->Messung_Timer->Enabled());
    EXPECT_FALSE(MainForm->COMException_Timer->Enabled());
}

// The labels a diagram pass writes on `picture` from the main window's state, once that picture is
// the window's own; their wavelengths then.
template <typename Draw> std::vector<int> LabelledWavelengths(const QImage& onScreen, Draw draw) {
    QImage picture = NewCanvasImage(onScreen.width(), onScreen.height());
    QImage strip = NewCanvasImage(onScreen.width(), 45);
    TCanvas canvas(picture), stripCanvas(strip);
    std::vector<int> wavelengths;
    for (const PlacedPeakLabel& label : draw(canvas, stripCanvas))
        wavelengths.push_back(label.Text.chopped(2).toInt());
    EXPECT_EQ(picture, onScreen) << "the labels are those on the screen";
    return wavelengths;
}

TEST_F(MeasurementTest, PeakLabelsNameTheMercuryLinesInBothDiagrams) {
    Settings("[TSL1401]\nGain=30\n");
    Measuring();
    MainForm->PeaksBeschriften->trigger();
    MainForm->GroesSpektrogramm1Click();
    MainForm->Messung_TimerTimer();
    const DiagramState state = MainForm->CurrentDiagramState();
    const std::vector<int> main =
        LabelledWavelengths(MainForm->Image->Picture(), [&](TCanvas& image, TCanvas& strip) {
            QImage miniature = NewCanvasImage(MiniatureWidth, MiniatureHeight);
            TCanvas miniatureCanvas(miniature);
            return DrawMainDiagram(state, image, strip, miniatureCanvas).PeakLabels;
        });
    const std::vector<int> big =
        LabelledWavelengths(BigForm->Image->Picture(), [&](TCanvas& image, TCanvas& strip) {
            return DrawBigDiagram(state, image, strip).PeakLabels;
        });
    EXPECT_EQ(main, big);
    // The lamp's lines; the pair at 577 and 579 nm is one peak to the instrument.
    const std::vector<std::vector<double>> lines = {{404.7}, {435.8}, {546.1}, {577.0, 579.1}};
    ASSERT_EQ(main.size(), lines.size()) << ::testing::PrintToString(main);
    for (const std::vector<double>& line : lines)
        EXPECT_TRUE(std::any_of(main.begin(), main.end(),
                                [&](int labelled) {
                                    return std::any_of(line.begin(), line.end(), [&](double nm) {
                                        return std::abs(labelled - nm) <= 2;
                                    });
                                }))
            << line.front() << " nm in " << ::testing::PrintToString(main);
}

TEST_F(MeasurementTest, ShortAndLateAnswersKeepTheLastSpectrumAndNeverShiftTheNext) {
    Measuring();
    instrument->ServeReadings(Flat(300));
    MainForm->Messung_TimerTimer();
    ASSERT_EQ(MainForm->Spectrum.Readings[10], 300);

    Readings ramp{};
    for (int c = 0; c < 128; ++c)
        ramp[c] = 4 * c + 1;
    instrument->ServeReadings(ramp);
    instrument->SetFault(Fault::ShortFrame);
    MainForm->Messung_TimerTimer();
    EXPECT_EQ(MainForm->Spectrum.Readings[10], 300);
    EXPECT_EQ(MainForm->Spectrum.MaxReading, 300) << "no redraw after a short answer";

    // The last byte comes 550 ms after the request, beyond the wait for a slow instrument.
    instrument->SetFault(Fault::LateByte);
    instrument->SetAnswerDelay(std::chrono::milliseconds(400));
    MainForm->Messung_TimerTimer();
    EXPECT_EQ(MainForm->Spectrum.Readings[10], 300) << "255 bytes in time are not a spectrum";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    instrument->SetFault(Fault::None);
    instrument->SetAnswerDelay(std::chrono::milliseconds(0));
    MainForm->Messung_TimerTimer();
    EXPECT_EQ(MainForm->Spectrum.Readings, ramp) << "the late byte must not shift the next answer";

    instrument->ServeReadings(Flat(300));
    instrument->SetFault(Fault::LateByte);
    MainForm->Messung_TimerTimer();
    EXPECT_EQ(MainForm->Spectrum.Readings[10], 300) << "a last byte 150 ms late is waited for";
}

TEST_F(MeasurementTest, ASlowInstrumentIsWaitedForInTheCycleThatAsked) {
    for (const int lateMs : {150, 400}) {
        SCOPED_TRACE(lateMs);
        instrument = std::make_unique<SimulatedInstrument>();
        instrument->SetAnswerDelay(std::chrono::milliseconds(lateMs));
        Start();
        MainForm->VersionsTimerTimer();
        EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: KX207 Firmware 1.2\r\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        const std::vector<uint8_t> heard = instrument->ReceivedBytes();
        EXPECT_EQ(std::count(heard.begin(), heard.end(), VersionRequest), 1) << "read at the first attempt";
        instrument->ServeReadings(Flat(444));
        MainForm->Messung_TimerTimer();
        EXPECT_EQ(MainForm->Spectrum.Readings, Flat(444));
        DestroyWindows();
        created = false;
    }
}

TEST_F(MeasurementTest, AVersionThatStartsLateAndComesInPiecesIsReadWholeAndShownOnOneLine) {
    PseudoTerminal terminal;
    Start(terminal.SlavePath());
    // Later than the pause after the request, then in two pieces closer together than the quiet gap
    // that ends a text.
    std::thread instrumentSide([&terminal] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        uint8_t request = 0;
        while (request != VersionRequest && std::chrono::steady_clock::now() < giveUp)
            if (read(terminal.Master(), &request, 1) != 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        EXPECT_EQ(write(terminal.Master(), "KX207\r\n", 7), 7);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_EQ(write(terminal.Master(), "Firmware 1.2", 12), 12);
    });
    MainForm->VersionsTimerTimer();
    instrumentSide.join();
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: KX207\r\nFirmware 1.2");
    const auto panels = MainForm->StatusBar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(panels.at(3)->text(), "Firmwareversion: KX207 Firmware 1.2") << "one line, without the CR";
}

struct ExposureCase {
    int32_t peak;
    int before;
    int after;
    std::vector<uint8_t> sent;
};

TEST_F(MeasurementTest, AutomaticExposureStepsTowardAPeakBetween400And600) {
    Measuring();
    MainForm->Auto_CheckBox->setChecked(true);
    const ExposureCase cases[] = {
        {399, 9, 10, {10, 10}}, {399, 10, 15, {15, 15}}, {399, 98, 100, {100, 100}},
        {399, 100, 100, {100}}, {601, 11, 6, {6, 6}},    {601, 10, 9, {9, 9}},
        {601, 0, 0, {0}},       {400, 50, 50, {}},       {600, 50, 50, {}},
    };
    for (const ExposureCase& c : cases) {
        MainForm->TrackBar->setValue(c.before);
        instrument->ServeReadings(Flat(c.peak));
        Heard();
        std::vector<uint8_t> expected = {255};
        expected.insert(expected.end(), c.sent.begin(), c.sent.end());
        MainForm->Messung_TimerTimer();
        const std::vector<uint8_t> heard = Heard(expected.size());
        EXPECT_EQ(MainForm->TrackBar->value(), c.after) << c.peak << " from " << c.before;
        EXPECT_EQ(MainForm->GainEdit->text(), QString::number(c.after));
        EXPECT_EQ(heard, expected) << c.peak << " from " << c.before;
    }

    // With averaging on, the newest single spectrum rules: a mean still between 400 and 600 must not.
    MainForm->MeasurementCommands->MittelungItems[1]->trigger();
    MainForm->Auto_CheckBox->setChecked(false);
    // (Two spectra within each other's noise, so the mean goes on.)
    instrument->ServeReadings(Flat(599));
    MainForm->Messung_TimerTimer();
    MainForm->Auto_CheckBox->setChecked(true);
    instrument->ServeReadings(Flat(601));
    MainForm->Messung_TimerTimer();
    EXPECT_EQ(MainForm->Spectrum.MaxReading, 600);
    EXPECT_LT(MainForm->TrackBar->value(), 50);
}

TEST_F(MeasurementTest, StartStoppLocksLoadingAndRestoresTheStoredCalibration) {
    Settings("[TSL1401]\nLambda_min=380\nLambda_max=700\n");
    Measuring();
    MainForm->Messung_ButtonClick();
    EXPECT_EQ(MainForm->Messung_Button->text(), "Start");
    EXPECT_TRUE(MainForm->FileOpen->isEnabled());
    MainForm->SetCalibration(400, 654);
    MainForm->Messung_ButtonClick();
    EXPECT_EQ(MainForm->Messung_Button->text(), "Stopp");
    EXPECT_FALSE(MainForm->FileOpen->isEnabled());
    EXPECT_EQ(MainForm->Calibration.LambdaMin, 380);
    EXPECT_EQ(MainForm->Calibration.LambdaMax, 700);
    EXPECT_EQ(MainForm->Lambda_max_Label->text(), "700nm");
}

TEST_F(MeasurementTest, CyclesRunByThemselvesAboutOncePerSecond) {
    instrument->ServeReadings(Flat(123));
    QElapsedTimer running;
    running.start();
    Start();
    while (MainForm->Spectrum.Readings[0] != 123 && running.elapsed() < 15000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(MainForm->Spectrum.Readings[0], 123);
    EXPECT_GE(running.elapsed(), 2000) << "version event after 1 s, first cycle 1 s later";
}

TEST_F(MeasurementTest, AnUnpluggedInstrumentEndsTheProgramThroughTheWatchdog) {
    QElapsedTimer clock;
    clock.start();
    Measuring();
    MainForm->TrackBar->setValue(42);
    ModalWatcher watcher;
    instrument->HangUp();
    EXPECT_EQ(QApplication::exec(), 0);
    const qint64 ended = clock.elapsed();
    ASSERT_GE(watcher.Texts.size(), 2);
    EXPECT_EQ(watcher.Texts.last(), "Kommunikationsfehler");
    EXPECT_GE(ended, 6000) << "the first cycle 1 s after measuring began, the watchdog 5 s after that";
    // Starting the windows alone may take seconds with both cores busy; a watchdog of twice its time
    // would end past 16 s.
    EXPECT_LT(ended, 15000);
    DestroyWindows();
    created = false;
    EXPECT_EQ(TIniFile("KX207.INI", settings.Path()).ReadInteger("TSL1401", "Gain", 0), 42);
}

TEST_F(MeasurementTest, WithoutAnInstrumentStartStaysDisabledAndNothingIsShown) {
    ModalWatcher watcher;
    Start(std::nullopt);
    EXPECT_FALSE(MainForm->ComPort->Connected());
    EXPECT_FALSE(MainForm->VersionsTimer->Enabled());
    DestroyWindows();

    // A port that does not exist, and the instrument's port that another program opened first.
    PortHolder terminalProgram(instrument->PortPath());
    ASSERT_TRUE(terminalProgram.Holding());
    for (const std::string& port : {std::string("/dev/kx207-gibt-es-nicht"), instrument->PortPath()}) {
        SCOPED_TRACE(port);
        Start(port);
        EXPECT_FALSE(MainForm->ComPort->Connected());
        EXPECT_FALSE(MainForm->VersionsTimer->Enabled());
        EXPECT_FALSE(MainForm->Messung_Button->isEnabled());
        EXPECT_EQ(MainForm->StatusBar->PanelText(3), "kein Spektrometer angeschlossen");
        QApplication::processEvents();
        DestroyWindows();
    }
    EXPECT_TRUE(watcher.Texts.isEmpty());

    terminalProgram.End();
    Start();
    EXPECT_TRUE(MainForm->ComPort->Connected()) << "a start after the other program's end finds it";
    EXPECT_TRUE(MainForm->VersionsTimer->Enabled());
}

TEST_F(MeasurementTest, APortNameOfTheWrongTypeIsShownAndTheSettingsAreNotRead) {
    Settings("[TSL1401]\nGain=77\n");
    ModalWatcher watcher;
    CreateWindows(ContextFor(settings.Path(), instrument->PortPath(), false));
    created = true;
    EXPECT_EQ(watcher.Texts, QStringList("Ungültiger Datentyp für 'PortName'"));
    EXPECT_EQ(MainForm->TrackBar->value(), 0);
    DestroyWindows();
    created = false;
    EXPECT_EQ(TIniFile("KX207.INI", settings.Path()).ReadInteger("TSL1401", "Gain", 0), 77)
        << "settings never read are not overwritten at the end";
}

} // namespace

TEST_F(MeasurementTest, AbsorptionOfTheSimulatedFiltersMatchesTheirCurves) {
    InstrumentOptions options;
    options.lamp = Lamp::Led;
    options.darkCurrent = 30;
    options.flicker = 0.005; // a white LED on a stabilised supply
    instrument = std::make_unique<SimulatedInstrument>(options);
    Settings("[TSL1401]\nGain=50\nAuto-Belichtung=1\n");
    Measuring();
    TMeasurementCommands& menu = *MainForm->MeasurementCommands;
    const auto cycles = [](int count) {
        for (int i = 0; i < count; ++i)
            MainForm->Messung_TimerTimer();
    };

    instrument->SetLightBlocked(true);
    menu.DunkelspektrumAufnehmen->trigger();
    EXPECT_TRUE(MainForm->Auto_CheckBox->isChecked()) << "as the user left it";
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Dunkelspektrum 0 von 8");
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Automatik ruht: Belichtung fest");
    cycles(8);
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Dunkelspektrum bei Belichtung 50");
    EXPECT_EQ(MainForm->TrackBar->value(), 50) << "no light, yet the exposure stays";
    QCoreApplication::processEvents();
    TIniFile kept("KX207.INI", settings.Path());
    EXPECT_EQ(kept.ReadInteger("Messung", "Dunkelbelichtung", -1), 50);
    EXPECT_EQ(kept.ReadInteger("Messung", "Dunkelanzahl", -1), 8) << "with what the evaluation needs";
    instrument->SetLightBlocked(false);
    menu.DunkelspektrumAbziehen->trigger();
    menu.ReferenzspektrumAufnehmen->trigger();
    cycles(8);
    menu.MittelungItems[4]->trigger();

    for (const Filter filter : {Filter::NeutralDensity, Filter::GreenGlass, Filter::RedDye}) {
        instrument->SetFilter(filter);
        cycles(16);
        menu.Transmission->trigger();
        const std::array<double, 128> curve = FilterCurve(filter);
        const ChannelValues& blank = MainForm->Measurement.ReferenceLessDark();
        const double strongest = **std::max_element(blank.begin(), blank.end());
        int compared = 0;
        for (int c = 0; c < 128; ++c)
            if (blank[c] && *blank[c] >= 0.25 * strongest) {
                ASSERT_TRUE(MainForm->Measurement.Transmission()[c]) << c;
                EXPECT_NEAR(*MainForm->Measurement.Transmission()[c], 100 * curve[c], 2.0) << "channel " << c;
                ++compared;
            }
        EXPECT_GE(compared, 50);
    }
    menu.Extinktion->trigger();
    const int bandAt = MainForm->MaxPos_Edit->text().chopped(2).toInt();
    EXPECT_NEAR(bandAt, 510, 5) << "the dye's band";
    EXPECT_EQ(MainForm->Range_Label1->text(), "2");
    QTest::mouseMove(MainForm->Image, QPoint(242, 100));
    EXPECT_TRUE(QRegularExpression("^510nm => [01],\\d\\d ± 0,\\d\\d$")
                    .match(MainForm->LambdaEdit->text())
                    .hasMatch())
        << MainForm->LambdaEdit->text().toStdString();

    // The table for a lab report carries every column taken, with the values the diagram shows.
    MainForm->ExportTable(QString::fromStdString(settings.File("protokoll.csv")));
    const std::string table = TempFolder::Read(settings.File("protokoll.csv"));
    EXPECT_NE(table.find("\r\nKanal;nm;Digits;Dunkel;Referenz;Transmission %;u Transmission %;Extinktion;u "
                         "Extinktion\r\n"),
              std::string::npos);
    const QString extinction =
        QString::number(*MainForm->Measurement.Absorbance()[64], 'f', 3).replace('.', ',');
    EXPECT_NE(table.find(";" + extinction.toStdString() + ";"), std::string::npos)
        << extinction.toStdString();
    // A student reproduces the transmission from the other columns by the formula the header states.
    EXPECT_NE(table.find(";Transmission % = 100 * (Digits - Dunkel) / (Referenz - Dunkel);"),
              std::string::npos);
    const QStringList rows = QString::fromStdString(table).replace(',', '.').split("\r\n");
    int reproduced = 0;
    for (int c = 0; c < 128; ++c) {
        const QStringList cells = rows[2 + c].split(';');
        ASSERT_EQ(cells.size(), 9) << c;
        if (cells[5].isEmpty()) continue;
        EXPECT_NEAR(100 * (cells[2].toDouble() - cells[3].toDouble()) /
                        (cells[4].toDouble() - cells[3].toDouble()),
                    cells[5].toDouble(), 0.05)
            << rows[2 + c].toStdString();
        ++reproduced;
    }
    EXPECT_GE(reproduced, 50);
}

namespace {

// How far a transmission lies from the filter's known curve, over the channels that have a value.
struct Deviation {
    std::vector<double> Off; // |ΔT| in % T, channel by channel
    size_t WithinTwoU = 0;   // values within two of their standard uncertainties
    int LitChannels = 0;     // channels where the lamp gives at least a fifth of its maximum
    int LitWithValue = 0;    // of those, the channels with a value
};

Deviation Compare(const EvaluatedMeasurement& measurement, Filter filter, Lamp lamp) {
    const std::array<double, 128> curve = FilterCurve(filter);
    const std::array<double, 128> profile = LampProfile(lamp);
    Deviation result;
    for (int c = 0; c < 128; ++c) {
        const bool value = measurement.Verdicts()[c] == ChannelVerdict::Value;
        if (value) {
            result.Off.push_back(std::abs(*measurement.Transmission()[c] - 100 * curve[c]));
            result.WithinTwoU += result.Off.back() <= 2 * *measurement.TransmissionUncertainty()[c];
        }
        if (profile[c] >= 0.2) {
            ++result.LitChannels;
            result.LitWithValue += value;
        }
    }
    std::sort(result.Off.begin(), result.Off.end());
    return result;
}

} // namespace

TEST_F(MeasurementTest, AtClassroomPaceTheDyeIsRightOrTheReferenceRefused) {
    InstrumentOptions options;
    options.lamp = Lamp::Led; // the white LED with the default noise and drift
    instrument = std::make_unique<SimulatedInstrument>(options);
    Settings("[TSL1401]\nGain=25\nAuto-Belichtung=1\n");
    Measuring();
    TMeasurementCommands& menu = *MainForm->MeasurementCommands;
    const auto cycles = [](int count) {
        for (int i = 0; i < count; ++i)
            MainForm->Messung_TimerTimer();
    };
    cycles(6);

    // Light covered for 20 s: "Automatik" climbs; the dark is taken there, and the reference with the
    // light back saturates: refused before any transmission is shown.
    instrument->SetLightBlocked(true);
    cycles(20);
    const int climbed = MainForm->TrackBar->value();
    EXPECT_GE(climbed, 60);
    menu.DunkelspektrumAufnehmen->trigger();
    cycles(8);
    instrument->SetLightBlocked(false);
    menu.DunkelspektrumAbziehen->trigger();
    menu.ReferenzspektrumAufnehmen->trigger();
    cycles(8);
    EXPECT_EQ(MainForm->Measurement.Dark()->Exposure, climbed) << "the exposure stayed from the request on";
    EXPECT_FALSE(MainForm->Measurement.Reference());
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Referenzspektrum übersteuert");
    EXPECT_TRUE(
        MainForm->CurrentDiagramState().Notice.endsWith("nm\nBelichtung verringern und neu aufnehmen"))
        << MainForm->CurrentDiagramState().Notice.toStdString();
    menu.Transmission->trigger();
    EXPECT_EQ(MainForm->Measurement.Transmission(), ChannelValues{}) << "no transmission without a reference";

    // The order that can't saturate: blank in, "Automatik" settles, reference, cover, dark, sample.
    cycles(10);
    EXPECT_LT(MainForm->TrackBar->value(), climbed);
    menu.ReferenzspektrumAufnehmen->trigger();
    cycles(8);
    ASSERT_TRUE(MainForm->Measurement.Reference());
    instrument->SetLightBlocked(true);
    menu.DunkelspektrumAufnehmen->trigger();
    cycles(20); // covered a while longer than the dark needs
    EXPECT_EQ(MainForm->Measurement.Dark()->Exposure, MainForm->Measurement.Reference()->Exposure);
    instrument->SetLightBlocked(false);
    menu.MittelungItems[4]->trigger();
    cycles(3);
    instrument->SetFilter(Filter::RedDye);
    cycles(5);
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Mittelung 5 von 16")
        << "the dye's arrival restarted the mean";
    cycles(12);
    const Deviation dye = Compare(MainForm->Measurement, Filter::RedDye, Lamp::Led);
    ASSERT_FALSE(dye.Off.empty());
    std::printf("red dye at classroom pace: worst |dT| %.2f %%T, median %.2f %%T, %zu channels with a value, "
                "%d of %d lit channels\n",
                dye.Off.back(), dye.Off[dye.Off.size() / 2], dye.Off.size(), dye.LitWithValue,
                dye.LitChannels);
    EXPECT_GE(dye.WithinTwoU, 0.95 * dye.Off.size()) << "values as precise as they say";
    EXPECT_GE(dye.Off.size(), 20u) << "the band itself keeps its values";
    EXPECT_GE(dye.LitWithValue * 5, dye.LitChannels * 4)
        << "four in five channels the LED lights keep a value";

    // A brighter lamp saturates the next reference: refused, the last one stays.
    instrument->SetFilter(Filter::None);
    instrument->SetLampBrighter(3);
    menu.ReferenzspektrumAufnehmen->trigger();
    cycles(8);
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Referenzspektrum übersteuert");
    EXPECT_TRUE(MainForm->Measurement.Reference()) << "the sound reference is kept";
    menu.ReferenzspektrumVerwerfen->trigger();
    EXPECT_FALSE(MainForm->Measurement.ExposureFixed());
    EXPECT_EQ(MainForm->StatusBar->PanelText(3), "Firmwareversion: KX207 Firmware 1.2\r\n");
}
