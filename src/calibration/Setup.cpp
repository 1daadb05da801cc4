// SPDX-License-Identifier: GPL-3.0-or-later
#include "calibration/Setup.h"

#include "settings/SettingsTable.h"
#include "ui/Application.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/MainWindowLink.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

TSetupForm* SetupForm = nullptr;

namespace {

// The span the range edit shows for the ends `lambdaMin` and `lambdaMax`. Ends loaded from a file may
// lie as far apart as their 32 bits allow, so the difference is taken in 64 bits; the edit clamps it.
int RangeOf(int32_t lambdaMin, int32_t lambdaMax) {
    return static_cast<int>(std::clamp<int64_t>(int64_t(lambdaMax) - lambdaMin, INT32_MIN, INT32_MAX));
}

} // namespace

TSetupForm::TSetupForm(MainWindowLink& mainWindow) : mainWindow_(mainWindow) {
    SetupForm = this;
    MakeFixedWindow(*this, QStringLiteral("Einstellungen"), ClientWidth, ClientHeight);

    GroupBox4 = NewGroupBox(this, QRect(8, 4, 208, 140), QStringLiteral("Wellenlängenkalibrierung "));
    Label1 = NewLabel(GroupBox4, QPoint(12, 28), QStringLiteral("Minimum [nm]:"));
    Lambda_min_Edit = NewSpinEdit(GroupBox4, QRect(112, 24, 81, 22), 300, 500, 1, DefaultLambdaMin,
                                  QStringLiteral("kleinste Wellenlänge"));
    Label3 = NewLabel(GroupBox4, QPoint(12, 56), QStringLiteral("Bereich [nm]:"));
    Bereich_Edit = NewSpinEdit(GroupBox4, QRect(112, 52, 81, 22), 250, 350, 1,
                               DefaultLambdaMax - DefaultLambdaMin, QStringLiteral("Wellenlängenbereich"));
    Label2 = NewLabel(GroupBox4, QPoint(12, 84), QStringLiteral("Maximum [nm]:"));
    Lambda_max_Edit = new QLineEdit(GroupBox4);
    Lambda_max_Edit->setGeometry(112, 80, 81, 22);
    Lambda_max_Edit->setReadOnly(true);
    Lambda_max_Edit->setEnabled(false);
    Lambda_max_Edit->setToolTip(QStringLiteral("Größte Wellenlänge"));
    Label4 = NewLabel(GroupBox4, QPoint(12, 112), QStringLiteral("Nulloffset:"));
    OffsetEdit = NewSpinEdit(GroupBox4, QRect(112, 108, 81, 22), 0, 200, 5, 0, QStringLiteral("Nulloffset"));

    OK_Button = NewGlyphButton(this, QRect(8, 152, 100, 38), Artwork::OkGlyph(), QStringLiteral("OK"),
                               QStringLiteral("Werte übernehmen..."));
    MakeBold(*OK_Button);
    OK_Button->setDefault(true);
    Cancel_Button =
        NewGlyphButton(this, QRect(116, 152, 100, 38), Artwork::CancelGlyph(), QStringLiteral("Abbruch"),
                       QStringLiteral("Abbruch. Daten werden nicht übernommen."));
    MakeBold(*Cancel_Button);

    connect(Lambda_min_Edit, &QSpinBox::valueChanged, this, Guarded([this] { Lambda_min_EditChange(); }));
    connect(Bereich_Edit, &QSpinBox::valueChanged, this, Guarded([this] { Bereich_EditChange(); }));
    connect(OffsetEdit, &QSpinBox::valueChanged, this, Guarded([this] { OffsetEditChange(); }));
    connect(OK_Button, &QPushButton::clicked, this, Guarded([this] { OK_ButtonClick(); }));
    connect(Cancel_Button, &QPushButton::clicked, this, Guarded([this] { Cancel_ButtonClick(); }));
}

void TSetupForm::FormActivate() {
    const MainWindowState& state = mainWindow_.SharedState();
    SavedLambdaMin = state.Calibration.LambdaMin;
    SavedLambdaMax = state.Calibration.LambdaMax;
    SavedZeroOffset = state.ZeroOffset;
    Lambda_max_Edit->setText(QString::number(state.Calibration.LambdaMax));
    // A value outside an edit's range is clamped there, and the change handler this fires applies
    // the clamped value to the main window.
    OffsetEdit->setValue(state.ZeroOffset);
    Bereich_Edit->setValue(RangeOf(state.Calibration.LambdaMin, state.Calibration.LambdaMax));
    Lambda_min_Edit->setValue(state.Calibration.LambdaMin);
}

void TSetupForm::Lambda_min_EditChange() {
    const int32_t lambdaMin = Lambda_min_Edit->value();
    const int32_t lambdaMax = Bereich_Edit->value() + lambdaMin;
    mainWindow_.SetCalibration(lambdaMin, lambdaMax);
    Lambda_max_Edit->setText(QString::number(lambdaMax));
    mainWindow_.DrawSpectrum();
}

void TSetupForm::Bereich_EditChange() {
    const int32_t lambdaMax = Lambda_min_Edit->value() + Bereich_Edit->value();
    Lambda_max_Edit->setText(QString::number(lambdaMax));
    mainWindow_.SetCalibration(mainWindow_.SharedState().Calibration.LambdaMin, lambdaMax);
    mainWindow_.DrawSpectrum();
}

void TSetupForm::OffsetEditChange() {
    mainWindow_.SharedState().ZeroOffset = OffsetEdit->value();
    mainWindow_.DrawSpectrum();
}

void TSetupForm::OK_ButtonClick() {
    const WavelengthCalibration& calibration = mainWindow_.SharedState().Calibration;
    Settings::Write(mainWindow_.SettingsFile(), Settings::LambdaMin, calibration.LambdaMin);
    Settings::Write(mainWindow_.SettingsFile(), Settings::LambdaMax, calibration.LambdaMax);
    hide();
}

void TSetupForm::Cancel_ButtonClick() {
    {
        // Resetting the edits must not pass through their change handlers: a remembered value outside
        // an edit's range would be clamped there and the main window would not get back exactly what
        // it had.
        const QSignalBlocker blockMinimum(Lambda_min_Edit);
        const QSignalBlocker blockRange(Bereich_Edit);
        Lambda_min_Edit->setValue(SavedLambdaMin);
        Lambda_max_Edit->setText(QString::number(SavedLambdaMax));
        Bereich_Edit->setValue(RangeOf(SavedLambdaMin, SavedLambdaMax));
    }
    mainWindow_.SharedState().ZeroOffset = SavedZeroOffset;
    mainWindow_.SetCalibration(SavedLambdaMin, SavedLambdaMax);
    mainWindow_.DrawSpectrum();
    hide();
}

void TSetupForm::reject() {
    TApplication::RunGuarded([this] { Cancel_ButtonClick(); });
}

void TSetupForm::showEvent(QShowEvent* event) {
    TForm<QDialog>::showEvent(event);
    // The toolkit centres a dialog at every showing until it counts as placed. Placed where the system
    // put it the first time, it then stays wherever the user leaves it for the rest of the run.
    setAttribute(Qt::WA_Moved);
}

void TSetupForm::closeEvent(QCloseEvent* event) {
    // The close box does exactly what "Abbruch" does.
    event->ignore();
    TApplication::RunGuarded([this] { Cancel_ButtonClick(); });
}
