// SPDX-License-Identifier: GPL-3.0-or-later
#include "bigview/BigDlg.h"
#include "settings/IniFile.h"
#include "support/FakeMainWindow.h"
#include "support/LayoutTable.h"
#include "support/ProgramWindowsTest.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class BigFormTest : public ProgramWindowsTest {
protected:
    static void ManualScale(int divisor) {
        MainForm->Autoscale_CheckBox->setChecked(false);
        MainForm->Skalierung_SpinEdit->setValue(divisor);
    }
    static QRgb BigPixel(int x, int y) { return BigForm->Image->Picture().pixel(x, y) & 0xFFFFFF; }
    static QRgb MainPixel(int x, int y) { return MainForm->Image->Picture().pixel(x, y) & 0xFFFFFF; }
};

TEST_F(BigFormTest, FollowsEveryRedrawWhileShown) {
    MainForm->Balkendiagramm_CheckBox->setChecked(false);
    MainForm->Spektralfarben_CheckBox->setChecked(false);
    MainForm->Gitter_CheckBox->setChecked(false);
    MainForm->Max_CheckBox->setChecked(false);
    ManualScale(1);
    MainForm->GroesSpektrogramm1->trigger();
    for (auto& reading : MainForm->Spectrum.Readings)
        reading = 100;
    MainForm->DrawSpectrum();
    EXPECT_EQ(MainPixel(40, 155), 0xFFFF00u) << "level 100 on row 255 - 100 of the main diagram";
    EXPECT_EQ(BigPixel(80, 311), 0xFFFF00u) << "and on row 511 - 200 of the large one";
    EXPECT_EQ(BigForm->Range_Label1->text(), "256");
    EXPECT_EQ(MainForm->Range_Label1->text(), "256");
    EXPECT_EQ(BigForm->Lambda_min_Label->text(), "360nm");
    EXPECT_EQ(BigForm->Lambda_max_Label->text(), "675nm");

    MainForm->GroesSpektrogramm1->trigger();
    for (auto& reading : MainForm->Spectrum.Readings)
        reading = 50;
    MainForm->DrawSpectrum();
    EXPECT_EQ(BigPixel(80, 311), 0xFFFF00u) << "a hidden window is not redrawn";
}

TEST_F(BigFormTest, ReadoutUsesEightColumnsPerChannel) {
    MainForm->Spectrum.Readings[0] = 7;
    MainForm->Spectrum.Readings[127] = 345;
    MainForm->DrawSpectrum();
    BigForm->ImageMouseMove(Qt::NoButton, 0, 10);
    EXPECT_EQ(BigForm->LambdaEdit->text(), "360nm => 7 Digits");
    BigForm->ImageMouseMove(Qt::NoButton, 1016, 10);
    EXPECT_EQ(BigForm->LambdaEdit->text(), "675nm => 345 Digits");
    BigForm->Spektral_ImageMouseMove(Qt::LeftButton, 5000, 10);
    EXPECT_EQ(BigForm->BigCursorX, 1023);
    EXPECT_TRUE(BigForm->LambdaEdit->isVisibleTo(BigForm));

    MainForm->GroesSpektrogramm1->trigger();
    BigForm->move(MainForm->frameGeometry().right() + 10, 0); // the pointer finds this window alone
    BigForm->LambdaEdit->hide();
    QTest::mouseMove(BigForm->Image, QPoint(0, 10));
    EXPECT_EQ(BigForm->LambdaEdit->text(), "360nm => 7 Digits");
    QTest::mouseMove(BigForm->Range_Label2, QPoint(2, 2));
    EXPECT_TRUE(BigForm->LambdaEdit->isVisibleTo(BigForm)) << "a label leaves the readout";
    QTest::mouseMove(BigForm, QPoint(1040, 600));
    EXPECT_FALSE(BigForm->LambdaEdit->isVisibleTo(BigForm)) << "the background hides it";
}

TEST_F(BigFormTest, ReferenceClicksAreSharedWithTheMainWindow) {
    ManualScale(2);
    MainForm->GroesSpektrogramm1->trigger();
    BigForm->ImageMouseDown(Qt::LeftButton, 10, 312);
    EXPECT_EQ(MainForm->ReferenceValue, 200);
    EXPECT_EQ(MainForm->RefEdit->text(), "Referenzwert: 200");
    EXPECT_EQ(BigForm->RefEdit->text(), "Referenzwert: 200");
    EXPECT_EQ(MainPixel(300, 156), 0xFFFFFFu) << "main reference line on row 256 - 100";
    EXPECT_EQ(BigPixel(600, 312), 0xFFFFFFu) << "large reference line on row 512 - 200";
    EXPECT_EQ(BigPixel(600, 311), 0xFFFFFFu) << "two pixels wide";

    BigForm->ImageMouseDown(Qt::RightButton, 10, 312);
    EXPECT_EQ(MainForm->ReferenceValue, 0);
    EXPECT_FALSE(MainForm->RefEdit->isVisibleTo(MainForm));
    EXPECT_FALSE(BigForm->RefEdit->isVisibleTo(BigForm));
    EXPECT_EQ(BigPixel(600, 312), 0u);
}

