// SPDX-License-Identifier: GPL-3.0-or-later
// The time-course window among the program's windows.
#include "app/MainFrm.h"
#include "app/MeasurementCommands.h"
#include "app/SeriesCommands.h"
#include "support/ProgramWindowsTest.h"
#include "timecourse/TimeCourseDlg.h"
#include "ui/ImageView.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QShortcut>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

class TimeCourseFormTest : public ProgramWindowsTest {
protected:
    // A first-order decay of A with k′ = 0.01 1/s and A∞ = 0.1, one point a second, its dark subtracted
    // (a sensor without dark signal) or not.
    TimedSeries Decay(int points, bool darkSubtracted = true) {
        TimedSeries series;
        ChannelReadings blank;
        blank.fill(800);
        series.Reference = EvidenceOfReadings(blank, 40, 8);
        series.Dark = EvidenceOfReadings(ChannelReadings{}, 40, 8);
        for (int i = 0; i < points; ++i) {
            ChannelReadings readings;
            readings.fill(int32_t(std::nearbyint(800 * std::pow(10.0, -(0.1 + std::exp(-0.01 * i))))));
            series.Spectra.push_back(MakeSeriesSpectrum(readings, i, i, 40));
            series.Spectra.back().DarkSubtracted = darkSubtracted;
        }
        return series;
    }
};

TEST_F(TimeCourseFormTest, KeepsItsChoicesOnceShownAndLeavesTheSettingsFileAloneOtherwise) {
    MainForm->SeriesCommands->Zeitverlauf->trigger();
    EXPECT_TRUE(TimeCourseForm->isVisible());
    TimeCourseForm->WavelengthEdits[1]->setText("628");
    emit TimeCourseForm->WavelengthEdits[1]->editingFinished();
    DestroyWindows();
    const std::string ini = TempFolder::Read(folder.File("KX207.INI"));
    EXPECT_NE(ini.find("[Zeitverlauf]"), std::string::npos);
    EXPECT_NE(ini.find("Wellenlaengen=590,628,"), std::string::npos);
    EXPECT_NE(ini.find("Sichtbar=1"), std::string::npos);

    CreateWindows({folder.Path()});
    EXPECT_TRUE(TimeCourseForm->isVisible()) << "shown again at the next start";
    EXPECT_EQ(TimeCourseForm->Wavelengths(), std::vector<double>({590, 628}));
    TimeCourseForm->hide();
    DestroyWindows();

    TempFolder fresh;
    CreateWindows({fresh.Path()});
    DestroyWindows();
    EXPECT_EQ(TempFolder::Read(fresh.File("KX207.INI")).find("Zeitverlauf"), std::string::npos);
    CreateWindows({folder.Path()});
}

TEST_F(TimeCourseFormTest, WavelengthsAndRangesThatCannotBeAreRefusedWhereTheyAreTyped) {
    MainForm->SeriesCommands->Zeitverlauf->trigger();
    TTimeCourseForm& form = *TimeCourseForm;
    const auto type = [](QLineEdit* field, const QString& text) {
        field->selectAll();
        QTest::keyClicks(field, text);
        emit field->editingFinished();
    };
    type(form.WavelengthEdits[1], QStringLiteral("628"));
    type(form.ToEdit, QStringLiteral("30"));
    // The field, what is typed, the label that says why it is refused, and why.
    const struct {
        QLineEdit* field;
        const char* text;
        QLabel* label;
        const char* reason;
    } cases[] = {
        {form.WavelengthEdits[1], "abc", form.InputLabel, "„abc“ ist keine Wellenlänge."},
        {form.WavelengthEdits[1], "300", form.InputLabel, "Kalibriert sind 360–675 nm."},
        {form.WavelengthEdits[1], "700", form.InputLabel, "Kalibriert sind 360–675 nm."},
        {form.WavelengthEdits[2], "590,0", form.InputLabel, "590,0 nm ist schon gewählt."},
        {form.FromEdit, "abc", form.ResultLabel, "„abc“ ist keine Zeit."},
        {form.FromEdit, "40", form.ResultLabel, "Der Bereich ist leer: „von“ muss vor „bis“ liegen."},
        {form.ToEdit, "0", form.ResultLabel, "Der Bereich ist leer: „von“ muss vor „bis“ liegen."},
    };
    for (const auto& test : cases) {
        const QString before = test.field->text();
        type(test.field, QString::fromUtf8(test.text));
        EXPECT_EQ(test.label->text().toStdString(), test.reason) << test.text;
        EXPECT_EQ(test.field->text(), before) << test.text << ": the field keeps its last good value";
    }
    EXPECT_EQ(form.Wavelengths(), std::vector<double>({590, 628}));
    type(form.WavelengthEdits[2], QStringLiteral("460"));
    EXPECT_EQ(form.InputLabel->text(), QString());
    EXPECT_EQ(form.Wavelengths(), std::vector<double>({590, 628, 460}));
}

