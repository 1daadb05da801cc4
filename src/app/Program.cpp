// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Program.h"

#include "app/AboutDlg.h"
#include "bigview/BigDlg.h"
#include "calibration/Setup.h"
#include "lines/SpektralDlg.h"
#include "ui/Application.h"
#include "ui/Artwork.h"

void CreateWindows(const MainFormContext& context) {
    new TMainForm(context);
    MainForm->show();
    new TSetupForm(*MainForm);
    new TAboutForm();
    new TSpektralForm(*MainForm);
    new TBigForm(*MainForm);
}

void DestroyWindows() {
    BigForm->RunFormDestroy();
    delete BigForm;
    BigForm = nullptr;
    SpektralForm->RunFormDestroy();
    delete SpektralForm;
    SpektralForm = nullptr;
    delete AboutForm;
    AboutForm = nullptr;
    delete SetupForm;
    SetupForm = nullptr;
    MainForm->RunFormDestroy();
    delete MainForm;
    MainForm = nullptr;
}

int RunProgram(int& argc, char** argv, const MainFormContext& context) {
    TApplication application(argc, argv);
    QGuiApplication::setWindowIcon(Artwork::WindowIcon());
    CreateWindows(context);
    const int result = TApplication::exec();
    DestroyWindows();
    return result;
}
