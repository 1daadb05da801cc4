#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;
class TLabeledEdit;

// The large spectrogram window "Spektrogramm": the main window's spectrum at twice the size.
class TBigForm : public QDialog {
    Q_OBJECT
public:
    TBigForm();

    static constexpr int ClientWidth = 1053;
    static constexpr int ClientHeight = 610;

    void FormCreate();
    void FormDestroy();
    void FormHide();

    TLabeledEdit* SpektrumEdit;
    QLineEdit* LambdaEdit;
    QLineEdit* RefEdit;
    // x of the last mouse position over the large diagram or its colour strip.
    int32_t BigCursorX = 0;

protected:
    void hideEvent(QHideEvent* event) override;
};

extern TBigForm* BigForm;