TEST_F(TimeCourseFormTest, TheKeyboardReachesEveryMenuAndItsItems) {
    QMenuBar* bar = MainForm->menuBar();
    // Alt and a letter of its title opens each menu, the titles unchanged; F10 opens the first.
    QStringList keys;
    for (QShortcut* shortcut : MainForm->findChildren<QShortcut*>()) {
        const QString key = shortcut->key().toString();
        if (!key.startsWith(QStringLiteral("Alt+")) && key != QStringLiteral("F10")) continue;
        keys << key;
        emit shortcut->activated();
        ASSERT_TRUE(bar->activeAction()) << key.toStdString();
        const QString title = bar->activeAction()->text();
        EXPECT_TRUE(key == QStringLiteral("F10") ? title == QStringLiteral("Datei")
                                                 : title.contains(key.back(), Qt::CaseInsensitive))
            << key.toStdString() << " opens " << title.toStdString();
        bar->setActiveAction(nullptr);
    }
    keys.sort();
    EXPECT_EQ(keys.join(u' ').toStdString(), "Alt+A Alt+D Alt+H Alt+K Alt+M Alt+S Alt+U F10");
    // The items of the later menus each have a letter of their own within their menu.
    for (QMenu* menu : {MainForm->MeasurementCommands->Messung1, MainForm->Auswertung1,
                        MainForm->SeriesCommands->Kinetik1}) {
        QSet<QChar> letters;
        for (const QAction* item : menu->actions()) {
            if (item->isSeparator()) continue;
            const qsizetype mark = item->text().indexOf(u'&');
            ASSERT_GE(mark, 0) << item->text().toStdString();
            EXPECT_FALSE(letters.contains(item->text()[mark + 1].toLower())) << item->text().toStdString();
            letters.insert(item->text()[mark + 1].toLower());
        }
    }
    EXPECT_EQ(MainForm->SeriesCommands->JetztMischen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_M));
    EXPECT_EQ(MainForm->SeriesCommands->JetztMischen->shortcutContext(), Qt::ApplicationShortcut)
        << "from the time-course window too";
    EXPECT_FALSE(TimeCourseForm->MixButton->isVisibleTo(TimeCourseForm)) << "no series waits for it";
}

TEST_F(TimeCourseFormTest, AClickInTheMainDiagramNamesAWavelengthOnlyWhileAsked) {
    MainForm->SeriesCommands->Zeitverlauf->trigger();
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 93, 100);
    EXPECT_NE(MainForm->ReferenceValue, 0) << "without the window asking, a click sets the reference";
    MainForm->ImageMouseDown(Qt::RightButton, 0, 0);
    EXPECT_EQ(TimeCourseForm->WavelengthEdits[1]->text(), "");

    TimeCourseForm->PickButton->click();
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 93, 100);
    EXPECT_EQ(MainForm->ReferenceValue, 0);
    EXPECT_EQ(TimeCourseForm->WavelengthEdits[1]->text(), "591") << "channel 93 of 360 … 675 nm";
    EXPECT_TRUE(TimeCourseForm->PickButton->isChecked());
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 40 + 2, 100);
    EXPECT_EQ(TimeCourseForm->WavelengthEdits[2]->text(), "460");
    EXPECT_FALSE(TimeCourseForm->PickButton->isChecked()) << "three wavelengths end the choice";
    MainForm->ImageMouseDown(Qt::LeftButton, 4 * 60, 100);
    EXPECT_NE(MainForm->ReferenceValue, 0) << "and the clicks set the reference again";
    EXPECT_EQ(TimeCourseForm->CurveBox->count(), 3);
}

