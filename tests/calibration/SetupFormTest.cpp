// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/Setup.h"
#include "settings/IniFile.h"
#include "support/FakeMainWindow.h"
#include "support/LayoutTable.h"
#include "support/ProgramWindowsTest.h"
#include "ui/ImageView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

class SetupFormTest : public ProgramWindowsTest {
protected:
    void Open() {
        SetupForm->show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(SetupForm, &activate);
    }
    std::string Stored(const std::string& key) const {
        return TIniFile("KX207.INI", folder.Path()).ReadString("TSL1401", key, "<absent>");
    }
    static void ExpectAxis(int32_t lambdaMin, int32_t lambdaMax) {
        EXPECT_EQ(MainForm->Calibration.LambdaMin, lambdaMin);
        EXPECT_EQ(MainForm->Calibration.LambdaMax, lambdaMax);
        EXPECT_DOUBLE_EQ(MainForm->Calibration.NmPerChannel, (double(lambdaMax) - lambdaMin) / 127.0);
        EXPECT_EQ(MainForm->Lambda_min_Label->text(), QString::number(lambdaMin) + "nm");
        EXPECT_EQ(MainForm->Lambda_max_Label->text(), QString::number(lambdaMax) + "nm");
    }
};

TEST_F(SetupFormTest, OpeningShowsTheCalibrationAndChangesNothing) {
    MainForm->ZeroOffset = 15;
    Open();
    EXPECT_EQ(SetupForm->Lambda_min_Edit->value(), 360);
    EXPECT_EQ(SetupForm->Bereich_Edit->value(), 315);
    EXPECT_EQ(SetupForm->Lambda_max_Edit->text(), "675");
    EXPECT_EQ(SetupForm->OffsetEdit->value(), 15);
    EXPECT_FALSE(SetupForm->Lambda_max_Edit->isEnabled());
    ExpectAxis(360, 675);
    EXPECT_EQ(MainForm->ZeroOffset, 15);
}

TEST_F(SetupFormTest, EachStepTakesEffectAtOnce) {
    Open();
    SetupForm->Lambda_min_Edit->stepUp();
    ExpectAxis(361, 676);
    EXPECT_EQ(SetupForm->Bereich_Edit->value(), 315);
    EXPECT_EQ(SetupForm->Lambda_max_Edit->text(), "676");
    SetupForm->Bereich_Edit->stepUp();
    ExpectAxis(361, 677);

    SetupForm->OffsetEdit->stepUp();
    EXPECT_EQ(MainForm->ZeroOffset, 5);
    SetupForm->OffsetEdit->stepDown();
    SetupForm->OffsetEdit->stepDown();
    EXPECT_EQ(MainForm->ZeroOffset, 0);
    SetupForm->OffsetEdit->setValue(500);
    EXPECT_EQ(MainForm->ZeroOffset, 200);
}

TEST_F(SetupFormTest, OkKeepsAndStoresTheRange) {
    Open();
    SetupForm->Lambda_min_Edit->stepUp();
    SetupForm->OffsetEdit->stepUp();
    SetupForm->OK_Button->click();
    EXPECT_FALSE(SetupForm->isVisible());
    ExpectAxis(361, 676);
    EXPECT_EQ(Stored("Lambda_min"), "361");
    EXPECT_EQ(Stored("Lambda_max"), "676");
    EXPECT_EQ(TIniFile("KX207.INI", folder.Path()).ReadString("Diagramm", "Offset", "<absent>"), "<absent>")
        << "the offset is stored at the end of the run, not here";
}

TEST_F(SetupFormTest, CancelEscapeAndCloseBoxReturnToTheRestorePoint) {
    for (int way = 0; way < 3; ++way) {
        MainForm->ZeroOffset = 10;
        Open();
        SetupForm->Lambda_min_Edit->stepDown();
        SetupForm->Bereich_Edit->stepUp();
        SetupForm->OffsetEdit->stepUp();
        if (way == 0) {
            SetupForm->Cancel_Button->click();
        } else if (way == 1) {
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(SetupForm, &escape);
        } else {
            SetupForm->close();
        }
        EXPECT_FALSE(SetupForm->isVisible()) << way;
        ExpectAxis(360, 675);
        EXPECT_EQ(MainForm->ZeroOffset, 10) << way;
        EXPECT_EQ(SetupForm->Lambda_min_Edit->value(), 360);
        EXPECT_EQ(SetupForm->Bereich_Edit->value(), 315);
        EXPECT_EQ(Stored("Lambda_min"), "<absent>");
    }
}

