#include "lines/SpektralDlg.h"

#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/WindowPlacement.h"


TSpektralForm* SpektralForm = nullptr;

TSpektralForm::TSpektralForm() {
    SpektralForm = this;
    setWindowTitle(QStringLiteral("Spektrallinien einblenden"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    TApplication::RunGuarded([this] { FormCreate(); });
}

void TSpektralForm::FormCreate() {
    SelectedLineFile = 0;
    PlaceFromSettings(*this, *MainForm->IniFile, "Left Spektrallinien", "Top Spektrallinien");
}

void TSpektralForm::FormDestroy() {
    StorePlace(*this, *MainForm->IniFile, "Left Spektrallinien", "Top Spektrallinien");
}