TEST_F(TimeCourseFormTest, FitsOnlyWhatItCanAndSaysWhyNot) {
    MainForm->SeriesCommands->Zeitverlauf->trigger();
    TimeCourseForm->FitButton->click();
    EXPECT_EQ(TimeCourseForm->ResultLabel->text(), "Keine Messwerte zum Anpassen.");

    TimedSeries few = Decay(2);
    few.Spectra.push_back(few.Spectra.back());
    few.Spectra.back().Readings.fill(1023);
    few.Spectra.back().Point = 2;
    TimeCourseForm->ShowSeries(&few);
    EXPECT_TRUE(TimeCourseForm->GapLabel->text().startsWith("1 Punkt ohne Wert: ü"))
        << TimeCourseForm->GapLabel->text().toStdString();
    TimeCourseForm->FitButton->click();
    EXPECT_FALSE(TimeCourseForm->Fit());
    EXPECT_FALSE(TimeCourseForm->ResultLabel->text().isEmpty()) << "too few points are said";

    const TimedSeries decay = Decay(300);
    TimeCourseForm->ShowSeries(&decay);
    TimeCourseForm->QuantityBox->setCurrentIndex(1);
    TimeCourseForm->FitButton->click();
    EXPECT_FALSE(TimeCourseForm->Fit());
    EXPECT_TRUE(TimeCourseForm->ResultLabel->text().contains("Extinktion"));

    TimeCourseForm->QuantityBox->setCurrentIndex(0);
    TimeCourseForm->FromEdit->setText("10");
    TimeCourseForm->ToEdit->setText("");
    TimeCourseForm->FitButton->click();
    ASSERT_TRUE(TimeCourseForm->Fit()) << TimeCourseForm->ResultLabel->text().toStdString();
    EXPECT_NEAR(TimeCourseForm->Fit()->RateConstant, 0.01, 0.0005);
    EXPECT_EQ(TimeCourseForm->Fit()->Count, 290) << "the range starts at 10 s";
    EXPECT_TRUE(TimeCourseForm->ResultLabel->text().startsWith("k′ = 0,0"));

    const double rate = TimeCourseForm->Fit()->RateConstant;
    TimeCourseForm->TimeUnitBox->setCurrentIndex(1);
    ASSERT_TRUE(TimeCourseForm->Fit()) << "the fit stays when the time unit changes";
    EXPECT_EQ(TimeCourseForm->Fit()->RateConstant, rate);
    EXPECT_TRUE(TimeCourseForm->ResultLabel->text().startsWith("k′ = 0,"));
    EXPECT_TRUE(TimeCourseForm->ResultLabel->text().contains(" 1/min\n"));
    EXPECT_EQ(TimeCourseForm->FromEdit->text(), "0,17") << "the range follows into minutes";
    TimeCourseForm->FromEdit->setText("1");
    TimeCourseForm->FitButton->click();
    ASSERT_TRUE(TimeCourseForm->Fit());
    EXPECT_EQ(TimeCourseForm->Fit()->Count, 240) << "from 1 min on";
    EXPECT_TRUE(TimeCourseForm->ResultLabel->text().contains("1/min"));
    const auto tableHeader = [] {
        const std::vector<QString> header = TimeCourseForm->Table({}).Header;
        return QStringList(header.begin(), header.end()).join(u';');
    };
    EXPECT_FALSE(tableHeader().contains("Dunkelabzug"));

    // A series measured in part without its dark subtracted says so with its fit and in its table.
    TimedSeries withoutDark = Decay(300, false);
    withoutDark.Spectra.front().DarkSubtracted = true;
    TimeCourseForm->ShowSeries(&withoutDark);
    TimeCourseForm->FitButton->click();
    ASSERT_TRUE(TimeCourseForm->Fit());
    EXPECT_TRUE(TimeCourseForm->ResultLabel->text().startsWith("Ohne Dunkelabzug gemessen"));
    EXPECT_TRUE(tableHeader().contains("ohne Dunkelabzug"));
    TimeCourseForm->QuantityBox->setCurrentIndex(2);
    EXPECT_FALSE(tableHeader().contains("Dunkelabzug")) << "Digits are what they are";
    TimeCourseForm->ShowSeries(nullptr);
}

TEST_F(TimeCourseFormTest, DraggingOverTheDiagramChoosesTheRangeAndTheReadoutFollowsThePointer) {
    const TimedSeries decay = Decay(101);
    MainForm->SeriesCommands->Zeitverlauf->trigger();
    TimeCourseForm->ShowSeries(&decay);
    TimeCourseForm->ImageMouseDown(Qt::LeftButton, 400, 200);
    TimeCourseForm->ImageMouseMove(Qt::LeftButton, 200, 200);
    const double from = TimeCourseForm->FromEdit->text().replace(',', '.').toDouble();
    const double to = TimeCourseForm->ToEdit->text().replace(',', '.').toDouble();
    EXPECT_LT(from, to);
    EXPECT_GT(from, 0);
    EXPECT_LT(to, 100);
    EXPECT_TRUE(TimeCourseForm->ReadoutLabel->text().startsWith("t = "));
    EXPECT_TRUE(TimeCourseForm->ReadoutLabel->text().contains(" s   A = "));
    TimeCourseForm->ShowSeries(nullptr);
}

} // namespace
