// SPDX-License-Identifier: GPL-3.0-or-later
// A timed series of a reaction measured from the simulated instrument, end to end.
#include "app/MeasurementCommands.h"
#include "app/Program.h"
#include "app/SeriesCommands.h"
#include "kx207-sim/SimulatedInstrument.h"
#include "support/ModalWatcher.h"
#include "support/TempFolder.h"
#include "timecourse/TimeCourse.h"
#include "timecourse/TimeCourseDlg.h"
#include "ui/Timer.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The dye's absorbance: first order toward its end value.
constexpr double StartAbsorbance = 1.2, EndAbsorbance = 0.06, RateConstant = 0.25; // 1/s
constexpr double Blank = 800;

Readings Flat(double digits) {
    Readings readings{};
    readings.fill(int(std::nearbyint(digits)));
    return readings;
}

class KineticsTest : public ::testing::Test {
protected:
    TempFolder settings;
    SimulatedInstrument instrument;

    void SetUp() override {
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
    // Runs the program's own timers until `done` or `seconds` have passed.
    template <class Condition> static bool RunUntil(Condition done, double seconds) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < seconds * 1000)
            QTest::qWait(10);
        return done();
    }
};

TEST_F(KineticsTest, AHalfSecondSeriesKeepsItsIntervalAndGivesTheReactionsRateConstant) {
    instrument.ServeReadings(Flat(Blank));
    MainForm->MeasurementCommands->ReferenzspektrumAufnehmen->trigger();
    Cycles(MeasurementModes::CaptureCount);
    ASSERT_TRUE(MainForm->Measurement.Reference());
    EXPECT_EQ(MainForm->Messung_Timer->Interval(), 1000) << "outside a series the cycle keeps its pace";

    // The reaction runs on the test's clock from the start of the series.
    QElapsedTimer reaction;
    QTimer dye;
    QObject::connect(&dye, &QTimer::timeout, [&] {
        const double t = reaction.elapsed() / 1000.0;
        const double a = EndAbsorbance + (StartAbsorbance - EndAbsorbance) * std::exp(-RateConstant * t);
        instrument.ServeReadings(Flat(Blank * std::pow(10.0, -a)));
    });
    SeriesPlan plan;
    plan.Interval = 0.5;
    plan.Count = 20;
    const QString file = QString::fromStdString(settings.File("reaktion.csv"));
    // The dye is in the cuvette when the series starts, before the first tick of the test's clock.
    instrument.ServeReadings(Flat(Blank * std::pow(10.0, -StartAbsorbance)));
    reaction.start();
    dye.start(5);
    MainForm->Auto_CheckBox->setChecked(true);
    MainForm->SeriesCommands->StartSeries(plan, file);
    ASSERT_TRUE(MainForm->SeriesCommands->Running());
    EXPECT_FALSE(MainForm->Auto_CheckBox->isChecked()) << "one exposure for the whole series";
    ASSERT_TRUE(RunUntil([] { return !MainForm->SeriesCommands->Running(); }, 30));
    dye.stop();
    EXPECT_EQ(MainForm->Messung_Timer->Interval(), 1000) << "the plain pace again once the series ends";

    const TimedSeries series = *MainForm->SeriesCommands->Series();
    ASSERT_EQ(series.Spectra.size(), 20u) << "every interval of 0.5 s has its spectrum";
    for (size_t i = 0; i < series.Spectra.size(); ++i) {
        EXPECT_EQ(series.Spectra[i].Point, int32_t(i));
        EXPECT_GE(series.Spectra[i].Time, 0.5 * double(i));
        EXPECT_LT(series.Spectra[i].Time, 0.5 * double(i) + 0.5);
    }

    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590}, 2);
    const FitOutcome<KineticFit> fit = course.Fit(0, FitRequest(CourseModel::FirstOrderEndFree, 0, 100));
    ASSERT_TRUE(fit.Ok()) << fit.Message();
    std::printf("k' fitted %.5f 1/s against %.5f 1/s, A-end %.4f against %.4f\n", fit->RateConstant,
                RateConstant, fit->EndValue, EndAbsorbance);
    EXPECT_NEAR(fit->RateConstant, RateConstant, 0.03 * RateConstant);
    EXPECT_NEAR(fit->EndValue, EndAbsorbance, 0.02);
    EXPECT_NEAR(fit->HalfLife, std::log(2.0) / RateConstant, 0.03 * std::log(2.0) / RateConstant);

    // The table for a spreadsheet: a line per point, the absorbance and the fitted values.
    TimeCourseForm->FitButton->click();
    ASSERT_TRUE(TimeCourseForm->Fit());
    MainForm->SeriesCommands->ExportCourse(QString::fromStdString(settings.File("tabelle.csv")));
    const std::string table = TempFolder::Read(settings.File("tabelle.csv"));
    EXPECT_NE(table.find("\r\nt in s;Extinktion 590 nm;Anpassung 590 nm\r\n0,"), std::string::npos) << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 22);

    // A program killed while it writes leaves the last line cut short: every whole spectrum loads back,
    // and the user is told what was left out.
    const std::string bytes = TempFolder::Read(file.toStdString());
    const std::string cut = settings.File("abgebrochen.csv");
    TempFolder::Write(cut, bytes.substr(0, bytes.size() - 200));
    ModalWatcher watcher;
    MainForm->SeriesCommands->LoadSeries(QString::fromStdString(cut));
    ASSERT_EQ(watcher.Texts.size(), 1);
    const TimedSeries& loaded = *MainForm->SeriesCommands->Series();
    ASSERT_EQ(loaded.Spectra.size(), 19u);
    for (size_t i = 0; i < loaded.Spectra.size(); ++i) {
        EXPECT_EQ(loaded.Spectra[i].Readings, series.Spectra[i].Readings);
        EXPECT_NEAR(loaded.Spectra[i].Time, series.Spectra[i].Time, 0.001);
    }
    EXPECT_TRUE(TimeCourseForm->isVisible());
    EXPECT_EQ(TimeCourseForm->Course()->Curves()[0].size(), 19u) << "the time window shows what was loaded";
}

} // namespace
