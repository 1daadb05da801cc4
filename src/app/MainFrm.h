// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/CPort.h"
#include "device/DeviceRegistry.h"
#include "files/CsvSpectrumFile.h"
#include "settings/IniFile.h"
#include "spectrum/DiagramPainter.h"
#include "spectrum/DiagramPicture.h"
#include "spectrum/SpectrumModel.h"
#include "ui/Form.h"
#include "ui/MainWindowLink.h"
#include "ui/Timer.h"

#include <QMainWindow>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QColorDialog;
class TPictureFileDialog;
class TSpectrumFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;
class TComLed;
class THelpCommands;
class TImageView;
class TLabeledEdit;
class TKonzentrationForm;
class TMeasurementCommands;
class TSeriesCommands;
class TStatusBar;

// What the main window takes from its surroundings. The program uses the defaults; tests and the
// demonstration point the settings file at a folder of their own and the device registry at a
// simulated instrument.
struct MainFormContext {
    std::string SettingsFolder = KX207_SETTINGS_DIR;
    std::function<std::unique_ptr<TRegistryReader>()> CreateRegistry = CreateSystemRegistry;
};

// The main window: owns the settings object, the timers and the one spectrum with its calibration,
// shows the diagram and every command of the program.
class TMainForm : public TForm<QMainWindow>, public MainWindowState, public MainWindowLink {
    Q_OBJECT
public:
    explicit TMainForm(MainFormContext context = {});
    ~TMainForm() override;

    // Client area of the window below its menu.
    static constexpr int ClientWidth = 537;
    static constexpr int ClientHeight = 613;

    // Handlers.
    void FormCreate() override;
    void FormDestroy() override;
    void FormActivate() override;
    void FileQuitClick();
    void FarbeClick();
    void FileOpenClick();
    void FileCloseClick();
    void OpenDialogSelectionChange(const QString& path);
    void EinstellungenClick();
    void SpektrallinieneinblendenClick();
    void GroesSpektrogramm1Click() override;
    void Image1Click();
    void Autoscale_CheckBoxClick();
    void Skalierung_SpinEditChange();
    void Min_CheckBoxClick();
    void Max_CheckBoxClick();
    void Spektralfarben_CheckBoxClick();
    void Balkendiagramm_CheckBoxClick();
    void Gitter_CheckBoxClick();
    void SpektrumEditChange();
    void TrackBarChange();
    void COMException_TimerTimer();
    void VersionsTimerTimer();
    void Messung_TimerTimer();
    void Messung_ButtonClick();
    void ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void Spektral_ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void FormMouseMove();
    void GroupBox1MouseMove();
    void GroupBox2MouseMove();
    void GroupBox3MouseMove();
    void ImageMouseDown(Qt::MouseButtons buttons, int x, int y);
    void SchnappschussButtonClick();
    // A click on either diagram: the right button clears the reference, then the left one sets it to
    // `clickedValue`; both windows' fields follow, and everything is redrawn.
    void SetReferenceByClick(Qt::MouseButtons buttons, int32_t clickedValue) override;
    // Writes the readout for CursorX into LambdaEdit.
    void ShowCursorReadout();
    // Menu "Auswertung".
    void PeaksBeschriftenClick();
    void VergleichsspektrumLadenClick();
    void VergleichsspektrumAusblendenClick();
    void BildSpeichernClick();
    void TabelleExportierenClick();

    // Writes the current spectrum to `fileName`; a failure is shown with the system's reason.
    void SaveSpectrumFile(const QString& fileName);
    // Loads `fileName` into the spectrum, its name and calibration, and redraws. A file that can't
    // be read changes nothing; `explicitLoad` says whether the user is told why.
    void LoadSpectrumFile(const QString& fileName, bool explicitLoad);
    // Writes the picture of the diagram as PNG; a failure is shown with the system's reason. True once
    // written.
    bool SaveDiagramPicture(const QString& fileName, const PictureOptions& options);
    // Writes the table of the spectrum for a lab report; a failure is shown with the system's reason.
    // True once written.
    bool ExportTable(const QString& fileName);
    // The file dialogs, made at their first use; both open in the folder of the last file used.
    TSpectrumFileDialog* OpenDialog();
    TSpectrumFileDialog* SaveDialog();
    // The colour dialog of the curve colour command, made at its first use.
    QColorDialog* ColorDialog();

