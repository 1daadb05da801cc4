// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's readout under the mouse, the reference line set by clicking, and the snapshot.
#include "app/MainFrm.h"

#include "bigview/BigDlg.h"
#include "calibration/Setup.h"
#include "spectrum/DiagramGeometry.h"
#include "ui/Application.h"
#include "ui/ImageView.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace {
// Columns of the diagram that name a channel: while a button is held the pointer may leave the
// diagram, and its position must still fall on one of the 128 channels.
int ClampedColumn(int x) {
    return std::clamp(x, 0, MainDiagram.ColumnsPerChannel * ChannelCount - 1);
}
} // namespace

void TMainForm::ImageMouseMove(Qt::MouseButtons, int x, int) {
    LambdaEdit->show();
    CursorX = ClampedColumn(x);
    ShowCursorReadout();
    if (!isActiveWindow() && !SetupForm->isVisible()) {
        activateWindow();
        BigForm->LambdaEdit->hide();
    }
}

void TMainForm::Spektral_ImageMouseMove(Qt::MouseButtons buttons, int x, int y) {
    ImageMouseMove(buttons, x, y);
}

void TMainForm::FormMouseMove() {
    LambdaEdit->hide();
    BigForm->LambdaEdit->hide();
}

void TMainForm::GroupBox1MouseMove() {
    FormMouseMove();
}
void TMainForm::GroupBox2MouseMove() {
    FormMouseMove();
}
void TMainForm::GroupBox3MouseMove() {
    FormMouseMove();
}

void TMainForm::ShowCursorReadout() {
    LambdaEdit->setText(CursorReadout(CursorX, MainDiagram.ColumnsPerChannel));
}

void TMainForm::ImageMouseDown(Qt::MouseButtons buttons, int x, int y) {
    // While a secondary window asks for a wavelength, the click names one and sets no reference.
    const int column = ClampedColumn(x);
    if ((buttons & Qt::LeftButton) && Picker &&
        Picker->PickWavelength(ChannelWavelength(Calibration, column / MainDiagram.ColumnsPerChannel,
                                                 column % MainDiagram.ColumnsPerChannel)))
        return;
    SetReferenceByClick(buttons, (DiagramHeight - y) * DiagramScaleDivisor());
}

void TMainForm::SetReferenceByClick(Qt::MouseButtons buttons, int32_t clickedValue) {
    if (buttons & Qt::RightButton) {
        ReferenceValue = 0;
        RefEdit->hide();
        BigForm->RefEdit->hide();
    }
    if (buttons & Qt::LeftButton) {
        ReferenceValue = clickedValue;
        const QString text = QStringLiteral("Referenzwert: ") + LevelText(ReferenceValue);
        RefEdit->setText(text);
        BigForm->RefEdit->setText(text);
        RefEdit->show();
        BigForm->RefEdit->show();
    }
    DrawSpectrum();
}

void TMainForm::SchnappschussButtonClick() {
    QGuiApplication::clipboard()->setImage(Image->Picture());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // A move that a control inside the area ignored reaches the area too; only the area's own
    // free surface hides the readout.
    if (event->type() == QEvent::MouseMove &&
        !static_cast<QWidget*>(watched)->childAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        if (watched == centralWidget())
            TApplication::RunGuarded([this] { FormMouseMove(); });
        else if (watched == GroupBox1)
            TApplication::RunGuarded([this] { GroupBox1MouseMove(); });
        else if (watched == GroupBox2)
            TApplication::RunGuarded([this] { GroupBox2MouseMove(); });
        else if (watched == GroupBox3)
            TApplication::RunGuarded([this] { GroupBox3MouseMove(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ConnectReadout() {
    for (QWidget* area : {centralWidget(), static_cast<QWidget*>(GroupBox1), static_cast<QWidget*>(GroupBox2),
                          static_cast<QWidget*>(GroupBox3)}) {
        area->setMouseTracking(true);
        area->installEventFilter(this);
    }
    Image->OnMouseMove = [this](Qt::MouseButtons buttons, int x, int y) { ImageMouseMove(buttons, x, y); };
    Spektral_Image->OnMouseMove = [this](Qt::MouseButtons buttons, int x, int y) {
        Spektral_ImageMouseMove(buttons, x, y);
    };
    Image->OnMouseDown = [this](Qt::MouseButtons buttons, int x, int y) { ImageMouseDown(buttons, x, y); };
    connect(SchnappschussButton, &QPushButton::clicked, this,
            Guarded([this] { SchnappschussButtonClick(); }));
}
