#include "calibration/Setup.h"

TSetupForm* SetupForm = nullptr;

TSetupForm::TSetupForm() {
    SetupForm = this;
    setWindowTitle(QStringLiteral("Einstellungen"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
}
