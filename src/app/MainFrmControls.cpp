// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls, menu and tool bar, at the places and sizes of its fixed layout.
#include "app/MainFrm.h"

#include "device/CPortCtl.h"
#include "ui/Application.h"
#include "ui/Artwork.h"
#include "ui/Controls.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"

#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

namespace {

QAction* MenuItem(QMenu* menu, const QString& caption, int image, const QString& hint) {
    auto* action = menu->addAction(QIcon(Artwork::ToolImagePixmap(image)), caption);
    action->setToolTip(hint);
    return action;
}

// A gap between groups of tool buttons, with an etched line in its middle.
QWidget* ToolSeparator(QWidget* toolBar, int left, int width) {
    auto* separator = new QFrame(toolBar);
    separator->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    separator->setGeometry(left, 2, width, 38);
    return separator;
}

} // namespace

void TMainForm::CreateMenu() {
    QMenuBar* bar = menuBar();
    Beenden1 = bar->addMenu(QStringLiteral("Datei"));
    FileOpen = MenuItem(Beenden1, QStringLiteral("Öffnen..."), Artwork::Open,
                        QStringLiteral("Abgespeichertes Spektrum öffnen..."));
    FileClose = MenuItem(Beenden1, QStringLiteral("Speichern..."), Artwork::Save,
                         QStringLiteral("Aktuelles Spektrum speichern..."));
    N1 = Beenden1->addSeparator();
    FileQuit =
        MenuItem(Beenden1, QStringLiteral("Beenden"), Artwork::Quit, QStringLiteral("Programm beenden..."));

    Setup1 = bar->addMenu(QStringLiteral("Ansicht"));
    Einstellungen = MenuItem(Setup1, QStringLiteral("Einstellungen..."), Artwork::Settings,
                             QStringLiteral("Wertebereich der X-Achse einstellen..."));
    Farbe = MenuItem(Setup1, QStringLiteral("Farbe..."), Artwork::Colour,
                     QStringLiteral("Kurvenfarbe festlegen..."));
    GroesSpektrogramm1 = MenuItem(Setup1, QStringLiteral("Großes Spektrogramm"), Artwork::LargeSpectrogram,
                                  QStringLiteral("Großes Spektrogrammfenster..."));

    Spektrallinien1 = bar->addMenu(QStringLiteral("Spektrallinien"));
    Spektrallinieneinblenden =
        MenuItem(Spektrallinien1, QStringLiteral("Spektrallinien einblenden..."), Artwork::SpectralLines,
                 QStringLiteral("Spektrallinien einblenden..."));
}

void TMainForm::CreateToolBar(QWidget* client) {
    ToolBar1 = new QWidget(client);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setGeometry(0, 0, ClientWidth, 42);
    int left = 0;
    auto button = [&](QAction* item) {
        auto* toolButton = new QToolButton(ToolBar1);
        toolButton->setDefaultAction(item);
        toolButton->setIconSize(QSize(32, 32));
        toolButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
        toolButton->setAutoRaise(true);
        toolButton->setGeometry(left, 2, 39, 38);
        left += 39;
        return toolButton;
    };
    auto separator = [&](int width) {
        QWidget* gap = ToolSeparator(ToolBar1, left, width);
        left += width;
        return gap;
    };
    ToolButton1 = button(FileQuit);
    ToolButton3 = separator(10);
    ToolButton6 = button(FileOpen);
    ToolButton8 = button(FileClose);
    ToolButton7 = separator(10);
    ToolButton2 = button(Einstellungen);
    ToolButton4 = button(Farbe);
    ToolButton5 = separator(8);
    ToolButton9 = button(Spektrallinieneinblenden);
    ToolButton10 = button(GroesSpektrogramm1);
}

