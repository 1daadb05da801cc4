// Program entry: creates the five windows in order, runs the message loop, and destroys the
// windows in reverse order, each running its destruction handler.
#include "app/AboutDlg.h"
#include "app/Application.h"
#include "app/Artwork.h"
#include "app/MainFrm.h"
#include "bigview/BigDlg.h"
#include "calibration/Setup.h"
#include "lines/SpektralDlg.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    QGuiApplication::setWindowIcon(Artwork::WindowIcon());

    new TMainForm();
    MainForm->show();
    new TSetupForm();
    new TAboutForm();
    new TSpektralForm();
    new TBigForm();

    const int result = TApplication::exec();

    TApplication::RunGuarded([] { BigForm->FormDestroy(); });
    delete BigForm;
    TApplication::RunGuarded([] { SpektralForm->FormDestroy(); });
    delete SpektralForm;
    delete AboutForm;
    delete SetupForm;
    TApplication::RunGuarded([] { MainForm->FormDestroy(); });
    delete MainForm;
    return result;
}
