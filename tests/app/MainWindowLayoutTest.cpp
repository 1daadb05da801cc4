// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"
#include "app/HelpCommands.h"
#include "bigview/BigDlg.h"
#include "calibration/Setup.h"
#include "device/CPortCtl.h"
#include "lines/SpektralDlg.h"
#include "spectrum/ScreenPicture.h"
#include "support/LayoutTable.h"
#include "support/ProgramWindowsTest.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

class MainWindowLayoutTest : public ProgramWindowsTest {};

TEST_F(MainWindowLayoutTest, EveryControlStandsAtItsPlaceAndSize) {
    TMainForm& f = *MainForm;
    EXPECT_EQ(f.centralWidget()->size(), QSize(537, 613));
    ExpectPlaces({
        {"ToolBar1", f.ToolBar1, {0, 0, 537, 42}},
        {"ToolButton1", f.ToolButton1, {0, 2, 39, 38}},
        {"ToolButton3", f.ToolButton3, {39, 2, 10, 38}},
        {"ToolButton6", f.ToolButton6, {49, 2, 39, 38}},
        {"ToolButton8", f.ToolButton8, {88, 2, 39, 38}},
        {"ToolButton7", f.ToolButton7, {127, 2, 10, 38}},
        {"ToolButton2", f.ToolButton2, {137, 2, 39, 38}},
        {"ToolButton4", f.ToolButton4, {176, 2, 39, 38}},
        {"ToolButton5", f.ToolButton5, {215, 2, 8, 38}},
        {"ToolButton9", f.ToolButton9, {223, 2, 39, 38}},
        {"ToolButton10", f.ToolButton10, {262, 2, 39, 38}},
        {"LambdaEdit", f.LambdaEdit, {312, 15, 108, 21}},
        {"RefEdit", f.RefEdit, {424, 15, 105, 21}},
        {"SpektrumEdit", f.SpektrumEdit, {56, 48, 449, 21}},
        {"Image", f.Image, {2, 77, 509, 256}},
        {"Range_Label1", f.Range_Label1, {512, 76, 24, 29}},
        {"Range_Label2", f.Range_Label2, {512, 136, 24, 13}},
        {"Range_Label3", f.Range_Label3, {512, 200, 24, 13}},
        {"Range_Label4", f.Range_Label4, {512, 264, 24, 13}},
        {"LED", f.LED, {512, 96, 25, 25}},
        {"Spektral_Image", f.Spektral_Image, {2, 347, 509, 45}},
        {"GroupBox2", f.GroupBox2, {0, 392, 129, 201}},
        {"Autoscale_CheckBox", f.Autoscale_CheckBox, {8, 16, 97, 17}},
        {"Skalierung_SpinEdit", f.Skalierung_SpinEdit, {72, 32, 41, 22}},
        {"Min_CheckBox", f.Min_CheckBox, {8, 64, 113, 17}},
        {"Max_CheckBox", f.Max_CheckBox, {8, 88, 113, 17}},
        {"Spektralfarben_CheckBox", f.Spektralfarben_CheckBox, {8, 112, 113, 17}},
        {"Balkendiagramm_CheckBox", f.Balkendiagramm_CheckBox, {8, 136, 113, 17}},
        {"Gitter_CheckBox", f.Gitter_CheckBox, {8, 160, 97, 17}},
        {"GroupBox3", f.GroupBox3, {136, 392, 105, 113}},
        {"MinPos_Edit", f.MinPos_Edit, {8, 32, 81, 21}},
        {"MaxPos_Edit", f.MaxPos_Edit, {8, 72, 81, 21}},
        {"Bevel1", f.Bevel1, {253, 402, 112, 89}},
        {"Image1", f.Image1, {253, 402, 111, 88}},
        {"Image2", f.Image2, {381, 402, 128, 25}},
        {"SchnappschussButton", f.SchnappschussButton, {392, 480, 121, 49}},
        {"GroupBox1", f.GroupBox1, {136, 512, 241, 81}},
        {"TrackBar", f.TrackBar, {3, 15, 182, 40}},
        {"GroupBox4", f.GroupBox4, {176, 8, 81, 1}},
        {"GainEdit", f.GainEdit, {192, 16, 33, 21}},
        {"Korrektur_CheckBox", f.Korrektur_CheckBox, {8, 56, 145, 17}},
        {"Auto_CheckBox", f.Auto_CheckBox, {160, 56, 73, 17}},
        {"Messung_Button", f.Messung_Button, {392, 536, 121, 41}},
        {"StatusBar", f.StatusBar, {0, 594, 537, 19}},
    });
    EXPECT_EQ(f.Range_Label5->pos(), QPoint(512, 322));
    EXPECT_EQ(f.Lambda_min_Label->pos(), QPoint(0, 333));
    EXPECT_EQ(f.Lambda_max_Label->pos(), QPoint(496, 333));
    EXPECT_EQ(f.Label3->pos(), QPoint(16, 40));
    EXPECT_EQ(f.SpektrumEdit->EditLabel->geometry().right() + 1 + 3, 56) << "label 3 pixels left of its edit";
    EXPECT_EQ(f.MinPos_Edit->EditLabel->geometry().bottom() + 1 + 3, 32) << "label 3 pixels above its edit";
    const int widths[] = {60, 60, 175, 242};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(f.StatusBar->PanelRect(i).width(), widths[i]) << "panel " << i;
}