void TMainForm::CreateControls(QWidget* client) {
    LambdaEdit = NewReadOnlyEdit(client, QRect(312, 15, 108, 21));
    LambdaEdit->hide();
    RefEdit = NewReadOnlyEdit(client, QRect(424, 15, 105, 21));
    RefEdit->hide();
    SpektrumEdit = new TLabeledEdit(client, QRect(56, 48, 449, 21), QStringLiteral("Spektrum:"),
                                    TLabeledEdit::LabelPosition::Left);

    Image = new TImageView(client, QRect(2, 77, 509, 256));
    Image->setCursor(Qt::CrossCursor);
    Range_Label1 = NewFixedLabel(client, QRect(512, 76, 24, 29), QStringLiteral("1024"));
    Range_Label1->setToolTip(QStringLiteral("Skalenendwert"));
    Range_Label2 = NewFixedLabel(client, QRect(512, 136, 24, 13), QStringLiteral("1024"));
    Range_Label3 = NewFixedLabel(client, QRect(512, 200, 24, 13), QStringLiteral("1024"));
    Range_Label4 = NewFixedLabel(client, QRect(512, 264, 24, 13), QStringLiteral("1024"));
    Range_Label5 = NewLabel(client, QPoint(512, 322), QStringLiteral("0"));
    LED = new TComLed(client);
    LED->move(512, 96);
    LED->SetLedSignal(lsConn);
    LED->SetKind(lkRedLight);
    Lambda_min_Label = NewLabel(client, QPoint(0, 333), QStringLiteral("0nm"));
    Lambda_max_Label = NewLabel(client, QPoint(496, 333), QStringLiteral("900nm"));
    Spektral_Image = new TImageView(client, QRect(2, 347, 509, 45));
    Spektral_Image->setCursor(Qt::CrossCursor);

    GroupBox2 = NewGroupBox(client, QRect(0, 392, 129, 201), QStringLiteral(" Diagramm "));
    Autoscale_CheckBox = NewCheckBox(GroupBox2, QRect(8, 16, 97, 17), QStringLiteral("Autoskalierung"),
                                     QStringLiteral("Automatische Skalierung einschalten?"));
    Label3 = NewLabel(GroupBox2, QPoint(16, 40), QStringLiteral("Skalierung:"));
    Skalierung_SpinEdit = NewSpinEdit(GroupBox2, QRect(72, 32, 41, 22), 1, 4, 1, 1,
                                      QStringLiteral("Wert für manuelle Skalierung (1..4)"));
    Min_CheckBox = NewCheckBox(GroupBox2, QRect(8, 64, 113, 17), QStringLiteral("Minimum markieren"),
                               QStringLiteral("Minimum farblich markieren?"));
    Max_CheckBox = NewCheckBox(GroupBox2, QRect(8, 88, 113, 17), QStringLiteral("Maximum markieren"),
                               QStringLiteral("Maximum farblich markieren?"));
    Spektralfarben_CheckBox = NewCheckBox(GroupBox2, QRect(8, 112, 113, 17), QStringLiteral("Spektralfarben"),
                                          QStringLiteral("Spektralfarben für Kurve verwenden?"));
    Balkendiagramm_CheckBox = NewCheckBox(GroupBox2, QRect(8, 136, 113, 17), QStringLiteral("Balkendiagramm"),
                                          QStringLiteral("Darstellung als Balkendiagramm?"));
    Gitter_CheckBox = NewCheckBox(GroupBox2, QRect(8, 160, 97, 17), QStringLiteral("Gitternetzlinien"),
                                  QStringLiteral("Gitternetzlinien einblenden?"));

    GroupBox3 = NewGroupBox(client, QRect(136, 392, 105, 113), QStringLiteral(" Auswertung "));
    MinPos_Edit = new TLabeledEdit(GroupBox3, QRect(8, 32, 81, 21), QStringLiteral("Minimum bei: "),
                                   TLabeledEdit::LabelPosition::Above);
    MaxPos_Edit = new TLabeledEdit(GroupBox3, QRect(8, 72, 81, 21), QStringLiteral("Maximum bei: "),
                                   TLabeledEdit::LabelPosition::Above);

    Bevel1 = new QFrame(client);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(253, 402, 112, 89);
    Image1 = new TImageView(client, QRect(253, 402, 111, 88));
    Image1->SetFixedPicture(Artwork::Logo());
    Image1->setCursor(Qt::PointingHandCursor);
    Image2 = new TImageView(client, QRect(381, 402, 128, 25));

    SchnappschussButton = NewGlyphButton(client, QRect(392, 480, 121, 49), Artwork::SnapshotGlyph(),
                                         QStringLiteral("Schnappschuss"),
                                         QStringLiteral("Spektrogramm in Zwischenablage kopieren..."));
    SchnappschussButton->setIconSize(QSize(32, 32));

    GroupBox1 = NewGroupBox(client, QRect(136, 512, 241, 81), QStringLiteral(" Belichtungszeit "));
    TrackBar = new QSlider(Qt::Horizontal, GroupBox1);
    TrackBar->setGeometry(3, 15, 182, 40);
    TrackBar->setRange(0, 100);
    TrackBar->setTickInterval(1);
    TrackBar->setTickPosition(QSlider::TicksBelow);
    GroupBox4 = new QFrame(GroupBox1);
    GroupBox4->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    GroupBox4->setGeometry(176, 8, 81, 1);
    GainEdit = NewReadOnlyEdit(GroupBox1, QRect(192, 16, 33, 21));
    Korrektur_CheckBox =
        NewCheckBox(GroupBox1, QRect(8, 56, 145, 17), QStringLiteral("Empfindlichkeitskorrektur"),
                    QStringLiteral("Empfindlichkeitskurve des Detektors berücksichtigen?"));
    Auto_CheckBox = NewCheckBox(GroupBox1, QRect(160, 56, 73, 17), QStringLiteral("Automatik"),
                                QStringLiteral("Automatische Einstellung der Belichtungszeit?"));

    Messung_Button = NewGlyphButton(client, QRect(392, 536, 121, 41), Artwork::MeasureGlyph(),
                                    QStringLiteral("Start"), QStringLiteral("Spektren aufnehmen..."));
    Messung_Button->setIconSize(QSize(32, 32));
    Messung_Button->setEnabled(false);

    StatusBar = new TStatusBar(client, QRect(0, 594, ClientWidth, 19), {60, 60, 175, 50});
    StatusBar->SetPanelText(0, QStringLiteral("Min:"));
    StatusBar->SetPanelText(1, QStringLiteral("Max:"));
    StatusBar->SetPanelText(2, QStringLiteral("KX207 · Lehrmittel-Spektroskopie"));
    StatusBar->SetPanelText(3, QStringLiteral("kein Spektrometer angeschlossen"));
    StatusBar->setToolTip(QStringLiteral("https://www.kolix-spektrometer.de"));
}

