// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeasurementCommands.h"
#include "app/PictureFileDialog.h"
#include "app/Program.h"
#include "app/SpectrumFileDialog.h"
#include "bigview/BigDlg.h"
#include "settings/IniFile.h"
#include "support/ModalWatcher.h"
#include "support/TempFolder.h"
#include "support/Unprivileged.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

// Plays the user in the next file dialog: after `look` has seen it open, types each of `names`
// into its name field and presses Enter while the dialog is still open, then cancels it with Esc
// if it is open still.
void AnswerFileDialog(const QStringList& names, std::function<void(QFileDialog*)> look = {}) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, names, look] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        poll->stop();
        poll->deleteLater();
        // Played from the event queue, not from inside this timer, so that the pollers of question
        // boxes keep running while the dialog asks.
        QMetaObject::invokeMethod(
            dialog,
            [dialog, names, look] {
                if (look) look(dialog);
                auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                for (const QString& name : names) {
                    if (!dialog->isVisible()) return;
                    // The user types into the name field, which has the focus.
                    dialog->activateWindow();
                    (void)QTest::qWaitForWindowActive(dialog);
                    nameEdit->setFocus();
                    nameEdit->setText(name);
                    QTest::keyClick(nameEdit, Qt::Key_Return);
                }
                if (dialog->isVisible()) QTest::keyClick(nameEdit, Qt::Key_Escape);
            },
            Qt::QueuedConnection);
    });
    poll->start(10);
}
void AnswerFileDialog(const QString& name, std::function<void(QFileDialog*)> look = {}) {
    AnswerFileDialog(name.isEmpty() ? QStringList() : QStringList(name), std::move(look));
}

// Answers the next question box with `button` and remembers its text.
void AnswerQuestion(QMessageBox::StandardButton button, QString* text) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll->deleteLater();
        *text = box->text();
        box->button(button)->click();
    });
    poll->start(10);
}

// What a user sees of a file dialog when it opens: the name field, and whether a places bar is shown.
QString NameFieldAndPlaces(QFileDialog* dialog) {
    const auto* places = dialog->findChild<QWidget*>(QStringLiteral("sidebar"));
    return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text() +
           (places && places->isVisible() ? " with places" : "");
}

// The names the dialog's file list shows, once its folder has been read and they are `expected`.
QStringList ListedOnceRead(QFileDialog* dialog, const QStringList& expected) {
    auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    (void)QTest::qWaitFor(
        [&] {
            names.clear();
            for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row)
                names << list->model()->index(row, 0, list->rootIndex()).data().toString();
            return names == expected;
        },
        10000);
    return names;
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
    QStringList seen;
    const auto look = [&](QFileDialog* dialog) { seen << NameFieldAndPlaces(dialog); };
    AnswerFileDialog(DataFile("natrium"), look);
    MainForm->FileClose->trigger();
    EXPECT_EQ(TempFolder::Read(data.File("natrium.csv")).substr(0, 33),
              "Spektrum:  Natriumdampf M\xfcller \r\n");
    EXPECT_EQ(MainForm->LastIoResult, 0);

    FillSpectrum(0);
    MainForm->SpektrumEdit->setText(QString());
    MainForm->SetCalibration(360, 675);
    AnswerFileDialog(DataFile("natrium.csv"), look);
    MainForm->FileOpen->trigger();
    EXPECT_EQ(seen, QStringList({"*.csv", "*.csv"}));
    EXPECT_EQ(MainForm->SpektrumEdit->text(), QStringLiteral(" Natriumdampf Müller "));
    EXPECT_EQ(MainForm->Spectrum.Readings[0], 100);
    EXPECT_EQ(MainForm->Spectrum.Readings[127], 227);
    EXPECT_EQ(MainForm->Calibration.LambdaMin, 400);
    EXPECT_EQ(MainForm->Calibration.LambdaMax, 654);
    EXPECT_DOUBLE_EQ(MainForm->Calibration.NmPerChannel, 2.0);
    EXPECT_EQ(MainForm->Lambda_max_Label->text(), "654nm");
    EXPECT_EQ(MainForm->Spectrum.MaxReading, 227) << "the load redraws";
}