TEST_F(MainWindowLayoutTest, CaptionsHintsMenuAndToolBarAreTheProgramsOwn) {
    TMainForm& f = *MainForm;
    EXPECT_EQ(f.windowTitle(), "KOLiX-Spektrometer KX207 V1.0 ");
    EXPECT_EQ(f.GroupBox2->title(), " Diagramm ");
    EXPECT_EQ(f.GroupBox3->title(), " Auswertung ");
    EXPECT_EQ(f.GroupBox1->title(), " Belichtungszeit ");
    EXPECT_EQ(f.SpektrumEdit->EditLabel->text(), "Spektrum:");
    EXPECT_EQ(f.MinPos_Edit->EditLabel->text(), "Minimum bei: ");
    EXPECT_EQ(f.MaxPos_Edit->EditLabel->text(), "Maximum bei: ");
    EXPECT_EQ(f.Range_Label1->toolTip(), "Skalenendwert");
    EXPECT_EQ(f.Korrektur_CheckBox->text(), "Empfindlichkeitskorrektur");
    EXPECT_EQ(f.Korrektur_CheckBox->toolTip(), "Empfindlichkeitskurve des Detektors berücksichtigen?");
    EXPECT_EQ(f.Skalierung_SpinEdit->toolTip(), "Wert für manuelle Skalierung (1..4)");
    EXPECT_EQ(f.SchnappschussButton->toolTip(), "Spektrogramm in Zwischenablage kopieren...");
    EXPECT_EQ(f.Messung_Button->toolTip(), "Spektren aufnehmen...");

    const QList<QAction*> menus = f.menuBar()->actions();
    ASSERT_EQ(menus.size(), 7);
    EXPECT_EQ(menus[0]->text(), "Datei");
    EXPECT_EQ(menus[1]->text(), "Ansicht");
    EXPECT_EQ(menus[2]->text(), "Spektrallinien");
    EXPECT_EQ(menus[3]->text(), "Messung");
    EXPECT_EQ(menus[4]->text(), "Auswertung") << "the analysis commands follow the measurement's";
    EXPECT_EQ(menus[5]->text(), "Kinetik");
    EXPECT_EQ(menus[6]->text(), "Hilfe") << "help comes last";
    EXPECT_EQ(f.HelpCommands->Hilfe1->actions(), QList<QAction*>({f.HelpCommands->Handbuch}));
    EXPECT_EQ(f.HelpCommands->Handbuch->text(), "Handbuch");
    EXPECT_EQ(f.HelpCommands->Handbuch->shortcut(), QKeySequence(Qt::Key_F1));
    QStringList items;
    for (QMenu* menu : {f.Beenden1, f.Setup1, f.Spektrallinien1})
        for (QAction* item : menu->actions()) {
            items << (item->isSeparator() ? QStringLiteral("-") : item->text());
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->text().toStdString();
            EXPECT_FALSE(item->text().contains('&')) << "no accelerator letters";
        }
    EXPECT_EQ(items, QStringList({"Öffnen...", "Speichern...", "-", "Beenden", "Einstellungen...", "Farbe...",
                                  "Großes Spektrogramm", "Spektrallinien einblenden..."}));

    const std::pair<QToolButton*, QAction*> bound[] = {{f.ToolButton1, f.FileQuit},
                                                       {f.ToolButton6, f.FileOpen},
                                                       {f.ToolButton8, f.FileClose},
                                                       {f.ToolButton2, f.Einstellungen},
                                                       {f.ToolButton4, f.Farbe},
                                                       {f.ToolButton9, f.Spektrallinieneinblenden},
                                                       {f.ToolButton10, f.GroesSpektrogramm1}};
    const char* hints[] = {"Programm beenden...",
                           "Abgespeichertes Spektrum öffnen...",
                           "Aktuelles Spektrum speichern...",
                           "Wertebereich der X-Achse einstellen...",
                           "Kurvenfarbe festlegen...",
                           "Spektrallinien einblenden...",
                           "Großes Spektrogrammfenster..."};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(bound[i].first->defaultAction(), bound[i].second);
        EXPECT_EQ(bound[i].first->toolTip(), QString::fromUtf8(hints[i]));
        EXPECT_EQ(bound[i].first->iconSize(), QSize(32, 32));
    }
    f.FileOpen->setEnabled(false);
    EXPECT_FALSE(f.ToolButton6->isEnabled()) << "the tool button follows its menu item";
}

