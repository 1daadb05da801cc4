// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"

#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/ImageView.h"
#include "ui/Timer.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>

TAboutForm* AboutForm = nullptr;

namespace {
const char* const AboutText[] = {
    "KOLiX-Spektrometer KX207",
    "Version 1.0",
    "",
    "Programm zum USB-Spektrometer",
    "mit 128-Pixel-Zeilensensor",
    "",
    "Live-Spektrum, Kalibrierung,",
    "Spektrallinien und CSV-Dateien",
    "",
    "Für Unterricht, Studium und Hobby",
    "KX207-Entwicklerteam",
};
}

TAboutForm::TAboutForm() {
    AboutForm = this;
    MakeFixedWindow(*this, QStringLiteral("KOLiX-Spektrometer KX207"), 425, 175);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setGeometry(8, 8, 289, 161);
    RichEdit1->setReadOnly(true);
    RichEdit1->setStyleSheet(QStringLiteral("QTextEdit { background: #c0c0c0; color: #0000ff; }"));
    MakeBold(*RichEdit1);
    for (const char* line : AboutText) {
        RichEdit1->append(QString::fromUtf8(line));
        RichEdit1->setAlignment(Qt::AlignCenter);
    }

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Raised);
    Bevel1->setGeometry(304, 8, 113, 89);
    Image1 = new TImageView(this, QRect(305, 9, 111, 88));
    Image1->SetFixedPicture(Artwork::Logo());
    Image1->setCursor(Qt::PointingHandCursor);

    BitBtn1 =
        NewGlyphButton(this, QRect(312, 112, 97, 49), Artwork::OkGlyph(), QStringLiteral("OK"), QString());
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    Timer1 = new TTimer(
        7000, [this] { Timer1Timer(); }, this);
}

void TAboutForm::Timer1Timer() {
    if (isVisible()) accept();
}

void TAboutForm::reject() {
    // Escape presses the OK button: the window always closes with the result "OK".
    accept();
}

void TAboutForm::showEvent(QShowEvent* event) {
    // Centred on the desktop the first time; later it reopens where it was last.
    if (!placed_) {
        placed_ = true;
        const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
        move(desktop.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}
