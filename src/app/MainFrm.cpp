// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainFrm.h"

#include "app/AboutDlg.h"
#include "app/HelpCommands.h"
#include "app/MeasurementCommands.h"
#include "app/MenuKeys.h"
#include "app/SeriesCommands.h"
#include "bigview/BigDlg.h"
#include "calibration/Setup.h"
#include "lines/SpektralDlg.h"
#include "settings/SettingsFolder.h"
#include "settings/SettingsTable.h"
#include "ui/Application.h"
#include "ui/ImageView.h"
#include "ui/LabeledEdit.h"
#include "ui/StatusBar.h"
#include "ui/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(MainFormContext context) : context_(std::move(context)) {
    MainForm = this;
    setWindowTitle(QStringLiteral("KOLiX-Spektrometer KX207 V1.0 "));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    CreateMenu();
    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    CreateToolBar(client);
    CreateControls(client);
    MeasurementCommands = new TMeasurementCommands(*this);
    CreateAnalysisMenu();
    CreateConcentrationCommand();
    SeriesCommands = new TSeriesCommands(*this);
    HelpCommands = new THelpCommands(*this);
    // The menus that came after the first three get letters for their items (the handbook has F1);
    // every title a key.
    for (QMenu* menu : {MeasurementCommands->Messung1, Auswertung1, SeriesCommands->Kinetik1})
        MarkItemLetters(*menu);
    GiveMenusKeys(*this);
    ComPort = std::make_unique<TComPort>();
    ComPort->SetBaudRate(br115200);
    ComPort->SetPort("COM2");
    Messung_Timer = new TTimer(
        1000, [this] { Messung_TimerTimer(); }, this);
    VersionsTimer = new TTimer(
        1000, [this] { VersionsTimerTimer(); }, this);
    COMException_Timer = new TTimer(
        5000, [this] { COMException_TimerTimer(); }, this);
    ConnectHandlers();
    ConnectReadout();
    setFixedSize(ClientWidth, menuBar()->sizeHint().height() + ClientHeight);
    RunFormCreate();
}

