// SPDX-License-Identifier: GPL-3.0-or-later
#include "bigview/BigDlg.h"
#include "support/ProgramWindowsTest.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ReadoutTest : public ProgramWindowsTest {
protected:
    static QString ReadoutAt(int x) {
        MainForm->ImageMouseMove(Qt::NoButton, x, 100);
        return MainForm->LambdaEdit->text();
    }
    // Puts the pointer there as the window system does: the control under it gets the move.
    static void Move(QWidget* widget, QPoint at) { QTest::mouseMove(widget, at); }
};

TEST_F(ReadoutTest, PointerGivesWavelengthAndLevelOfTheChannelUnderIt) {
    MainForm->Spectrum.Readings[0] = 11;
    MainForm->Spectrum.Readings[100] = 613;
    MainForm->Spectrum.Readings[127] = 27;
    MainForm->DrawSpectrum();
    EXPECT_EQ(ReadoutAt(0), "360nm => 11 Digits");
    EXPECT_EQ(ReadoutAt(2), "361nm => 11 Digits");
    EXPECT_EQ(ReadoutAt(400), "608nm => 613 Digits");
    EXPECT_EQ(ReadoutAt(508), "675nm => 27 Digits");
    EXPECT_TRUE(MainForm->LambdaEdit->isVisibleTo(MainForm));
}

TEST_F(ReadoutTest, CorrectionIsAppliedOnceMoreAtThePointer) {
    MainForm->Korrektur_CheckBox->setChecked(true);
    MainForm->Spectrum.Readings[100] = 500;
    MainForm->DrawSpectrum();
    EXPECT_EQ(MainForm->Spectrum.Levels[100], 613);
    EXPECT_EQ(ReadoutAt(400), "608nm => 751 Digits");
}