TEST_F(BigFormTest, CloseBoxHidesWithoutChangingTheStoredState) {
    MainForm->GroesSpektrogramm1->trigger();
    ASSERT_TRUE(BigForm->isVisible());
    BigForm->close();
    EXPECT_FALSE(MainForm->BigShown);
    EXPECT_EQ(TIniFile("KX207.INI", folder.Path()).ReadString("Fenster", "Big", ""), "1");
    MainForm->GroesSpektrogramm1->trigger();
    EXPECT_TRUE(BigForm->isVisible()) << "the menu shows it again after the close box";
}

TEST_F(BigFormTest, ControlsStandAtTheirPlacesWithTheirCaptions) {
    TBigForm& f = *BigForm;
    MainForm->GroesSpektrogramm1->trigger();
    MainForm->DrawSpectrum();
    EXPECT_EQ(f.windowTitle(), "Spektrogramm");
    EXPECT_EQ(f.size(), QSize(1053, 610));
    ExpectPlaces({
        {"SpektrumEdit", f.SpektrumEdit, {56, 1, 449, 21}},
        {"LambdaEdit", f.LambdaEdit, {512, 1, 108, 21}},
        {"RefEdit", f.RefEdit, {632, 1, 105, 21}},
        {"Image", f.Image, {2, 24, 1021, 512}},
        {"Spektral_Image", f.Spektral_Image, {2, 555, 1021, 45}},
    });
    const std::pair<QLabel*, QPoint> labels[] = {
        {f.Range_Label1, {1024, 28}},  {f.Range_Label2, {1024, 136}}, {f.Range_Label3, {1024, 264}},
        {f.Range_Label4, {1024, 392}}, {f.Range_Label5, {1024, 522}}, {f.Lambda_min_Label, {0, 541}}};
    for (const auto& [label, place] : labels)
        EXPECT_EQ(label->pos(), place) << label->text().toStdString();
    EXPECT_EQ(f.Lambda_max_Label->geometry().right(), 1022) << "under the diagram's right end";
    EXPECT_EQ(f.Lambda_max_Label->y(), 541);
    EXPECT_EQ(f.SpektrumEdit->EditLabel->geometry().right() + 1 + 3, 56) << "label 3 pixels left of its edit";
    ExpectFaces({
        {"EditLabel", f.SpektrumEdit->EditLabel, "Spektrum:", "", true, false},
        {"SpektrumEdit", f.SpektrumEdit, "", "", true, false},
        {"LambdaEdit", f.LambdaEdit, "", "", true, false},
        {"RefEdit", f.RefEdit, "", "", true, false},
        {"Range_Label1", f.Range_Label1, "256", "Skalenendwert", true, false},
        {"Range_Label5", f.Range_Label5, "0", "", true, false},
        {"Lambda_min_Label", f.Lambda_min_Label, "360nm", "", true, false},
        {"Lambda_max_Label", f.Lambda_max_Label, "675nm", "", true, false},
    });
    EXPECT_FALSE(f.LambdaEdit->isVisibleTo(&f));
    EXPECT_FALSE(f.RefEdit->isVisibleTo(&f));
}

TEST_F(BigFormTest, EscapeLeavesTheWindowOpen) {
    MainForm->GroesSpektrogramm1->trigger();
    QTest::keyClick(BigForm->SpektrumEdit, Qt::Key_Escape);
    QTest::keyClick(BigForm, Qt::Key_Escape);
    EXPECT_TRUE(BigForm->isVisible());
    EXPECT_TRUE(MainForm->BigShown);
}

TEST(BigFormAloneTest, ReferenceClickReachesTheMainWindow) {
    FakeMainWindow mainWindow;
    mainWindow.State.Spectrum.ScaleDivisor = 4;
    TBigForm form(mainWindow);
    form.show();
    QTest::mousePress(form.Image, Qt::LeftButton, {}, QPoint(80, 412));
    ASSERT_EQ(mainWindow.ReferenceClicks.size(), 1u);
    EXPECT_EQ(mainWindow.ReferenceClicks[0].first, Qt::LeftButton);
    EXPECT_EQ(mainWindow.ReferenceClicks[0].second, 200) << "100 rows up at divisor 4, two rows a unit";
}

} // namespace