TEST_F(FileCommandsTest, APictureShowsTheScreensDiagramAndATableItsNumbersStoringChoicesOnlyOnceUsed) {
    FillSpectrum(100);
    MainForm->Spectrum.Readings[60] = 400;
    MainForm->SpektrumEdit->setText(QStringLiteral("Hg-Lampe"));
    MainForm->PeaksBeschriften->trigger();
    const std::string ini = settings.File("KX207.INI");
    EXPECT_EQ(TempFolder::Read(ini).find("[Messung]"), std::string::npos);

    QString seen;
    AnswerFileDialog(DataFile("blatt"), [&](QFileDialog* dialog) { seen = NameFieldAndPlaces(dialog); });
    MainForm->BildSpeichern->trigger();
    EXPECT_EQ(seen, "*.png");
    const QImage& screen = MainForm->Image->Picture();
    const QImage picture(DataFile("blatt.png"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.copy(screen.rect()).convertToFormat(screen.format()), screen);
    EXPECT_NE(TempFolder::Read(ini).find("Bild doppelt=0"), std::string::npos);

    AnswerFileDialog(DataFile("doppelt"), [](QFileDialog* dialog) {
        static_cast<TPictureFileDialog*>(dialog)->SizeBox->setCurrentIndex(1);
        static_cast<TPictureFileDialog*>(dialog)->BackgroundBox->setCurrentIndex(1);
    });
    MainForm->BildSpeichern->trigger();
    const QImage doubled(DataFile("doppelt.png"));
    EXPECT_GT(doubled.width(), 1021);
    EXPECT_EQ(doubled.pixel(1, 100), qRgb(255, 255, 255)) << "white above the bars";
    EXPECT_NE(TempFolder::Read(ini).find("Bild weiss=1"), std::string::npos);

    AnswerFileDialog(DataFile("protokoll"), [&](QFileDialog* dialog) { seen = NameFieldAndPlaces(dialog); });
    const auto minute = [] {
        return QDateTime::currentDateTime().toString("dd.MM.yyyy hh:mm").toStdString();
    };
    const std::string before = minute();
    MainForm->TabelleExportieren->trigger();
    EXPECT_EQ(seen, "*.csv");
    const std::string table = TempFolder::Read(data.File("protokoll.csv"));
    EXPECT_EQ(table.substr(0, 26), "Spektrum: Hg-Lampe;Datum: ");
    const std::string moment = table.substr(26, 17);
    EXPECT_TRUE(moment == before + ";" || moment == minute() + ";") << moment;
    EXPECT_NE(table.find("\r\nKanal;nm;Digits\r\n0;360,0;100\r\n1;362,5;101\r\n"), std::string::npos);
    EXPECT_NE(TempFolder::Read(ini).find("Exportverzeichnis=" + data.Path() + "/\n"), std::string::npos);
}

TEST_F(FileCommandsTest, ExportsAreWrittenWhereTheSettingsFileRefusesTheirChoicesWhichStayForTheRun) {
    // A user not yet allowed to write the settings: the start has said so, the export says nothing.
    MainForm->IniFile = std::make_unique<TIniFile>("KX207.INI", "/dev/null/kx207");
    QStringList letters;
    AnswerFileDialog(DataFile("blatt"), [&](QFileDialog* dialog) {
        auto* picture = static_cast<TPictureFileDialog*>(dialog);
        // Each row of the dialog is reached with its own letter, as "Dateiname:" is.
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            const qsizetype mark = label->text().indexOf(u'&');
            if (mark >= 0) letters << label->text().mid(mark + 1, 1).toLower();
            if (label->buddy() == picture->SizeBox || label->buddy() == picture->BackgroundBox) {
                EXPECT_GE(mark, 0) << label->text().toStdString();
            }
        }
        picture->BackgroundBox->setCurrentIndex(1);
    });
    MainForm->BildSpeichern->trigger();
    EXPECT_EQ(QImage(DataFile("blatt.png")).pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_GE(letters.size(), 3);
    EXPECT_EQ(QSet<QString>(letters.begin(), letters.end()).size(), letters.size())
        << letters.join(' ').toStdString();
    std::filesystem::create_directory(data.File("sub"));
    AnswerFileDialog(DataFile("sub/protokoll"));
    MainForm->TabelleExportieren->trigger();
    EXPECT_EQ(TempFolder::Read(data.File("sub/protokoll.csv")).substr(0, 10), "Spektrum: ");

    QString folder;
    int background = -1;
    AnswerFileDialog(QString(), [&](QFileDialog* dialog) {
        folder = dialog->directory().absolutePath() + u'/';
        background = static_cast<TPictureFileDialog*>(dialog)->BackgroundBox->currentIndex();
    });
    MainForm->BildSpeichern->trigger();
    EXPECT_EQ(folder, DataFile("sub/"));
    EXPECT_EQ(background, 1);
    MainForm->IniFile = std::make_unique<TIniFile>("KX207.INI", settings.Path());
}

TEST_F(FileCommandsTest, ThePictureDialogOffersTheKeptSizeAndBackgroundOnRowsOfTheirOwn) {
    for (const bool doubled : {true, false}) {
        MainForm->IniFile->WriteBool("Messung", "Bild doppelt", doubled);
        MainForm->IniFile->WriteBool("Messung", "Bild weiss", !doubled);
        int size = -1, background = -1;
        std::vector<QRect> rows;
        AnswerFileDialog(QString(), [&](QFileDialog* dialog) {
            auto* picture = static_cast<TPictureFileDialog*>(dialog);
            size = picture->SizeBox->currentIndex();
            background = picture->BackgroundBox->currentIndex();
            for (QWidget* row :
                 {dialog->findChild<QWidget*>(QStringLiteral("fileTypeCombo")),
                  static_cast<QWidget*>(picture->SizeBox), static_cast<QWidget*>(picture->BackgroundBox)})
                rows.emplace_back(row->mapTo(dialog, QPoint()), row->size());
        });
        MainForm->BildSpeichern->trigger();
        EXPECT_EQ(size, doubled ? 1 : 0);
        EXPECT_EQ(background, doubled ? 0 : 1);
        ASSERT_EQ(rows.size(), 3u);
        EXPECT_LT(rows[0].bottom(), rows[1].top()) << "the size below the type";
        EXPECT_LT(rows[1].bottom(), rows[2].top()) << "the background below the size";
    }
}

TEST_F(FileCommandsTest, AComparisonSpectrumIsDrawnInBothDiagramsUntilHidden) {
    FillSpectrum(100);
    MainForm->SpektrumEdit->setText(QStringLiteral("letzte Woche"));
    MainForm->SaveSpectrumFile(DataFile("woche.csv"));
    FillSpectrum(0);
    MainForm->SpektrumEdit->setText(QStringLiteral("heute"));
    MainForm->GroesSpektrogramm1Click();
    MainForm->DrawSpectrum();
    const QImage before = MainForm->Image->Picture();
    const QString credit = MainForm->StatusBar->PanelText(2);
    EXPECT_FALSE(MainForm->VergleichsspektrumAusblenden->isEnabled());

    AnswerFileDialog(DataFile("woche.csv"));
    MainForm->VergleichsspektrumLaden->trigger();
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Vergleich: letzte Woche");
    EXPECT_EQ(MainForm->SpektrumEdit->text(), "heute") << "the live spectrum stays";
    EXPECT_EQ(MainForm->Image->Picture().pixel(400, 255 - 200), qRgb(255, 0, 255));
    EXPECT_EQ(BigForm->Image->Picture().pixel(800, 511 - 400), qRgb(255, 0, 255));

    // The views of transmission and absorbance have no comparison curve.
    const auto magenta = [] {
        const QImage& picture = MainForm->Image->Picture();
        int count = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                count += picture.pixel(x, y) == qRgb(255, 0, 255);
        return count;
    };
    for (QAction* view :
         {MainForm->MeasurementCommands->Transmission, MainForm->MeasurementCommands->Extinktion}) {
        view->trigger();
        EXPECT_EQ(magenta(), 0) << view->text().toStdString();
    }
    MainForm->MeasurementCommands->Intensitaet->trigger();
    EXPECT_GT(magenta(), 0);

    MainForm->VergleichsspektrumAusblenden->trigger();
    EXPECT_EQ(MainForm->Image->Picture(), before);
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), credit);
    EXPECT_FALSE(MainForm->VergleichsspektrumAusblenden->isEnabled());

    // A table for a lab report is no spectrum: refused with a message, nothing drawn.
    ASSERT_TRUE(MainForm->ExportTable(DataFile("tabelle.csv")));
    QString refusal;
    AnswerFileDialog(DataFile("tabelle.csv"));
    AnswerQuestion(QMessageBox::Ok, &refusal);
    MainForm->VergleichsspektrumLaden->trigger();
    EXPECT_TRUE(refusal.contains("keine Spektrumdatei")) << refusal.toStdString();
    EXPECT_FALSE(MainForm->Comparison.has_value());
    EXPECT_EQ(MainForm->Image->Picture(), before);

    // A comparison file without a name is named after the file, without its extension.
    MainForm->SpektrumEdit->setText(QString());
    MainForm->SaveSpectrumFile(DataFile("ohne.name.csv"));
    AnswerFileDialog(DataFile("ohne.name.csv"));
    MainForm->VergleichsspektrumLaden->trigger();
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), "Vergleich: ohne.name");
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

