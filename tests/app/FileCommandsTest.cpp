#include "app/LabeledEdit.h"
#include "app/Program.h"
#include "support/ModalWatcher.h"
#include "support/TempFolder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

// Plays the user in the next file dialog: chooses `path` (or cancels when it is empty), after
// `beforeChoice` has run while the dialog is open.
void AnswerFileDialog(const QString& path, std::function<void(QFileDialog*)> beforeChoice = {}) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, path, beforeChoice] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->deleteLater();
        if (beforeChoice)
            beforeChoice(dialog);
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // A file that does not exist yet is chosen by name inside its folder, as a user types it.
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        dialog->setDirectory(path.left(slash + 1));
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path.mid(slash + 1));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    poll->start(10);
}

// Answers the next question box with `button` and remembers its text.
void AnswerQuestion(QMessageBox::StandardButton button, QString* text) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->deleteLater();
        *text = box->text();
        box->button(button)->click();
    });
    poll->start(10);
}

class FileCommandsTest : public ::testing::Test {
protected:
    TempFolder settings;
    TempFolder data;

    void SetUp() override { CreateWindows({settings.Path()}); }
    void TearDown() override { DestroyWindows(); }

    static void FillSpectrum(int32_t base) {
        for (int c = 0; c < ChannelCount; ++c)
            MainForm->Spectrum.Readings[c] = base + c;
    }
    QString DataFile(const std::string& name) const { return QString::fromStdString(data.File(name)); }
};

TEST_F(FileCommandsTest, SavedSpectrumLoadsBackWithNameAndCalibration) {
    FillSpectrum(100);
    MainForm->SpektrumEdit->setText(QStringLiteral(" Natriumdampf Müller "));
    MainForm->SetCalibration(400, 654);
    AnswerFileDialog(DataFile("natrium"));
    MainForm->FileClose->trigger();
    EXPECT_EQ(TempFolder::Read(data.File("natrium.csv")).substr(0, 33), "Spektrum:  Natriumdampf M\xfcller \r\n");
    EXPECT_EQ(MainForm->LastIoResult, 0);

    FillSpectrum(0);
    MainForm->SpektrumEdit->setText(QString());
    MainForm->SetCalibration(360, 675);
    AnswerFileDialog(DataFile("natrium.csv"));
    MainForm->FileOpen->trigger();
    EXPECT_EQ(MainForm->SpektrumEdit->text(), QStringLiteral(" Natriumdampf Müller "));
    EXPECT_EQ(MainForm->Spectrum.Readings[0], 100);
    EXPECT_EQ(MainForm->Spectrum.Readings[127], 227);
    EXPECT_EQ(MainForm->Calibration.LambdaMin, 400);
    EXPECT_EQ(MainForm->Calibration.LambdaMax, 654);
    EXPECT_DOUBLE_EQ(MainForm->Calibration.NmPerChannel, 2.0);
    EXPECT_EQ(MainForm->Lambda_max_Label->text(), "654nm");
    EXPECT_EQ(MainForm->Spectrum.MaxReading, 227) << "the load redraws";
}

TEST_F(FileCommandsTest, OtherExtensionsStayAndBothDialogsFollowTheLastFile) {
    std::filesystem::create_directory(data.File("sub"));
    AnswerFileDialog(DataFile("sub/probe.txt"));
    MainForm->FileCloseClick();
    EXPECT_FALSE(TempFolder::Read(data.File("sub/probe.txt")).empty());
    EXPECT_EQ(MainForm->OpenDialogInitialDir, DataFile("sub/"));
    EXPECT_EQ(MainForm->SaveDialogInitialDir, DataFile("sub/"));
}

TEST_F(FileCommandsTest, PreviewLoadsEverySelectionAndCancelKeepsTheLastOne) {
    FillSpectrum(10);
    MainForm->SpektrumEdit->setText(QStringLiteral("erste"));
    MainForm->SaveSpectrumFile(DataFile("a.csv"));
    FillSpectrum(500);
    MainForm->SpektrumEdit->setText(QStringLiteral("zweite"));
    MainForm->SaveSpectrumFile(DataFile("b.csv"));
    FillSpectrum(0);

    QString seenWhileOpen;
    AnswerFileDialog(QString(), [&](QFileDialog*) {
        MainForm->OpenDialogSelectionChange(DataFile("b.csv"));
        MainForm->OpenDialogSelectionChange(DataFile("a"));
        MainForm->OpenDialogSelectionChange(DataFile(""));
        seenWhileOpen = MainForm->SpektrumEdit->text();
    });
    MainForm->FileOpenClick();
    EXPECT_EQ(seenWhileOpen, "erste");
    EXPECT_EQ(MainForm->SpektrumEdit->text(), "erste");
    EXPECT_EQ(MainForm->Spectrum.Readings[5], 15);
}

TEST_F(FileCommandsTest, AFileThatCannotBeOpenedChangesNothingAndIsReportedOnlyWhenChosen) {
    FillSpectrum(42);
    MainForm->SpektrumEdit->setText(QStringLiteral("behalten"));
    MainForm->OpenDialogSelectionChange(DataFile("fehlt.csv"));
    EXPECT_EQ(MainForm->SpektrumEdit->text(), "behalten");

    ModalWatcher watcher;
    MainForm->LoadSpectrumFile(DataFile("fehlt.csv"), true);
    ASSERT_EQ(watcher.Texts.size(), 1);
    EXPECT_TRUE(watcher.Texts[0].contains(DataFile("fehlt.csv")));
    EXPECT_TRUE(watcher.Texts[0].contains("konnte nicht geöffnet werden"));
    EXPECT_EQ(MainForm->SpektrumEdit->text(), "behalten");
    EXPECT_EQ(MainForm->Spectrum.Readings[0], 42);
    EXPECT_NE(MainForm->LastIoResult, 0);
}

TEST_F(FileCommandsTest, AFailedSaveIsReportedWithTheFileName) {
    ModalWatcher watcher;
    MainForm->SaveSpectrumFile(DataFile("kein/ordner.csv"));
    ASSERT_EQ(watcher.Texts.size(), 1);
    EXPECT_TRUE(watcher.Texts[0].contains(DataFile("kein/ordner.csv")));
    EXPECT_TRUE(watcher.Texts[0].contains("konnte nicht"));
    EXPECT_NE(MainForm->LastIoResult, 0);
}

TEST_F(FileCommandsTest, OverwritingAnExistingFileIsAskedFirst) {
    TempFolder::Write(data.File("alt.csv"), "alter Inhalt");
    QString question;
    AnswerFileDialog(DataFile("alt"));
    AnswerQuestion(QMessageBox::No, &question);
    MainForm->FileCloseClick();
    EXPECT_TRUE(question.contains("alt.csv"));
    EXPECT_EQ(TempFolder::Read(data.File("alt.csv")), "alter Inhalt");

    AnswerFileDialog(DataFile("alt"));
    AnswerQuestion(QMessageBox::Yes, &question);
    MainForm->FileCloseClick();
    EXPECT_EQ(TempFolder::Read(data.File("alt.csv")).substr(0, 10), "Spektrum: ");
}

} // namespace
