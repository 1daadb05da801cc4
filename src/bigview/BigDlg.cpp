#include "bigview/BigDlg.h"

#include "app/Application.h"
#include "app/LabeledEdit.h"
#include "app/MainFrm.h"
#include "app/WindowPlacement.h"

#include <QHideEvent>
#include <QLineEdit>

TBigForm* BigForm = nullptr;

namespace {
const std::string WindowSection = "Fenster";
}

TBigForm::TBigForm() {
    BigForm = this;
    setWindowTitle(QStringLiteral("Spektrogramm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    SpektrumEdit = new TLabeledEdit(this, QRect(56, 1, 449, 21), QStringLiteral("Spektrum:"),
                                    TLabeledEdit::LabelPosition::Left);
    SpektrumEdit->setReadOnly(true);
    LambdaEdit = new QLineEdit(this);
    LambdaEdit->setGeometry(512, 1, 108, 21);
    LambdaEdit->setReadOnly(true);
    LambdaEdit->hide();
    RefEdit = new QLineEdit(this);
    RefEdit->setGeometry(632, 1, 105, 21);
    RefEdit->setReadOnly(true);
    RefEdit->hide();
    TApplication::RunGuarded([this] { FormCreate(); });
}

void TBigForm::FormCreate() {
    PlaceFromSettings(*this, *MainForm->IniFile, "Left Big", "Top Big");
    if (MainForm->IniFile->ReadBool(WindowSection, "Big", false))
        MainForm->GroesSpektrogramm1Click();
}

void TBigForm::FormDestroy() {
    StorePlace(*this, *MainForm->IniFile, "Left Big", "Top Big");
}

void TBigForm::FormHide() {
    // Closing the window by its own close box ends the large view but leaves the stored "Big" as it was.
    MainForm->BigShown = false;
}

void TBigForm::hideEvent(QHideEvent* event) {
    if (!event->spontaneous())
        TApplication::RunGuarded([this] { FormHide(); });
    QDialog::hideEvent(event);
}