TEST_F(FileCommandsTest, EachRunOfTheOpenDialogPreviewsAnyClickedFileAndLeavesNoPopupBehind) {
    MainForm->SpektrumEdit->setText(QStringLiteral("Spitze"));
    MainForm->SaveSpectrumFile(DataFile("peak.csv"));
    MainForm->OpenDialogInitialDir = DataFile("");
    for (int run = 0; run < 2; ++run) {
        MainForm->SpektrumEdit->setText(QStringLiteral("vorher"));
        AnswerFileDialog(QString(), [&](QFileDialog* dialog) {
            auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
            ListedOnceRead(dialog, {"peak.csv"});
            const QRect peak = list->visualRect(list->model()->index(0, 0, list->rootIndex()));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, peak.center());
        });
        MainForm->FileOpenClick();
        EXPECT_EQ(MainForm->SpektrumEdit->text().toStdString(), "Spitze") << "previewed in run " << run;
    }
    // The whole name typed while the completer offers it, then taken with Enter.
    AnswerFileDialog(QString(), [&](QFileDialog* dialog) {
        ListedOnceRead(dialog, {"peak.csv"});
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->selectAll();
        for (const char key : std::string("peak.csv"))
            QTest::keyClick(dialog->windowHandle(), key);
        EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget(); })) << "the name offered";
        QTest::keyClick(dialog->windowHandle(), Qt::Key_Return);
    });
    MainForm->FileOpenClick();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "a popup left open takes the next click";
}

