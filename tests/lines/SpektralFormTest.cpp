// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"
#include "lines/SpektralDlg.h"
#include "support/FakeMainWindow.h"
#include "support/LayoutTable.h"
#include "support/TempFolder.h"
#include "ui/ImageView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

class SpektralFormTest : public ::testing::Test {
protected:
    TempFolder settings;
    TempFolder start;
    QString previousFolder = QDir::currentPath();

    void SetUp() override {
        std::filesystem::create_directory(start.File("dat"));
        CreateWindows({settings.Path()});
        MainForm->StartDir = QString::fromStdString(start.Path());
    }
    void TearDown() override {
        DestroyWindows();
        QDir::setCurrent(previousFolder);
    }
    void LineFile(const std::string& name, const std::string& content) {
        TempFolder::Write(start.File("dat/" + name), content);
    }
    static QStringList Captions() {
        QStringList captions;
        for (int i = 0; i < SpektralForm->ListView->count(); ++i)
            captions << SpektralForm->ListView->item(i)->text();
        return captions;
    }
    static QStringList Lines() {
        QStringList lines;
        for (int i = 0; i < SpektralForm->ListBox->count(); ++i)
            lines << SpektralForm->ListBox->item(i)->text();
        return lines;
    }
    static void Open() {
        MainForm->Spektrallinieneinblenden->trigger();
        SpektralForm->FormActivate();
    }
};

TEST_F(SpektralFormTest, InstructionsReadLineByLine) {
    const QStringList lines = SpektralForm->Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 16);
    EXPECT_EQ(lines[0], QStringLiteral("Hinzufügen eigener Einträge:"));
    EXPECT_EQ(lines[1], QStringLiteral("1. Datei im Verzeichnis \"dat\" anlegen"));
    EXPECT_EQ(lines[5], QStringLiteral("5. 1. Zeile: Kommentare/Bemerkungen "));
    EXPECT_EQ(lines[7], QString());
    EXPECT_EQ(lines[9], QStringLiteral("Hg - Quecksilberdampflampe"));
    EXPECT_EQ(lines.mid(10), QStringList({"404", "435", "492", "545", "578", "615"}));

    // The user may write into the field; nothing of it outlives the run.
    QTest::keyClicks(SpektralForm->Memo1, QStringLiteral("Notiz "));
    EXPECT_TRUE(SpektralForm->Memo1->toPlainText().startsWith(QStringLiteral("Notiz Hinzufügen")));
    DestroyWindows();
    CreateWindows({settings.Path()});
    EXPECT_EQ(SpektralForm->Memo1->toPlainText().split('\n').value(0),
              QStringLiteral("Hinzufügen eigener Einträge:"));
    EXPECT_EQ(TempFolder::Read(settings.File("KX207.INI")).find("Notiz"), std::string::npos);
}