void TMainForm::ConnectHandlers() {
    connect(FileQuit, &QAction::triggered, this, Guarded([this] { FileQuitClick(); }));
    connect(Farbe, &QAction::triggered, this, Guarded([this] { FarbeClick(); }));
    connect(FileOpen, &QAction::triggered, this, Guarded([this] { FileOpenClick(); }));
    connect(FileClose, &QAction::triggered, this, Guarded([this] { FileCloseClick(); }));
    connect(Einstellungen, &QAction::triggered, this, Guarded([this] { EinstellungenClick(); }));
    connect(Spektrallinieneinblenden, &QAction::triggered, this,
            Guarded([this] { SpektrallinieneinblendenClick(); }));
    connect(GroesSpektrogramm1, &QAction::triggered, this, Guarded([this] { GroesSpektrogramm1Click(); }));
    Image1->OnClick = [this] { Image1Click(); };

    connect(Autoscale_CheckBox, &QCheckBox::toggled, this, Guarded([this] { Autoscale_CheckBoxClick(); }));
    connect(Skalierung_SpinEdit, &QSpinBox::valueChanged, this,
            Guarded([this] { Skalierung_SpinEditChange(); }));
    connect(Min_CheckBox, &QCheckBox::toggled, this, Guarded([this] { Min_CheckBoxClick(); }));
    connect(Max_CheckBox, &QCheckBox::toggled, this, Guarded([this] { Max_CheckBoxClick(); }));
    connect(Spektralfarben_CheckBox, &QCheckBox::toggled, this,
            Guarded([this] { Spektralfarben_CheckBoxClick(); }));
    connect(Balkendiagramm_CheckBox, &QCheckBox::toggled, this,
            Guarded([this] { Balkendiagramm_CheckBoxClick(); }));
    connect(Gitter_CheckBox, &QCheckBox::toggled, this, Guarded([this] { Gitter_CheckBoxClick(); }));
    // The correction shares the grid's handler: both only ask for a redraw.
    connect(Korrektur_CheckBox, &QCheckBox::toggled, this, Guarded([this] { Gitter_CheckBoxClick(); }));
    connect(SpektrumEdit, &QLineEdit::textChanged, this, Guarded([this] { SpektrumEditChange(); }));
    connect(TrackBar, &QSlider::valueChanged, this, Guarded([this] { TrackBarChange(); }));
    connect(Messung_Button, &QPushButton::clicked, this, Guarded([this] { Messung_ButtonClick(); }));
}
