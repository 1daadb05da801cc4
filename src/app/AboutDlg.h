// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QFrame;
class QPushButton;
class QTextEdit;
class TImageView;
class TTimer;

// The about window: a short text and the logo; closes itself 7000 ms after each opening.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm();

    void Timer1Timer();

    QTextEdit* RichEdit1;
    TImageView* Image1;
    QFrame* Bevel1;
    QPushButton* BitBtn1;
    TTimer* Timer1;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    bool placed_ = false;
};

extern TAboutForm* AboutForm;
