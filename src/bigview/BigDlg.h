// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Form.h"

#include <QDialog>
#include <cstdint>

class MainWindowLink;

class QLabel;
class QLineEdit;
class TImageView;
class TLabeledEdit;

// The large spectrogram window "Spektrogramm": the main window's spectrum at twice the size, with
// its own readout and reference clicks.
class TBigForm : public TForm<QDialog> {
    Q_OBJECT
public:
    // The window speaks to the main window only through `mainWindow`.
    explicit TBigForm(MainWindowLink& mainWindow);

    static constexpr int ClientWidth = 1053;
    static constexpr int ClientHeight = 610;

    void FormCreate() override;
    void FormDestroy() override;
    void FormActivate() override;
    void FormHide() override;
    void FormMouseMove();
    void ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void Spektral_ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void ImageMouseDown(Qt::MouseButtons buttons, int x, int y);

    // Repaints the window from the main window's state as its last redraw left it.
    void DrawBigSpectrum();
    // Writes the readout for BigCursorX into LambdaEdit.
    void ShowBigCursorReadout();

    TLabeledEdit* SpektrumEdit;
    QLineEdit* LambdaEdit;
    QLineEdit* RefEdit;
    TImageView* Image;
    QLabel* Range_Label1;
    QLabel* Range_Label2;
    QLabel* Range_Label3;
    QLabel* Range_Label4;
    QLabel* Range_Label5;
    QLabel* Lambda_min_Label;
    QLabel* Lambda_max_Label;
    TImageView* Spektral_Image;

    // x of the last mouse position over the large diagram or its colour strip.
    int32_t BigCursorX = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    MainWindowLink& mainWindow_;
};

extern TBigForm* BigForm;