TEST_F(MainWindowLayoutTest, EveryCaptionOfTheFiveWindowsFitsItsControl) {
    for (QWidget* window :
         {static_cast<QWidget*>(MainForm), static_cast<QWidget*>(SetupForm), static_cast<QWidget*>(AboutForm),
          static_cast<QWidget*>(SpektralForm), static_cast<QWidget*>(BigForm)})
        for (QWidget* control : window->findChildren<QWidget*>()) {
            const auto* tool = qobject_cast<QToolButton*>(control);
            const bool captioned = (qobject_cast<QAbstractButton*>(control) ||
                                    qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control)) &&
                                   !(tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly);
            if (!captioned || CaptionOf(*control).isEmpty()) continue;
            const QSize needed = control->sizeHint().expandedTo(control->minimumSizeHint());
            EXPECT_LE(needed.width(), control->width())
                << window->windowTitle().toStdString() << ": " << CaptionOf(*control).toStdString();
        }
}

TEST_F(MainWindowLayoutTest, AStatusTextLongerThanItsPanelWidensItAtTheCostOfTheLastPanel) {
    TStatusBar& bar = *MainForm->StatusBar;
    const QList<QLabel*> panels = bar.findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 4);
    const struct {
        int Panel;
        QString Text;
    } longest[] = {
        {0, QStringLiteral("Max: 100,0 %")},
        {1, QStringLiteral("Min: 0,037")},
        {2, QStringLiteral("Referenzspektrum bei Belichtung 100")},
        {2, QStringLiteral("Vergleich: Natriumdampflampe mit Gitter 2, Messung der Klasse 10b, Mon.")}};
    for (const auto& [panel, text] : longest) {
        const int width = bar.PanelRect(panel).width();
        bar.SetPanelText(panel, text);
        EXPECT_LE(panels[panel]->sizeHint().width(), bar.PanelRect(panel).width()) << text.toStdString();
        EXPECT_EQ(bar.PanelRect(panel + 1).left(), bar.PanelRect(panel).right() + 1);
        EXPECT_LE(bar.PanelRect(2).right(), bar.width() - 1) << "within the bar";
        EXPECT_EQ(bar.PanelRect(3).right(), bar.width() - 1);
        bar.SetPanelText(panel, QStringLiteral("Max:"));
        EXPECT_EQ(bar.PanelRect(panel).width(), width) << "back to its width";
    }
}