    // The one redraw operation: recomputes the levels and repaints everything that shows them.
    void DrawSpectrum() override;
    // Sets both ends of the wavelength axis, NmPerChannel and the two axis labels together.
    void SetCalibration(int32_t lambdaMin, int32_t lambdaMax) override;
    // The state of the check boxes and the spin edit that the level computation reads.
    LevelOptions CurrentLevelOptions() const;
    // Everything the diagrams show, as the main window holds it now.
    DiagramState CurrentDiagramState() const override;
    MainWindowState& SharedState() override { return *this; }
    TIniFile& SettingsFile() override { return *IniFile; }
    bool CorrectionChecked() const override;
    bool CalibrationDialogShown() const override;
    int32_t Exposure() const override;

    // The registry reader that found the instrument's port at start.
    std::unique_ptr<TRegistryReader> Registry;
    int32_t LastIoResult = 0;
    std::unique_ptr<TIniFile> IniFile;
    // Initial folders of the file dialogs, kept while no dialog is open.
    QString OpenDialogInitialDir;
    QString SaveDialogInitialDir;

    // A saved spectrum drawn over the live one, with its own name and wavelengths.
    struct ComparisonSpectrum {
        QString Name;
        std::array<int32_t, ChannelCount> Readings{};
        WavelengthCalibration Calibration;
    };
    std::optional<ComparisonSpectrum> Comparison;

    // Menu.
    QMenu* Beenden1;
    QAction* FileOpen;
    QAction* FileClose;
    QAction* N1;
    QAction* FileQuit;
    QMenu* Setup1;
    QAction* Einstellungen;
    QAction* Farbe;
    QAction* GroesSpektrogramm1;
    QMenu* Spektrallinien1;
    QAction* Spektrallinieneinblenden;
    QMenu* Auswertung1;
    QAction* PeaksBeschriften;
    QAction* VergleichsspektrumLaden;
    QAction* VergleichsspektrumAusblenden;
    QAction* N2;
    QAction* BildSpeichern;
    QAction* TabelleExportieren;
    // Menu "Messung", last: the concentration series' window, made at its first showing.
    QAction* Konzentrationsreihe1;
    TKonzentrationForm* KonzentrationForm = nullptr;
    void Konzentrationsreihe1Click();
    // Whether the program may end now: a measured concentration series not yet saved is asked about.
    bool MayQuit();

    // Tool bar.
    QWidget* ToolBar1;
    QToolButton* ToolButton1;
    QWidget* ToolButton3;
    QToolButton* ToolButton6;
    QToolButton* ToolButton8;
    QWidget* ToolButton7;
    QToolButton* ToolButton2;
    QToolButton* ToolButton4;
    QWidget* ToolButton5;
    QToolButton* ToolButton9;
    QToolButton* ToolButton10;

    // Top and diagram area.
    QLineEdit* LambdaEdit;
    QLineEdit* RefEdit;
    TLabeledEdit* SpektrumEdit;
    TImageView* Image;
    QLabel* Range_Label1;
    QLabel* Range_Label2;
    QLabel* Range_Label3;
    QLabel* Range_Label4;
    QLabel* Range_Label5;
    QLabel* Lambda_min_Label;
    QLabel* Lambda_max_Label;
    TImageView* Spektral_Image;

