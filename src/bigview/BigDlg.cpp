// SPDX-License-Identifier: GPL-3.0-or-later
#include "bigview/BigDlg.h"

#include "settings/SettingsTable.h"
#include "spectrum/DiagramPainter.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/MainWindowLink.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

TBigForm* BigForm = nullptr;

namespace {

constexpr int DiagramLeft = 2;

QLineEdit* HiddenReadOnlyEdit(QWidget* parent, const QRect& place) {
    QLineEdit* edit = NewReadOnlyEdit(parent, place);
    edit->hide();
    return edit;
}

// Columns of the large diagram that name a channel, for positions from outside while a button is held.
int ClampedColumn(int x) {
    return std::clamp(x, 0, BigDiagram.ColumnsPerChannel * ChannelCount - 1);
}

} // namespace

TBigForm::TBigForm(MainWindowLink& mainWindow) : mainWindow_(mainWindow) {
    BigForm = this;
    MakeFixedWindow(*this, QStringLiteral("Spektrogramm"), ClientWidth, ClientHeight);
    setMouseTracking(true);

    SpektrumEdit = new TLabeledEdit(this, QRect(56, 1, 449, 21), QStringLiteral("Spektrum:"),
                                    TLabeledEdit::LabelPosition::Left);
    SpektrumEdit->setReadOnly(true);
    LambdaEdit = HiddenReadOnlyEdit(this, QRect(512, 1, 108, 21));
    RefEdit = HiddenReadOnlyEdit(this, QRect(632, 1, 105, 21));

    Image = new TImageView(this, QRect(DiagramLeft, 24, BigDiagram.Width, BigDiagram.Height));
    Image->setCursor(Qt::CrossCursor);
    Range_Label1 = NewLabel(this, QPoint(1024, 28), QStringLiteral("1024"));
    Range_Label1->setToolTip(QStringLiteral("Skalenendwert"));
    Range_Label2 = NewLabel(this, QPoint(1024, 136), QStringLiteral("1024"));
    Range_Label3 = NewLabel(this, QPoint(1024, 264), QStringLiteral("1024"));
    Range_Label4 = NewLabel(this, QPoint(1024, 392), QStringLiteral("1024"));
    Range_Label5 = NewLabel(this, QPoint(1024, 522), QStringLiteral("0"));
    Lambda_min_Label = NewLabel(this, QPoint(0, 541), QString());
    Lambda_max_Label = NewLabel(this, QPoint(0, 541), QString());
    Spektral_Image = new TImageView(this, QRect(DiagramLeft, 555, BigDiagram.Width, BigDiagram.StripHeight));
    Spektral_Image->setCursor(Qt::CrossCursor);

    Image->OnMouseMove = [this](Qt::MouseButtons buttons, int x, int y) { ImageMouseMove(buttons, x, y); };
    Spektral_Image->OnMouseMove = [this](Qt::MouseButtons buttons, int x, int y) {
        Spektral_ImageMouseMove(buttons, x, y);
    };
    Image->OnMouseDown = [this](Qt::MouseButtons buttons, int x, int y) { ImageMouseDown(buttons, x, y); };
    RunFormCreate();
}

void TBigForm::FormCreate() {
    // Qt paints every window double-buffered already.
    PlaceFromSettings(*this, mainWindow_.SettingsFile(), Settings::BigPlace);
    if (Settings::Read(mainWindow_.SettingsFile(), Settings::BigShown)) mainWindow_.GroesSpektrogramm1Click();
}

void TBigForm::FormDestroy() {
    StorePlace(*this, mainWindow_.SettingsFile(), Settings::BigPlace);
}

void TBigForm::FormActivate() {
    mainWindow_.DrawSpectrum();
}

void TBigForm::FormHide() {
    // Closing the window by its own close box ends the large view but leaves the stored "Big" as it was.
    mainWindow_.SharedState().BigShown = false;
}

void TBigForm::keyPressEvent(QKeyEvent* event) {
    // The large view is no question to be dismissed: only the menu and the close box end it.
    if (event->matches(QKeySequence::Cancel)) return;
    QDialog::keyPressEvent(event);
}

void TBigForm::mouseMoveEvent(QMouseEvent* event) {
    TApplication::RunGuarded([this] { FormMouseMove(); });
    QDialog::mouseMoveEvent(event);
}

void TBigForm::FormMouseMove() {
    LambdaEdit->hide();
}

void TBigForm::DrawBigSpectrum() {
    const BigDiagramTexts texts =
        DrawBigDiagram(mainWindow_.CurrentDiagramState(), Image->Canvas(), Spektral_Image->Canvas());
    QLabel* const rangeLabels[] = {Range_Label1, Range_Label2, Range_Label3, Range_Label4};
    for (int i = 0; i < 4; ++i) {
        rangeLabels[i]->setText(texts.RangeLabels[i]);
        rangeLabels[i]->adjustSize();
    }
    Lambda_min_Label->setText(texts.LambdaMin);
    Lambda_min_Label->adjustSize();
    Lambda_max_Label->setText(texts.LambdaMax);
    Lambda_max_Label->adjustSize();
    // The upper end stands under the diagram's right edge.
    Lambda_max_Label->move(DiagramLeft + BigDiagram.Width - Lambda_max_Label->width(), Lambda_max_Label->y());
    Image->update();
    Spektral_Image->update();
}

void TBigForm::ShowBigCursorReadout() {
    LambdaEdit->setText(mainWindow_.CursorReadout(BigCursorX, BigDiagram.ColumnsPerChannel));
}

void TBigForm::ImageMouseMove(Qt::MouseButtons, int x, int) {
    LambdaEdit->show();
    BigCursorX = ClampedColumn(x);
    ShowBigCursorReadout();
    if (!isActiveWindow() && !mainWindow_.CalibrationDialogShown()) activateWindow();
}

void TBigForm::Spektral_ImageMouseMove(Qt::MouseButtons buttons, int x, int y) {
    ImageMouseMove(buttons, x, y);
}

void TBigForm::ImageMouseDown(Qt::MouseButtons buttons, int, int y) {
    mainWindow_.SetReferenceByClick(buttons, (BigDiagram.Height - y) * mainWindow_.DiagramScaleDivisor() / 2);
}
