// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Form.h"

#include <QDialog>
#include <cstdint>

class MainWindowLink;

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The wavelength calibration dialog "Einstellungen": every step of a value takes effect in the
// main window at once; "OK" keeps and stores the range, "Abbruch" returns to the values the main
// window had when the dialog became active.
class TSetupForm : public TForm<QDialog> {
    Q_OBJECT
public:
    // The dialog speaks to the main window only through `mainWindow`.
    explicit TSetupForm(MainWindowLink& mainWindow);

    static constexpr int ClientWidth = 224;
    static constexpr int ClientHeight = 199;

    void FormActivate() override;
    void Lambda_min_EditChange();
    void Bereich_EditChange();
    void OffsetEditChange();
    void OK_ButtonClick();
    void Cancel_ButtonClick();

    QGroupBox* GroupBox4;
    QLabel* Label1;
    QSpinBox* Lambda_min_Edit;
    QLabel* Label3;
    QSpinBox* Bereich_Edit;
    QLabel* Label2;
    QLineEdit* Lambda_max_Edit;
    QLabel* Label4;
    QSpinBox* OffsetEdit;
    QPushButton* OK_Button;
    QPushButton* Cancel_Button;

    // The restore point, taken each time the dialog becomes active.
    int32_t SavedLambdaMin = 0;
    int32_t SavedLambdaMax = 0;
    int32_t SavedZeroOffset = 0;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    MainWindowLink& mainWindow_;
};

extern TSetupForm* SetupForm;