    // Lower area.
    QGroupBox* GroupBox2;
    QCheckBox* Autoscale_CheckBox;
    QLabel* Label3;
    QSpinBox* Skalierung_SpinEdit;
    QCheckBox* Min_CheckBox;
    QCheckBox* Max_CheckBox;
    QCheckBox* Spektralfarben_CheckBox;
    QCheckBox* Balkendiagramm_CheckBox;
    QCheckBox* Gitter_CheckBox;
    QGroupBox* GroupBox3;
    TLabeledEdit* MinPos_Edit;
    TLabeledEdit* MaxPos_Edit;
    QFrame* Bevel1;
    TImageView* Image1;
    TImageView* Image2;
    QPushButton* SchnappschussButton;
    QGroupBox* GroupBox1;
    QSlider* TrackBar;
    QFrame* GroupBox4;
    QLineEdit* GainEdit;
    QCheckBox* Korrektur_CheckBox;
    QCheckBox* Auto_CheckBox;
    QPushButton* Messung_Button;
    TStatusBar* StatusBar;

    // The instrument's port and the lamp lit while a cycle talks to it.
    std::unique_ptr<TComPort> ComPort;
    TComLed* LED;

    // The menu "Messung" with the dark spectrum, averaging, reference and views.
    TMeasurementCommands* MeasurementCommands;
    // The menu "Kinetik" with the timed series and its time course.
    TSeriesCommands* SeriesCommands;
    // The menu "Hilfe" with the handbook, the last menu.
    THelpCommands* HelpCommands;

    // Timers.
    TTimer* Messung_Timer;
    TTimer* VersionsTimer;
    TTimer* COMException_Timer;

protected:
    // The series' exports use the export folder and the warnings of the main window's own.
    friend class TSeriesCommands;

    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void CreateAnalysisMenu();
    void CreateConcentrationCommand();
    void CreateToolBar(QWidget* client);
    void CreateControls(QWidget* client);
    void ConnectHandlers();
    void ConnectReadout();
    // Display options redraw at once only while no measurement is running; otherwise the next cycle does.
    void RedrawUnlessMeasuring();
    // Shows a message once the started window is on the screen.
    void ShowOverStartedWindow(QMessageBox::Icon icon, const QString& text);
    // Tells the user at start, in one message, when the settings can't be written, why, and the remedy.
    void WarnIfSettingsCannotBeWritten();
    // Finds the instrument's port in the device registry and opens it; without it, Start stays disabled.
    void ConnectInstrument();
    // One command byte to the instrument.
    void SendCommand(uint8_t command);
    // Moves the exposure toward a peak between 400 and 600 after a new spectrum.
    void AdjustExposure();

    // ".csv" added where needed; both dialogs then start in that file's folder.
    QString TakeDialogFileName(const QString& chosen);
    // Reads a spectrum file; one that can't be opened gives nothing, and `explicitLoad` says whether
    // the user is told why.
    std::optional<SpectrumFileContents> ReadSpectrumFile(const QString& fileName, bool explicitLoad);
    // What the picture and table dialogs remember: read from the settings at each use; where the settings
    // file refused the last choices, those are kept for the run instead.
    struct ExportChoices {
        QString Folder;
        bool Doubled = false;
        bool White = false;
    };
    ExportChoices RememberedExport() const;
    // Keeps `choices` once a file was written with them.
    void RememberExport(const ExportChoices& choices);
    // Keeps the folder of a file just exported as where the export dialogs open next.
    void RememberExportFolder(const QString& writtenFile);
    // `remembered` where this user may write there, else the user's own folder, said in the status line.
    QString FolderToWrite(const QString& remembered);
    // The remembered export folder as FolderToWrite gives it: where exports and series files go.
    QString ExportFolder();
    // Warns that `what` could not be written to `fileName`, with the system's reason for `error`.
    void WarnNotSaved(const QString& what, const QString& fileName, int error);

    MainFormContext context_;
    bool settingsRead_ = false;
    TSpectrumFileDialog* openDialog_ = nullptr;
    TSpectrumFileDialog* saveDialog_ = nullptr;
    QColorDialog* colorDialog_ = nullptr;
    TSpectrumFileDialog* comparisonDialog_ = nullptr;
    TPictureFileDialog* pictureDialog_ = nullptr;
    TSpectrumFileDialog* tableDialog_ = nullptr;
    std::optional<ExportChoices> exportChoices_;
};

// The one instance, set while it exists.
extern TMainForm* MainForm;