// Run at every scale a desktop sets (tests/app/CMakeLists.txt): the caption is drawn at the screen's
// resolution with letters as tall as at 100 %, not the design font's small bitmaps spread apart.
TEST_F(MainWindowLayoutTest, CaptionLettersKeepTheirHeightAtEveryScale) {
    const QImage shot = MainForm->Min_CheckBox->grab().toImage();
    const qreal scale = shot.devicePixelRatio();
    int top = shot.height(), bottom = -1;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = int(20 * scale); x < shot.width(); ++x)
            if (qGray(shot.pixel(x, y)) < 128) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    const qreal height = (bottom - top + 1) / scale;
    EXPECT_NEAR(height, 9, 1) << "ink of \"Minimum markieren\" at scale " << scale;
}

// The diagrams are shown without blending neighbouring pixels into colours of their own (no blur), pixel
// for pixel as drawn: at 100 % the picture, on a scaled screen the canvas's picture at its resolution.
TEST_F(MainWindowLayoutTest, DiagramsStayCrispAtEveryScale) {
    auto colours = [](const QImage& image) {
        std::set<QRgb> found;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                found.insert(image.pixel(x, y));
        return found;
    };
    for (TImageView* view : {MainForm->Image, MainForm->Spektral_Image}) {
        const QImage shown = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::set<QRgb> drawn = colours(view->Picture()), seen = colours(shown);
        EXPECT_TRUE(std::includes(drawn.begin(), drawn.end(), seen.begin(), seen.end()))
            << shown.devicePixelRatio();
        const TScreenPicture* screen = view->Canvas().Screen();
        EXPECT_EQ(shown, screen ? screen->Image() : view->Picture()) << shown.devicePixelRatio();
    }
}

TEST_F(MainWindowLayoutTest, ColourCommandSetsTheCurveColourOnOkOnly) {
    auto answer = [](bool ok) {
        QTimer::singleShot(50, [ok] {
            auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->currentColor(), QColor(Qt::yellow)) << "preset to the curve colour";
            EXPECT_EQ(QColorDialog::customColor(0), QColor(Qt::white));
            EXPECT_EQ(QColorDialog::customColor(15), QColor(Qt::white));
            dialog->setCurrentColor(QColor(0, 255, 0));
            ok ? dialog->accept() : dialog->reject();
        });
    };
    MainForm->Spektralfarben_CheckBox->setChecked(false);
    MainForm->Balkendiagramm_CheckBox->setChecked(false);
    answer(false);
    MainForm->ToolButton4->click();
    EXPECT_EQ(MainForm->CurveColor, 0x00FFFFu);
    answer(true);
    MainForm->Farbe->trigger();
    EXPECT_EQ(MainForm->CurveColor, 0x00FF00u);
    EXPECT_EQ(MainForm->Image->Picture().pixel(100, 255) & 0xFFFFFF, 0x00FF00u)
        << "redrawn in the new colour";
}

} // namespace

namespace {

TEST(ToolkitTexts, DialogsOfTheToolkitSpeakGerman) {
    QMessageBox box(QMessageBox::Question, "KX207", "?",
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), "Ja");
    EXPECT_EQ(box.button(QMessageBox::No)->text().remove('&'), "Nein");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), "Abbrechen");
}

} // namespace