TEST_F(SetupFormTest, ReturningToTheDialogTakesANewRestorePoint) {
    Open();
    SetupForm->Lambda_min_Edit->stepUp();
    Open();
    SetupForm->Lambda_min_Edit->stepUp();
    SetupForm->Cancel_Button->click();
    ExpectAxis(361, 676);
}

TEST_F(SetupFormTest, ThePointerOverTheMainDiagramLeavesTheDialogActive) {
    MainForm->Einstellungen->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(SetupForm));
    QTest::mouseMove(MainForm->Image, QPoint(40, 10));
    EXPECT_TRUE(MainForm->LambdaEdit->isVisibleTo(MainForm)) << "the readout still follows the pointer";
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), SetupForm);
    SetupForm->hide();
    QTest::mouseMove(MainForm->Image, QPoint(50, 10));
    EXPECT_TRUE(QTest::qWaitForWindowActive(MainForm))
        << "without the dialog the main window takes the focus";
}

TEST_F(SetupFormTest, ReopensWhereTheUserLeftIt) {
    MainForm->Einstellungen->trigger();
    const QPoint left = SetupForm->pos() + QPoint(-37, 23);
    // Moved by the user through the window system, not by the program.
    SetupForm->windowHandle()->setFramePosition(left);
    QTRY_COMPARE(SetupForm->pos(), left);
    SetupForm->Cancel_Button->click();
    MainForm->Einstellungen->trigger();
    EXPECT_EQ(SetupForm->pos(), left);
}

TEST_F(SetupFormTest, ARangeOutsideTheEditsIsClampedAndCancelRestoresItExactly) {
    // A loaded file may bring a first wavelength below anything the dialog offers.
    MainForm->SetCalibration(250, 565);
    Open();
    EXPECT_EQ(SetupForm->Lambda_min_Edit->value(), 300);
    ExpectAxis(300, 615);
    SetupForm->Cancel_Button->click();
    ExpectAxis(250, 565);
}

TEST_F(SetupFormTest, ControlsShowTheirCaptionsHintsStatesAndLimits) {
    TSetupForm& f = *SetupForm;
    Open();
    EXPECT_EQ(f.windowTitle(), "Einstellungen");
    EXPECT_EQ(f.size(), QSize(224, 199));
    ExpectFaces({
        {"GroupBox4", f.GroupBox4, "Wellenlängenkalibrierung ", "", true, false},
        {"Label1", f.Label1, "Minimum [nm]:", "", true, false},
        {"Lambda_min_Edit", f.Lambda_min_Edit, "360", "kleinste Wellenlänge", true, false},
        {"Label3", f.Label3, "Bereich [nm]:", "", true, false},
        {"Bereich_Edit", f.Bereich_Edit, "315", "Wellenlängenbereich", true, false},
        {"Label2", f.Label2, "Maximum [nm]:", "", true, false},
        {"Lambda_max_Edit", f.Lambda_max_Edit, "675", "Größte Wellenlänge", false, false},
        {"Label4", f.Label4, "Nulloffset:", "", true, false},
        {"OffsetEdit", f.OffsetEdit, "0", "Nulloffset", true, false},
        {"OK_Button", f.OK_Button, "OK", "Werte übernehmen...", true, false},
        {"Cancel_Button", f.Cancel_Button, "Abbruch", "Abbruch. Daten werden nicht übernommen.", true, false},
    });
    EXPECT_TRUE(f.Lambda_max_Edit->isReadOnly());
    EXPECT_TRUE(f.OK_Button->isDefault());
    EXPECT_TRUE(f.OK_Button->font().bold());
    EXPECT_TRUE(f.Cancel_Button->font().bold());
    const struct {
        QSpinBox* edit;
        int minimum, maximum, step;
    } limits[] = {{f.Lambda_min_Edit, 300, 500, 1}, {f.Bereich_Edit, 250, 350, 1}, {f.OffsetEdit, 0, 200, 5}};
    for (const auto& limit : limits) {
        EXPECT_EQ(limit.edit->minimum(), limit.minimum);
        EXPECT_EQ(limit.edit->maximum(), limit.maximum);
        EXPECT_EQ(limit.edit->singleStep(), limit.step);
    }
}

