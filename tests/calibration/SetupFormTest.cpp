#include "app/IniFile.h"
#include "calibration/Setup.h"
#include "support/ProgramWindowsTest.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
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
        EXPECT_DOUBLE_EQ(MainForm->Calibration.NmPerChannel, (lambdaMax - lambdaMin) / 127.0);
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

TEST_F(SetupFormTest, ARangeOutsideTheEditsIsClampedAndCancelRestoresItExactly) {
    // A loaded file may bring a first wavelength below anything the dialog offers.
    MainForm->SetCalibration(250, 565);
    Open();
    EXPECT_EQ(SetupForm->Lambda_min_Edit->value(), 300);
    ExpectAxis(300, 615);
    SetupForm->Cancel_Button->click();
    ExpectAxis(250, 565);
}

} // namespace