TEST_F(ReadoutTest, StatusAndPositionFieldsShowTheLevelsAndTheCorrectionRedrawsAtOnce) {
    // Readings rising to the right; corrected, the short wavelengths rise most.
    for (int c = 0; c < 128; ++c)
        MainForm->Spectrum.Readings[c] = 400 + c;
    MainForm->DrawSpectrum();
    EXPECT_EQ(MainForm->StatusBar->PanelText(0), "Max: 527");
    EXPECT_EQ(MainForm->StatusBar->PanelText(1), "Min: 400");
    EXPECT_EQ(MainForm->MaxPos_Edit->text(), "675nm");
    EXPECT_EQ(MainForm->MinPos_Edit->text(), "360nm");
    QTest::mouseClick(MainForm->Korrektur_CheckBox, Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_TRUE(MainForm->Korrektur_CheckBox->isChecked());
    EXPECT_EQ(MainForm->StatusBar->PanelText(0), "Max: 1020") << "redrawn while not measuring";
    EXPECT_EQ(MainForm->StatusBar->PanelText(1), "Min: 555");
    EXPECT_EQ(MainForm->MaxPos_Edit->text(), "405nm") << "above 1023 becomes 1000, below stays";
    EXPECT_EQ(MainForm->MinPos_Edit->text(), "675nm");
}

TEST_F(ReadoutTest, PositionsOutsideTheDiagramStillNameAChannel) {
    MainForm->Spectrum.Readings[0] = 5;
    MainForm->Spectrum.Readings[127] = 9;
    MainForm->DrawSpectrum();
    MainForm->ImageMouseMove(Qt::LeftButton, -40, 10);
    EXPECT_EQ(MainForm->CursorX, 0);
    EXPECT_EQ(MainForm->LambdaEdit->text(), "360nm => 5 Digits");
    MainForm->ImageMouseMove(Qt::LeftButton, 900, 10);
    EXPECT_EQ(MainForm->CursorX, 511);
    EXPECT_EQ(MainForm->LambdaEdit->text(), "677nm => 9 Digits");
}

TEST_F(ReadoutTest, MovesOverDiagramStripAndBackgroundShowAndHideTheReadout) {
    Move(MainForm->Spektral_Image, QPoint(8, 10));
    EXPECT_TRUE(MainForm->LambdaEdit->isVisibleTo(MainForm));
    EXPECT_EQ(MainForm->CursorX, 8);
    const std::pair<const char*, QWidget*> controls[] = {
        {"check box in a group box", MainForm->Min_CheckBox},
        {"label in a group box", MainForm->Label3},
        {"check box in the exposure box", MainForm->Korrektur_CheckBox},
        {"separator", MainForm->GroupBox4},
        {"axis label", MainForm->Lambda_min_Label}};
    for (const auto& [name, control] : controls) {
        Move(control, QPoint(2, 0));
        EXPECT_TRUE(MainForm->LambdaEdit->isVisibleTo(MainForm)) << name << " leaves the readout";
    }
    BigForm->LambdaEdit->show();
    Move(MainForm->GroupBox2, QPoint(2, 190));
    EXPECT_FALSE(MainForm->LambdaEdit->isVisibleTo(MainForm));
    EXPECT_FALSE(BigForm->LambdaEdit->isVisibleTo(BigForm));
    Move(MainForm->Image, QPoint(40, 10));
    EXPECT_TRUE(MainForm->LambdaEdit->isVisibleTo(MainForm));
    Move(MainForm->centralWidget(), QPoint(250, 70));
    EXPECT_FALSE(MainForm->LambdaEdit->isVisibleTo(MainForm));
}

TEST_F(ReadoutTest, ClicksSetAndClearTheReferenceInBothWindows) {
    MainForm->Autoscale_CheckBox->setChecked(false);
    MainForm->Skalierung_SpinEdit->setValue(4);
    MainForm->DrawSpectrum();
    MainForm->ImageMouseDown(Qt::LeftButton, 30, 128);
    EXPECT_EQ(MainForm->ReferenceValue, 512);
    EXPECT_EQ(MainForm->RefEdit->text(), "Referenzwert: 512");
    EXPECT_EQ(BigForm->RefEdit->text(), "Referenzwert: 512");
    EXPECT_TRUE(MainForm->RefEdit->isVisibleTo(MainForm));
    EXPECT_TRUE(BigForm->RefEdit->isVisibleTo(BigForm));

    MainForm->ImageMouseDown(Qt::RightButton, 30, 50);
    EXPECT_EQ(MainForm->ReferenceValue, 0);
    EXPECT_FALSE(MainForm->RefEdit->isVisibleTo(MainForm));
    EXPECT_FALSE(BigForm->RefEdit->isVisibleTo(BigForm));

    MainForm->ImageMouseDown(Qt::LeftButton | Qt::RightButton, 30, 192);
    EXPECT_EQ(MainForm->ReferenceValue, 256) << "clearing runs first, then the left button sets";
}

TEST_F(ReadoutTest, AClickInAViewNamesTheReferenceInTheViewsUnit) {
    EvaluatedMeasurement& measurement = MainForm->Measurement;
    ChannelReadings blank, half;
    blank.fill(1000);
    half.fill(500);
    measurement.StartCapture(MeasurementModes::Capture::Reference);
    for (int i = 0; i < MeasurementModes::CaptureCount; ++i)
        measurement.Process(blank, 0, MainForm->Calibration);
    measurement.SetView(MeasurementView::Transmission);
    measurement.Process(half, 0, MainForm->Calibration);
    measurement.Evaluate();
    MainForm->ImageMouseDown(Qt::LeftButton, 30, 64);
    EXPECT_EQ(MainForm->RefEdit->text(), "Referenzwert: 75,0 %") << "the row three quarters up a 100 % scale";
}

TEST_F(ReadoutTest, SnapshotPutsTheDiagramOnTheClipboard) {
    MainForm->Spectrum.Readings[10] = 200;
    MainForm->DrawSpectrum();
    MainForm->SchnappschussButtonClick();
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(509, 256));
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), MainForm->Image->Picture());
}

} // namespace