TEST_F(FileCommandsTest, TheOpenDialogOpensBesideTheMainWindowWhereTheScreenHasRoom) {
    const QRect screen = MainForm->screen()->availableGeometry();
    const int width = MainForm->frameGeometry().width();
    MainForm->OpenDialog()->resize(MainForm->OpenDialog()->minimumSizeHint());
    QRect shown;
    AnswerFileDialog(QString(), [&](QFileDialog* dialog) { shown = dialog->frameGeometry(); });
    MainForm->FileOpenClick();
    const int dialogWidth = shown.width();
    // Room only on the right of the main window, only on its left, on neither side (then centred over it),
    // just enough on the right.
    for (const int x : {screen.left() - 100, screen.right() + 101 - width, screen.center().x() - width / 2,
                        screen.right() + 1 - width - dialogWidth}) {
        MainForm->move(x, screen.top() + 40);
        const QRect main = MainForm->frameGeometry();
        QRect dialog;
        AnswerFileDialog(QString(), [&](QFileDialog* shown) { dialog = shown->frameGeometry(); });
        MainForm->FileOpenClick();
        if (main.right() + dialog.width() <= screen.right()) {
            EXPECT_EQ(dialog.left(), main.right() + 1) << x;
        }
        if (main.left() - dialog.width() >= screen.left() ||
            main.right() + dialog.width() <= screen.right()) {
            EXPECT_FALSE(dialog.intersects(main)) << x;
        } else {
            EXPECT_NEAR(dialog.center().x(), main.center().x(), 2) << x;
        }
    }
    // A main window low on the screen: the dialog rises to stay wholly on it.
    MainForm->move(screen.left() - 100, screen.bottom() - 100);
    QRect dialog;
    AnswerFileDialog(QString(), [&](QFileDialog* shown) { dialog = shown->frameGeometry(); });
    MainForm->FileOpenClick();
    EXPECT_TRUE(screen.contains(dialog)) << dialog.top() << " to " << dialog.bottom();
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
    EXPECT_TRUE(watcher.Texts[0].contains(
        "konnte nicht geöffnet werden:\nDie Datei oder der Ordner existiert nicht."));
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

TEST_F(FileCommandsTest, InTheCLocaleTheSystemsReasonsAndTheOpenDialogAreGerman) {
    ASSERT_EQ(QLocale::system().language(), QLocale::C) << "the suite runs with LC_ALL=C.UTF-8";
    ModalWatcher watcher;
    MainForm->LoadSpectrumFile(DataFile(""), true);
    MainForm->SaveSpectrumFile(DataFile(std::string(300, 'x')));
    EXPECT_TRUE(watcher.Texts.join('\n').contains("Ordner, nicht zu einer Datei.")) << watcher.Texts.size();
    EXPECT_TRUE(watcher.Texts.join('\n').contains("Der Name ist zu lang.")) << watcher.Texts.size();

    MainForm->SaveSpectrumFile(DataFile("a.csv"));
    MainForm->OpenDialogInitialDir = DataFile("");
    QStringList shown;
    AnswerFileDialog(QString(), [&](QFileDialog* dialog) {
        ListedOnceRead(dialog, {"a.csv"});
        auto* details = dialog->findChild<QAbstractItemView*>(QStringLiteral("treeView"));
        const QModelIndex file = details->model()->index(0, 0, details->rootIndex());
        shown << file.siblingAtColumn(1).data().toString() << file.siblingAtColumn(3).data().toString();
        for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
            if (button->isVisible()) shown << button->text();
    });
    MainForm->FileOpenClick();
    const QString saved = QFileInfo(DataFile("a.csv")).lastModified().toString("dd.MM.yy HH:mm");
    EXPECT_TRUE(shown.join(" | ").startsWith("1,3 kB | " + saved + " | ")) << shown.join(" | ").toStdString();
    EXPECT_TRUE(shown.contains("&Öffnen") && shown.contains("Abbrechen")) << shown.join(" | ").toStdString();
}

TEST_F(FileCommandsTest, OverwritingIsAskedInsideTheDialogAndNoReturnsToIt) {
    TempFolder::Write(data.File("alt.csv"), "alter Inhalt");
    QString question;
    AnswerFileDialog({DataFile("alt"), DataFile("neu")});
    AnswerQuestion(QMessageBox::No, &question);
    MainForm->FileCloseClick();
    EXPECT_TRUE(question.contains("alt.csv")) << question.toStdString();
    EXPECT_EQ(TempFolder::Read(data.File("alt.csv")), "alter Inhalt");
    EXPECT_EQ(TempFolder::Read(data.File("neu.csv")).substr(0, 10), "Spektrum: ") << "chosen after the No";

    QString nameField;
    AnswerFileDialog(DataFile("alt"), [&](QFileDialog* dialog) { nameField = NameFieldAndPlaces(dialog); });
    AnswerQuestion(QMessageBox::Yes, &question);
    MainForm->FileCloseClick();
    EXPECT_EQ(nameField, "*.csv") << "the name typed last time is not kept";
    EXPECT_EQ(TempFolder::Read(data.File("alt.csv")).substr(0, 10), "Spektrum: ");
}

TEST_F(FileCommandsTest, ATypedPatternFiltersTheListInsteadOfNamingAFile) {
    TempFolder::Write(data.File("a.csv"), "");
    TempFolder::Write(data.File("b.txt"), "");
    MainForm->SaveDialogInitialDir = DataFile("");
    QStringList listed;
    AnswerFileDialog(DataFile("probe"), [&](QFileDialog* dialog) {
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::keyClick(nameEdit, Qt::Key_Return);
        listed << ListedOnceRead(dialog, {"a.csv"});
        nameEdit->setText(QStringLiteral("*.txt"));
        QTest::keyClick(nameEdit, Qt::Key_Return);
        listed << ListedOnceRead(dialog, {"b.txt"});
    });
    MainForm->FileCloseClick();
    EXPECT_EQ(listed, QStringList({"a.csv", "b.txt"}));
    EXPECT_FALSE(std::filesystem::exists(data.File("*.csv")));
    EXPECT_FALSE(std::filesystem::exists(data.File("*.txt")));
    EXPECT_TRUE(std::filesystem::exists(data.File("probe.csv")));
}

TEST_F(FileCommandsTest, TheOpenDialogRefusesANameInAMissingFolder) {
    FillSpectrum(7);
    MainForm->SaveSpectrumFile(DataFile("da.csv"));
    FillSpectrum(0);
    const QString folderBefore = MainForm->OpenDialogInitialDir;
    QString refusal;
    AnswerFileDialog({DataFile("kein/probe.csv")});
    AnswerQuestion(QMessageBox::Ok, &refusal);
    MainForm->FileOpenClick();
    EXPECT_TRUE(refusal.contains("existiert nicht")) << refusal.toStdString();
    EXPECT_EQ(MainForm->OpenDialogInitialDir, folderBefore);
    EXPECT_EQ(MainForm->SaveDialogInitialDir, folderBefore);

    AnswerFileDialog({DataFile("kein/probe.csv"), DataFile("da.csv")});
    AnswerQuestion(QMessageBox::Ok, &refusal);
    MainForm->FileOpenClick();
    EXPECT_EQ(MainForm->Spectrum.Readings[0], 7) << "the dialog stays open after the refusal";
}

TEST_F(FileCommandsTest, AStoredDataFolderTheUserMayNotReadGivesWayToTheStartFolderAndStaysStored) {
    // A folder the user sees but may not look into, like another user's home.
    const QString otherHome = DataFile("fremd");
    const QString listOnly = DataFile("nur-lesbar"); // its names can be read, but it can't be entered
    std::filesystem::create_directory(otherHome.toStdString());
    std::filesystem::create_directory(listOnly.toStdString());
    Unprivileged::Give(data.Path());
    std::filesystem::permissions(otherHome.toStdString(), std::filesystem::perms::none);
    std::filesystem::permissions(listOnly.toStdString(), std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::group_read |
                                                             std::filesystem::perms::others_read);
    Unprivileged::Run([&] {
        EXPECT_EQ(TSpectrumFileDialog::FolderToOpen(otherHome, "/start").toStdString(), "/start");
        EXPECT_EQ(TSpectrumFileDialog::FolderToOpen(listOnly, "/start").toStdString(), "/start");
        EXPECT_EQ(TSpectrumFileDialog::FolderToOpen(DataFile(""), "/start").toStdString(), data.File(""));
    });
    std::filesystem::permissions(otherHome.toStdString(), std::filesystem::perms::owner_all);
    // For the superuser too: a folder no longer there, such as a stick taken out.
    DestroyWindows();
    TIniFile("KX207.INI", settings.Path()).WriteString("Daten", "Datenverzeichnis", data.File("fort"));
    CreateWindows({settings.Path()});
    QString opened;
    AnswerFileDialog(QString(), [&](QFileDialog* dialog) { opened = dialog->directory().absolutePath(); });
    MainForm->FileOpenClick();
    EXPECT_EQ(opened, QDir::currentPath());
    DestroyWindows();
    EXPECT_EQ(TIniFile("KX207.INI", settings.Path()).ReadString("Daten", "Datenverzeichnis", ""),
              data.File("fort"));
    CreateWindows({settings.Path()});
}

TEST_F(FileCommandsTest, WhereTheRememberedFolderCantBeWrittenTheDialogsOpenInTheUsersOwnAndSaySo) {
    // The settings keep one folder for the whole machine: another user's home, or a stick taken out, as
    // here, which stops the superuser too.
    const QString gone = DataFile("fort/");
    MainForm->IniFile->WriteString("Messung", "Exportverzeichnis", gone.toStdString());
    MainForm->SaveDialogInitialDir = gone;
    const QString own = QDir::homePath() + QStringLiteral("/KX207");
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"picture", [] { MainForm->BildSpeichern->trigger(); }},
        {"table", [] { MainForm->TabelleExportieren->trigger(); }},
        {"spectrum", [] { MainForm->FileCloseClick(); }}};
    for (const auto& [what, command] : commands) {
        std::filesystem::remove_all(own.toStdString());
        MainForm->StatusBar->SetPanelText(2, QString());
        QString opened;
        AnswerFileDialog(QString(),
                         [&](QFileDialog* dialog) { opened = dialog->directory().absolutePath(); });
        command();
        EXPECT_EQ(opened, own) << what << ": made where it was missing";
        EXPECT_EQ(MainForm->StatusBar->PanelText(2),
                  QStringLiteral("Gespeichert wird in „%1“: „%2“ ist nicht beschreibbar").arg(own, gone))
            << what;
    }
    MainForm->IniFile->WriteString("Messung", "Exportverzeichnis", own.toStdString() + "/");
    std::filesystem::remove_all(own.toStdString());
    MainForm->StatusBar->SetPanelText(2, QString());
    AnswerFileDialog(QString());
    MainForm->BildSpeichern->trigger();
    EXPECT_TRUE(QFileInfo(own).isDir());
    EXPECT_EQ(MainForm->StatusBar->PanelText(2), QString())
        << "the own folder, remembered and gone, replaces nothing";
}

TEST_F(FileCommandsTest, TheToolkitsDialogsLeaveNothingInTheHomeFolder) {
    AnswerFileDialog(DataFile("a"));
    MainForm->FileCloseClick();
    AnswerFileDialog(DataFile("a.csv"));
    MainForm->FileOpenClick();
    {
        ModalWatcher watcher;
        MainForm->FarbeClick();
    }
    DestroyWindows();
    EXPECT_FALSE(std::filesystem::exists(std::string(std::getenv("XDG_CONFIG_HOME")) + "/QtProject.conf"));
    CreateWindows({settings.Path()});
}

} // namespace