TMainForm::~TMainForm() {
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::FormCreate() {
    StartDir = QDir::currentPath();
    IniFile = std::make_unique<TIniFile>("KX207.INI", context_.SettingsFolder);
    const QString takenOver = QString::fromStdString(TakeOverFormerSettings(*IniFile));
    ConnectInstrument();

    SetCalibration(Settings::Read(*IniFile, Settings::LambdaMin),
                   Settings::Read(*IniFile, Settings::LambdaMax));
    TrackBar->setValue(std::clamp(Settings::Read(*IniFile, Settings::Gain), 0, 100));
    GainEdit->setText(QString::number(TrackBar->value()));
    Korrektur_CheckBox->setChecked(Settings::Read(*IniFile, Settings::Correction));
    Auto_CheckBox->setChecked(Settings::Read(*IniFile, Settings::AutoExposure));
    Skalierung_SpinEdit->setValue(std::clamp(Settings::Read(*IniFile, Settings::Scaling), 1, 4));
    Autoscale_CheckBox->setChecked(Settings::Read(*IniFile, Settings::AutoScale));
    Min_CheckBox->setChecked(Settings::Read(*IniFile, Settings::Minimum));
    Max_CheckBox->setChecked(Settings::Read(*IniFile, Settings::Maximum));
    Spektralfarben_CheckBox->setChecked(Settings::Read(*IniFile, Settings::SpectralColours));
    Balkendiagramm_CheckBox->setChecked(Settings::Read(*IniFile, Settings::Bars));
    Gitter_CheckBox->setChecked(Settings::Read(*IniFile, Settings::Grid));
    CurveColor = static_cast<TColor>(Settings::Read(*IniFile, Settings::CurveColour));
    ZeroOffset = Settings::Read(*IniFile, Settings::Offset);
    SaveDialogInitialDir = QString::fromStdString(
        Settings::Read(*IniFile, Settings::DataFolder, QDir::currentPath().toStdString()));
    OpenDialogInitialDir = SaveDialogInitialDir;

    const QPoint stored(Settings::Read(*IniFile, Settings::Left(Settings::MainPlace)),
                        Settings::Read(*IniFile, Settings::Top(Settings::MainPlace)));
    if (LiesOnAScreen(stored, frameGeometry().size())) move(stored);

    MeasurementCommands->RestoreDark();
    LinesShown = false;
    BigShown = false;
    ReferenceValue = 0;
    settingsRead_ = true;
    if (!takenOver.isEmpty())
        ShowOverStartedWindow(
            QMessageBox::Information,
            QStringLiteral("Die Einstellungen wurden aus %1 übernommen und stehen ab jetzt in %2.")
                .arg(takenOver, QDir::toNativeSeparators(QString::fromStdString(IniFile->Path()))));
    WarnIfSettingsCannotBeWritten();
}

void TMainForm::ShowOverStartedWindow(QMessageBox::Icon icon, const QString& text) {
    QTimer::singleShot(0, this, [this, icon, text] {
        QMessageBox(icon, QCoreApplication::applicationName(), text, QMessageBox::Ok, this).exec();
    });
}

void TMainForm::WarnIfSettingsCannotBeWritten() {
    // Said once at start, over the shown window, while the user can still mend it; at quit the run's
    // settings would already be lost.
    const QString problem =
        QString::fromStdString(SettingsWriteProblem(context_.SettingsFolder, IniFile->FileName()));
    if (!problem.isEmpty()) ShowOverStartedWindow(QMessageBox::Warning, problem);
}

void TMainForm::FormDestroy() {
    // A start cut short before the settings were read must not overwrite them with defaults.
    if (!settingsRead_) return;
    Settings::Write(*IniFile, Settings::Gain, TrackBar->value());
    Settings::Write(*IniFile, Settings::Correction, Korrektur_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::AutoExposure, Auto_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::Scaling, Skalierung_SpinEdit->value());
    Settings::Write(*IniFile, Settings::AutoScale, Autoscale_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::Minimum, Min_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::Maximum, Max_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::SpectralColours, Spektralfarben_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::Bars, Balkendiagramm_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::Grid, Gitter_CheckBox->isChecked());
    Settings::Write(*IniFile, Settings::CurveColour, static_cast<int32_t>(CurveColor));
    Settings::Write(*IniFile, Settings::Offset, ZeroOffset);
    Settings::Write(*IniFile, Settings::DataFolder, OpenDialogInitialDir.toStdString());
    StorePlace(*this, *IniFile, Settings::MainPlace);
}

void TMainForm::FormActivate() {
    // Qt paints every window double-buffered already, so nothing needs switching here.
    DrawSpectrum();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program, even while a secondary window is still shown.
    if (!MayQuit()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void TMainForm::FileQuitClick() {
    if (MayQuit()) QCoreApplication::quit();
}

namespace {
// Shows a secondary window in front, where it becomes the active window.
void ShowInFront(QWidget& window) {
    window.show();
    window.raise();
    window.activateWindow();
}
} // namespace

void TMainForm::EinstellungenClick() {
    ShowInFront(*SetupForm);
}

void TMainForm::SpektrallinieneinblendenClick() {
    ShowInFront(*SpektralForm);
}

void TMainForm::GroesSpektrogramm1Click() {
    if (BigShown) {
        BigShown = false;
        BigForm->hide();
    } else {
        BigShown = true;
        ShowInFront(*BigForm);
    }
    Settings::Write(*IniFile, Settings::BigShown, BigShown);
}

void TMainForm::Image1Click() {
    AboutForm->Timer1->SetEnabled(true);
    AboutForm->exec();
    AboutForm->Timer1->SetEnabled(false);
}

void TMainForm::RedrawUnlessMeasuring() {
    if (!Messung_Timer->Enabled()) DrawSpectrum();
}

void TMainForm::Autoscale_CheckBoxClick() {
    const bool manual = !Autoscale_CheckBox->isChecked();
    Skalierung_SpinEdit->setEnabled(manual);
    Label3->setEnabled(manual);
    RedrawUnlessMeasuring();
}

void TMainForm::Skalierung_SpinEditChange() {
    RedrawUnlessMeasuring();
}
void TMainForm::Min_CheckBoxClick() {
    RedrawUnlessMeasuring();
}
void TMainForm::Max_CheckBoxClick() {
    RedrawUnlessMeasuring();
}
void TMainForm::Spektralfarben_CheckBoxClick() {
    RedrawUnlessMeasuring();
}
void TMainForm::Balkendiagramm_CheckBoxClick() {
    RedrawUnlessMeasuring();
}
void TMainForm::Gitter_CheckBoxClick() {
    RedrawUnlessMeasuring();
}

void TMainForm::SpektrumEditChange() {
    if (BigForm) BigForm->SpektrumEdit->setText(SpektrumEdit->text());
}

void TMainForm::COMException_TimerTimer() {
    QMessageBox::information(this, QCoreApplication::applicationName(),
                             QStringLiteral("Kommunikationsfehler"));
    QCoreApplication::quit();
}

void TMainForm::SetCalibration(int32_t lambdaMin, int32_t lambdaMax) {
    Calibration.SetRange(lambdaMin, lambdaMax);
    Lambda_min_Label->setText(QString::number(lambdaMin) + QStringLiteral("nm"));
    Lambda_min_Label->adjustSize();
    Lambda_max_Label->setText(QString::number(lambdaMax) + QStringLiteral("nm"));
    Lambda_max_Label->adjustSize();
}

bool TMainForm::CorrectionChecked() const {
    return Korrektur_CheckBox->isChecked();
}

int32_t TMainForm::Exposure() const {
    return TrackBar->value();
}

bool TMainForm::CalibrationDialogShown() const {
    return SetupForm && SetupForm->isVisible();
}

LevelOptions TMainForm::CurrentLevelOptions() const {
    return {Korrektur_CheckBox->isChecked(), Autoscale_CheckBox->isChecked(), Skalierung_SpinEdit->value()};
}

DiagramState TMainForm::CurrentDiagramState() const {
    DiagramState state;
    state.Values = Spectrum;
    state.Calibration = Calibration;
    state.Options = {Balkendiagramm_CheckBox->isChecked(), Spektralfarben_CheckBox->isChecked(),
                     Gitter_CheckBox->isChecked(), Min_CheckBox->isChecked(), Max_CheckBox->isChecked()};
    state.CurveColor = CurveColor;
    state.LinesShown = LinesShown;
    if (LinesShown && SpektralForm) state.Lines = SpektralForm->LineWavelengths();
    state.ReferenceValue = ReferenceValue;
    state.PeakLabels = PeaksBeschriften->isChecked();
    // A saved spectrum compares only with readings in Digits.
    if (Comparison && !Measurement.ViewValues()) {
        state.Comparison = MakeComparisonCurve(Comparison->Readings, Comparison->Calibration, ZeroOffset,
                                               Korrektur_CheckBox->isChecked());
        state.Comparison->Name = Comparison->Name;
    }
    MeasurementCommands->ShowView(state);
    return state;
}

void TMainForm::DrawSpectrum() {
    ComputeLevels(Spectrum, Calibration, ZeroOffset, CurrentLevelOptions());
    MeasurementCommands->EvaluateView();
    MeasurementCommands->ShowExtremes();
    const MainDiagramTexts texts =
        DrawMainDiagram(CurrentDiagramState(), Image->Canvas(), Spektral_Image->Canvas(), Image2->Canvas());
    QLabel* const rangeLabels[] = {Range_Label1, Range_Label2, Range_Label3, Range_Label4};
    for (int i = 0; i < 4; ++i)
        rangeLabels[i]->setText(texts.RangeLabels[i]);
    MinPos_Edit->setText(texts.MinPos);
    MaxPos_Edit->setText(texts.MaxPos);
    Image->update();
    Spektral_Image->update();
    Image2->update();
    if (BigShown) BigForm->DrawBigSpectrum();
}
