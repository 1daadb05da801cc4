// SPDX-License-Identifier: GPL-3.0-or-later
// A timed series of a reaction measured from the simulated instrument, end to end.
#include "BulbProgramTest.h"
#include "app/SeriesCommands.h"
#include "support/ModalWatcher.h"
#include "timecourse/SeriesDialog.h"
#include "timecourse/TimeCourse.h"
#include "timecourse/TimeCourseDlg.h"
#include "ui/Timer.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// The simulator's crystal violet bleached 60 times faster than the clock: its 0.28 per minute become
// 0.28 per second, so the series sees nearly three time constants.
constexpr double TimeFactor = 60;

class KineticsTest : public BulbProgramTest {
protected:
    // Runs the program's own timers until `done` or `seconds` have passed.
    template <class Condition> static bool RunUntil(Condition done, double seconds) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < seconds * 1000)
            QTest::qWait(10);
        return done();
    }
    // What the dialog "Zeitreihe starten" warns of before the start; it is cancelled.
    static QString StartWarning() {
        QString warning;
        QTimer::singleShot(100, [&warning] {
            if (auto* dialog = qobject_cast<TSeriesDialog*>(QApplication::activeModalWidget())) {
                warning = dialog->WarningLabel->text();
                dialog->reject();
            }
        });
        MainForm->SeriesCommands->ZeitreiheStarten->trigger();
        return warning;
    }
};

TEST_F(KineticsTest, AHalfSecondSeriesKeepsItsIntervalAndGivesTheReactionsRateConstant) {
    const QString unprepared = StartWarning();
    EXPECT_TRUE(unprepared.contains("Kein Referenzspektrum") && unprepared.contains("Ohne Dunkelabzug"))
        << unprepared.toStdString();
    TakeDarkAndReference();
    EXPECT_EQ(MainForm->Messung_Timer->Interval(), 1000) << "outside a series the cycle keeps its pace";
    EXPECT_FALSE(StartWarning().contains("Dunkel")) << "ready for a series";

    ReactionOptions dye;
    dye.timeFactor = TimeFactor;
    const double rate = dye.ratePerMinute * TimeFactor / 60; // 1/s of the test's clock
    SeriesPlan plan;
    plan.Interval = 0.5;
    plan.Count = 20;
    const QString file = QString::fromStdString(settings.File("reaktion.csv"));
    instrument.StartReaction(dye);
    MainForm->Auto_CheckBox->setChecked(true);
    MainForm->SeriesCommands->StartSeries(plan, file);
    ASSERT_TRUE(MainForm->SeriesCommands->Running());
    EXPECT_FALSE(MainForm->Auto_CheckBox->isChecked()) << "one exposure for the whole series";
    ASSERT_TRUE(RunUntil([] { return !MainForm->SeriesCommands->Running(); }, 30));
    EXPECT_EQ(MainForm->Messung_Timer->Interval(), 1000) << "the plain pace again once the series ends";

    const TimedSeries series = *MainForm->SeriesCommands->Series();
    ASSERT_EQ(series.Spectra.size(), 20u) << "every interval of 0.5 s has its spectrum";
    for (size_t i = 0; i < series.Spectra.size(); ++i) {
        EXPECT_EQ(series.Spectra[i].Point, int32_t(i));
        EXPECT_GE(series.Spectra[i].Time, 0.5 * double(i));
        EXPECT_LT(series.Spectra[i].Time, 0.5 * double(i) + 0.5);
    }

    TimeCourse course(series);
    // The band's ± 10 nm average eight channels, as the dye's broad band allows.
    course.Recompute(SeriesQuantity::Absorbance, {590}, 10);
    const FitOutcome<KineticFit> fit =
        course.Fit(0, FitRequest(CourseModel::FirstOrderEndFree, 0, 100)).Outcome;
    ASSERT_TRUE(fit.Ok()) << fit.Message();
    std::printf("k' fitted %.5f 1/s against %.5f 1/s, A-end %.4f against %.4f\n", fit->RateConstant, rate,
                fit->EndValue, dye.end);
    EXPECT_NEAR(fit->RateConstant, rate, 0.03 * rate);
    EXPECT_NEAR(fit->EndValue, dye.end, 0.02);
    EXPECT_NEAR(fit->HalfLife, std::log(2.0) / rate, 0.03 * std::log(2.0) / rate);

    // The table for a spreadsheet: a line per point, the absorbance and the fitted values.
    TimeCourseForm->FitButton->click();
    ASSERT_TRUE(TimeCourseForm->Fit());
    MainForm->SeriesCommands->ExportCourse(QString::fromStdString(settings.File("tabelle.csv")));
    const std::string table = TempFolder::Read(settings.File("tabelle.csv"));
    EXPECT_NE(table.find("\r\nt in s;Extinktion 590 nm;u 590 nm;Anpassung 590 nm\r\n0,"), std::string::npos)
        << table;
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 22);

    // A program killed while it writes leaves the last line cut short: every whole spectrum loads back,
    // and the user is told what was left out.
    const std::string bytes = TempFolder::Read(file.toStdString());
    const std::string cut = settings.File("abgebrochen.csv");
    TempFolder::Write(cut, bytes.substr(0, bytes.size() - 200));
    ModalWatcher watcher;
    MainForm->SeriesCommands->LoadSeries(QString::fromStdString(cut));
    ASSERT_EQ(watcher.Texts.size(), 1);
    EXPECT_TRUE(watcher.Texts[0].startsWith(
        QStringLiteral("„%1“ ist nicht vollständig geladen.\n\nÜbersprungen:\nZeile ")
            .arg(QString::fromStdString(cut))));
    EXPECT_TRUE(watcher.Texts[0].contains(QStringLiteral("\nDie Datei endet vorzeitig")))
        << "and says it is cut";
    const TimedSeries& loaded = *MainForm->SeriesCommands->Series();
    ASSERT_EQ(loaded.Spectra.size(), 19u);
    for (size_t i = 0; i < loaded.Spectra.size(); ++i) {
        EXPECT_EQ(loaded.Spectra[i].Readings, series.Spectra[i].Readings);
        EXPECT_NEAR(loaded.Spectra[i].Time, series.Spectra[i].Time, 0.001);
    }
    EXPECT_TRUE(TimeCourseForm->isVisible());
    EXPECT_EQ(TimeCourseForm->Course()->Curves()[0].size(), 19u) << "the time window shows what was loaded";
}