TEST_F(SpektralFormTest, ControlsShowTheirCaptionsAndStates) {
    TSpektralForm& f = *SpektralForm;
    EXPECT_EQ(f.windowTitle(), "Spektrallinien einblenden");
    EXPECT_EQ(f.size(), QSize(441, 395));
    ExpectFaces({
        {"Label2", f.Label2, "Spektraldateien:", "", true, false},
        {"ListView", f.ListView, "", "", true, false},
        {"Label1", f.Label1, "Spektrallinien:", "", true, false},
        {"Spektrum_Edit", f.Spektrum_Edit, "", "", true, false},
        {"ListBox", f.ListBox, "", "", false, false},
        {"Memo1", f.Memo1, f.Memo1->toPlainText(), "", true, true},
        {"OK_Button", f.OK_Button, "Beenden", "", true, false},
    });
    EXPECT_TRUE(f.OK_Button->isDefault());
    EXPECT_TRUE(f.OK_Button->font().bold());
    EXPECT_EQ(f.ListView->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(SpektralFormTest, ListsLineFilesByNameAndLoadsTheRememberedOne) {
    LineFile("Ne.dat", "Neon\r\n585\r\n640\r\n");
    LineFile("Hg.dat", "Hg - Quecksilberdampflampe\r\n404\r\n\r\n435\r\n");
    LineFile("na.DAT", "Natrium\n589\n");
    LineFile(".versteckt.dat", "x\n500\n");
    LineFile("notiz.txt", "kein Linienfile\n");
    std::filesystem::create_directory(start.File("dat/ordner.dat"));
    Open();
    EXPECT_EQ(Captions(), QStringList({"Hg", "na", "Ne"}));
    EXPECT_EQ(SpektralForm->ListView->currentRow(), 0);
    EXPECT_EQ(SpektralForm->Spektrum_Edit->text(), "Hg - Quecksilberdampflampe");
    EXPECT_EQ(Lines(), QStringList({"404", "435"}));
    EXPECT_TRUE(MainForm->LinesShown);
    EXPECT_EQ(QDir::currentPath(), QString::fromStdString(start.File("dat")));

    SpektralForm->ListView->setCurrentRow(1);
    EXPECT_EQ(SpektralForm->SelectedLineFile, 1);
    EXPECT_EQ(SpektralForm->Spektrum_Edit->text(), "Natrium");
    EXPECT_EQ(Lines(), QStringList({"589"}));
}

TEST_F(SpektralFormTest, EntriesThatAreNoWholeNumbersStayListedButAreNotMarked) {
    LineFile("Hg.dat", "Hg\n404\n546.1\n435 \n577nm\n -10\n");
    Open();
    EXPECT_EQ(Lines(), QStringList({"404", "546.1", "435 ", "577nm", " -10"}));
    EXPECT_EQ(SpektralForm->LineWavelengths(), std::vector<int32_t>({404, -10}));
}

TEST_F(SpektralFormTest, HidingTurnsTheOverlayOffAndShowingRestoresIt) {
    LineFile("Hg.dat", "Hg\n404\n");
    MainForm->DrawSpectrum();
    const QImage withoutLines = MainForm->Image->Picture();
    Open();
    ASSERT_TRUE(MainForm->LinesShown);
    EXPECT_NE(MainForm->Image->Picture(), withoutLines);
    SpektralForm->close();
    EXPECT_FALSE(MainForm->LinesShown);
    EXPECT_EQ(MainForm->Image->Picture(), withoutLines) << "the close box takes the marks away at once";
    Open();
    SpektralForm->OK_Button->click();
    EXPECT_FALSE(SpektralForm->isVisible());
    EXPECT_FALSE(MainForm->LinesShown);
    EXPECT_EQ(Lines(), QStringList({"404"})) << "the list keeps its entries";
    Open();
    EXPECT_TRUE(MainForm->LinesShown);
}

TEST_F(SpektralFormTest, TheRememberedPositionMayNameAnotherFileLater) {
    LineFile("A.dat", "A\n400\n");
    LineFile("B.dat", "B\n500\n");
    LineFile("C.dat", "C\n600\n");
    Open();
    SpektralForm->ListView->setCurrentRow(2);
    SpektralForm->hide();
    std::filesystem::remove(start.File("dat/A.dat"));
    Open();
    EXPECT_EQ(Captions(), QStringList({"B", "C"}));
    EXPECT_EQ(SpektralForm->ListView->currentRow(), -1) << "no entry at position 2 any more";
    EXPECT_EQ(SpektralForm->ListView->selectedItems().size(), 0);

    SpektralForm->ListView->setCurrentRow(0);
    SpektralForm->hide();
    LineFile("0.dat", "Null\n300\n");
    Open();
    EXPECT_EQ(SpektralForm->Spektrum_Edit->text(), "Null");
}

TEST_F(SpektralFormTest, WithoutALibraryFolderTheCurrentFolderIsListed) {
    std::filesystem::remove_all(start.File("dat"));
    TempFolder elsewhere;
    TempFolder::Write(elsewhere.File("Xe.dat"), "Xenon\n467\n");
    QDir::setCurrent(QString::fromStdString(elsewhere.Path()));
    Open();
    EXPECT_EQ(Captions(), QStringList({"Xe"}));
    EXPECT_EQ(Lines(), QStringList({"467"}));
}

TEST(SpektralFormAloneTest, LinesAreShownWhileTheWindowIs) {
    const QString previousFolder = QDir::currentPath();
    FakeMainWindow mainWindow;
    std::filesystem::create_directory(mainWindow.Folder.File("dat"));
    TempFolder::Write(mainWindow.Folder.File("dat/Na.dat"), "Natrium\n589\n");
    mainWindow.State.StartDir = QString::fromStdString(mainWindow.Folder.Path());
    {
        TSpektralForm form(mainWindow);
        form.show();
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&form, &activate);
        EXPECT_TRUE(mainWindow.State.LinesShown);
        EXPECT_EQ(form.LineWavelengths(), std::vector<int32_t>{589});
        QTest::mouseClick(form.OK_Button, Qt::LeftButton);
        EXPECT_FALSE(mainWindow.State.LinesShown);
    }
    QDir::setCurrent(previousFolder);
}

} // namespace
