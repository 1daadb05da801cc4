#pragma once

#include <QDialog>

// The wavelength calibration dialog "Einstellungen": shown without being modal.
class TSetupForm : public QDialog {
    Q_OBJECT
public:
    TSetupForm();

    static constexpr int ClientWidth = 224;
    static constexpr int ClientHeight = 199;
};

extern TSetupForm* SetupForm;