TEST_F(KineticsTest, ASeriesWhoseRememberedFolderIsGoneStartsInTheUsersOwnFolder) {
    MainForm->IniFile->WriteString("Messung", "Exportverzeichnis", settings.File("fort/"));
    const QString own = QDir::homePath() + QStringLiteral("/KX207");
    QDir(own).removeRecursively();
    QTimer::singleShot(100, [] {
        if (auto* dialog = qobject_cast<TSeriesDialog*>(QApplication::activeModalWidget())) dialog->accept();
    });
    MainForm->SeriesCommands->ZeitreiheStarten->trigger();
    ASSERT_TRUE(MainForm->SeriesCommands->Running());
    MainForm->SeriesCommands->ZeitreiheBeenden->trigger();
    EXPECT_EQ(QDir(own).entryList({QStringLiteral("Zeitreihe *.csv")}, QDir::Files).size(), 1);
}

// The lesson as the handbook teaches it: "Automatik" finds the exposure, averaging stays at 1, dark and
// reference are taken and the dark subtracted; the band is the single channel at 590 nm. Every point
// has a value, and the fit gives the simulator's rate within 2 %.
TEST_F(KineticsTest, TheLessonAsTheHandbookTeachesItGivesEveryPointAndTheRate) {
    MainForm->Auto_CheckBox->setChecked(true);
    Cycles(30);
    TakeDarkAndReference();
    ASSERT_EQ(MainForm->Measurement.Averaging(), 1);
    std::printf("exposure chosen by Automatik: %d\n", MainForm->TrackBar->value());

    ReactionOptions dye;
    dye.timeFactor = TimeFactor;
    const double rate = dye.ratePerMinute * TimeFactor / 60;
    SeriesPlan plan;
    plan.Interval = 0.5;
    plan.Count = 30;
    instrument.StartReaction(dye);
    MainForm->SeriesCommands->StartSeries(plan, QString::fromStdString(settings.File("lektion.csv")));
    ASSERT_TRUE(RunUntil([] { return !MainForm->SeriesCommands->Running(); }, 40));

    const TimedSeries series = *MainForm->SeriesCommands->Series();
    TimeCourse course(series);
    course.Recompute(SeriesQuantity::Absorbance, {590}, 0);
    const std::vector<CoursePoint>& curve = course.Curves()[0];
    const auto valued = std::count_if(curve.begin(), curve.end(), [](const CoursePoint& point) {
        return point.Value.Value && !point.Value.Bound;
    });
    const TimeCourse::CourseFit fit = course.Fit(0, FitRequest(CourseModel::FirstOrderEndFree, 0, 100));
    ASSERT_TRUE(fit.Outcome.Ok()) << fit.Outcome.Message();
    std::printf("%d of %zu points with a value; k' fitted %.5f +- %.5f 1/s against %.5f 1/s (%+.2f %%)\n",
                int(valued), curve.size(), fit.Outcome->RateConstant, fit.Outcome->RateConstantError, rate,
                100 * (fit.Outcome->RateConstant / rate - 1));
    EXPECT_EQ(size_t(valued), curve.size());
    EXPECT_FALSE(course.WithoutDark());
    EXPECT_NEAR(fit.Outcome->RateConstant, rate, 0.02 * rate);
}

} // namespace