TEST_F(SetupFormTest, OnlyTheSpinArrowsAndArrowKeysStepASpinEditAndOnlyOnce) {
    Open();
    MainForm->Autoscale_CheckBox->setChecked(false);
    MainForm->Skalierung_SpinEdit->setValue(2);
    const struct {
        QSpinBox* edit;
        int from, up;
    } edits[] = {{SetupForm->Lambda_min_Edit, 360, 361},
                 {SetupForm->Bereich_Edit, 315, 316},
                 {SetupForm->OffsetEdit, 0, 5},
                 {MainForm->Skalierung_SpinEdit, 2, 3}};
    for (const auto& e : edits) {
        const auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event({5, 5}, e.edit->mapToGlobal(QPointF(5, 5)), {}, {0, delta}, Qt::NoButton,
                              modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e.edit, &event);
        };
        // The arrows sit one above the other at the right end.
        const auto click = [&](int row) {
            QTest::mouseClick(e.edit, Qt::LeftButton, {}, {e.edit->width() - 5, row});
        };
        const std::string name = e.edit->toolTip().toStdString();
        QTest::keyClick(e.edit, Qt::Key_PageUp);
        wheel(120, Qt::NoModifier);
        wheel(120, Qt::ControlModifier);
        EXPECT_EQ(e.edit->value(), e.from) << name << ": Page Up and the wheel";
        QTest::keyClick(e.edit, Qt::Key_Up, Qt::ControlModifier);
        EXPECT_EQ(e.edit->value(), e.up) << name << ": Ctrl+Up";
        QTest::keyClick(e.edit, Qt::Key_PageDown);
        wheel(-120, Qt::ShiftModifier);
        click(e.edit->height() - 5);
        EXPECT_EQ(e.edit->value(), e.from) << name << ": Page Down, the wheel, the down arrow";
        click(5);
        EXPECT_EQ(e.edit->value(), e.up) << name << ": the up arrow";
        QTest::keyClick(e.edit, Qt::Key_Down);
        EXPECT_EQ(e.edit->value(), e.from) << name << ": Down";
    }
    QTest::keyClick(SetupForm->Lambda_min_Edit, Qt::Key_Up);
    ExpectAxis(361, 676);
}

TEST_F(SetupFormTest, EndsAsFarApartAsThirtyTwoBitsAllowAreClampedWithoutOverflow) {
    MainForm->SetCalibration(INT32_MIN, INT32_MAX);
    Open();
    EXPECT_EQ(SetupForm->Lambda_min_Edit->value(), 300);
    EXPECT_EQ(SetupForm->Bereich_Edit->value(), 350);
    ExpectAxis(300, 650);
    SetupForm->Cancel_Button->click();
    ExpectAxis(INT32_MIN, INT32_MAX);

    MainForm->SetCalibration(INT32_MAX, INT32_MIN);
    Open();
    EXPECT_EQ(SetupForm->Bereich_Edit->value(), 250);
    SetupForm->Cancel_Button->click();
    ExpectAxis(INT32_MAX, INT32_MIN);
}

TEST(SetupFormAloneTest, EachStepReachesTheMainWindowAndCancelReturnsWhatItHad) {
    FakeMainWindow mainWindow;
    TSetupForm form(mainWindow);
    form.show();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&form, &activate);
    QTest::keyClick(form.Lambda_min_Edit, Qt::Key_Up);
    EXPECT_EQ(mainWindow.State.Calibration.LambdaMin, 361);
    EXPECT_EQ(mainWindow.State.Calibration.LambdaMax, 676);
    EXPECT_GT(mainWindow.Redraws, 0);
    QTest::mouseClick(form.Cancel_Button, Qt::LeftButton);
    EXPECT_EQ(mainWindow.State.Calibration.LambdaMin, 360);
    EXPECT_EQ(mainWindow.State.Calibration.LambdaMax, 675);
}

} // namespace
