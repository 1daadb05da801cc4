// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"

#include "app/AboutDlg.h"
#include "app/SeriesCommands.h"
#include "bigview/BigDlg.h"
#include "calibration/Setup.h"
#include "lines/SpektralDlg.h"
#include "timecourse/TimeCourseDlg.h"
#include "ui/Application.h"
#include "ui/Artwork.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

void CreateWindows(const MainFormContext& context) {
    new TMainForm(context);
    MainForm->show();
    new TSetupForm(*MainForm);
    new TAboutForm();
    new TSpektralForm(*MainForm);
    new TBigForm(*MainForm);
    new TTimeCourseForm(*MainForm);
    QObject::connect(TimeCourseForm->MixButton, &QPushButton::clicked, MainForm->SeriesCommands->JetztMischen,
                     &QAction::trigger);
}

namespace {

// Runs the destruction handlers as the program ends. A settings file that refuses one window's keys
// refuses every later window's too, and the start has already said why: the first refusal is shown once,
// naming the file's place; the later ones only skip the rest of their handlers.
class DestructionHandlers {
public:
    template <class Window> void Run(TForm<Window>& window) {
        TApplication::RunGuarded([&] {
            try {
                window.FormDestroy();
            } catch (const EIniFileException&) {
                if (settingsRefused_) return;
                settingsRefused_ = true;
                const QString path =
                    QDir::toNativeSeparators(QString::fromStdString(MainForm->IniFile->Path()));
                TApplication::ShowException(
                    ("In " + path.toStdString() + " kann nicht geschrieben werden").c_str());
            }
        });
    }

private:
    bool settingsRefused_ = false;
};

} // namespace

void DestroyWindows() {
    DestructionHandlers handlers;
    handlers.Run(*TimeCourseForm);
    delete TimeCourseForm;
    handlers.Run(*BigForm);
    delete BigForm;
    BigForm = nullptr;
    handlers.Run(*SpektralForm);
    delete SpektralForm;
    SpektralForm = nullptr;
    delete AboutForm;
    AboutForm = nullptr;
    delete SetupForm;
    SetupForm = nullptr;
    handlers.Run(*MainForm);
    delete MainForm;
    MainForm = nullptr;
}

namespace {

// What the toolkit says while the application object is made is held back: without a display it ends
// in an abort whose advice ("Reinstalling the application may fix this problem") misleads. The program
// then says in one line what is missing and ends; otherwise the held-back messages go out as usual.
struct HeldMessage {
    QtMsgType type;
    QByteArray category;
    QString text;
};
std::vector<HeldMessage> HeldMessages;
// The toolkit's own threads (the X connection's reader) may speak while the main thread does.
std::mutex HeldMessagesLock;
QtMessageHandler ToolkitMessageHandler = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        const std::lock_guard<std::mutex> lock(HeldMessagesLock);
        HeldMessages.push_back({type, context.category, text});
        return;
    }
    const char* display = std::getenv("DISPLAY");
    const std::string where =
        display && *display ? std::string("DISPLAY=") + display : std::string("DISPLAY ist nicht gesetzt");
    std::fprintf(stderr, "kx207: Keine grafische Oberfläche erreichbar (%s).\n", where.c_str());
    std::_Exit(1);
}

void HoldToolkitMessages() {
    ToolkitMessageHandler = qInstallMessageHandler(HoldMessage);
}

void ReleaseToolkitMessages() {
    qInstallMessageHandler(ToolkitMessageHandler);
    const std::lock_guard<std::mutex> lock(HeldMessagesLock);
    for (const HeldMessage& message : HeldMessages)
        ToolkitMessageHandler(message.type,
                              QMessageLogContext(nullptr, 0, nullptr, message.category.constData()),
                              message.text);
    HeldMessages.clear();
}

} // namespace

int RunProgram(int& argc, char** argv, const MainFormContext& context, const CompanionWindow& companion) {
    HoldToolkitMessages();
    TApplication application(argc, argv);
    ReleaseToolkitMessages();
    QGuiApplication::setWindowIcon(Artwork::WindowIcon());
    CreateWindows(context);
    std::unique_ptr<QWidget> companionWindow = companion ? companion() : nullptr;
    const int result = TApplication::exec();
    companionWindow.reset();
    DestroyWindows();
    return result;
}
