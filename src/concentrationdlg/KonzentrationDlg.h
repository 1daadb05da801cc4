// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/LinearityMap.h"
#include "ui/Form.h"
#include "ui/MainWindowLink.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class TImageView;

// The window "Konzentrationsreihe": a table of standards and samples, each keeping the whole spectrum
// measured for it, the calibration line of A against c in a band, the samples' concentrations, and
// the linearity map with its proposed band.
class TKonzentrationForm : public TForm<QDialog>, public WavelengthPicker {
    Q_OBJECT
public:
    // The window speaks to the main window only through `mainWindow`.
    explicit TKonzentrationForm(MainWindowLink& mainWindow, QWidget* parent = nullptr);

    void FormHide() override;

    static constexpr int ClientWidth = 1100;
    static constexpr int ClientHeight = 660;

    // The table's columns.
    enum Column {
        KindColumn,
        NameColumn,
        ConcentrationColumn,
        DilutionColumn,
        AColumn,
        ResidualColumn,
        ResultColumn,
        InLineColumn,
        NoteColumn,
        ColumnCount
    };

    const ConcentrationSeries& Series() const { return series_; }
    // Replaces the whole series (as a load does) and shows it.
    void SetSeries(const ConcentrationSeries& series);
    // Adds a row of a standard or a sample and selects it.
    void AddRow(RowKind kind);
    // Keeps the spectrum shown in the main window for the selected row; a message says why not when
    // there is no reference at the exposure or the wavelength axis has changed.
    void MeasureSelectedRow();
    // Takes the proposed band as the evaluation band.
    void TakeProposal();
    // While "Im Spektrum wählen" waits: centres the band, kept as wide as it is, on `nm` clicked in the
    // main diagram and answers true; otherwise false, and the click is the main window's.
    bool PickWavelength(int nm) override;
    void StopPicking() override;
    // Writes the series, the table or a picture to `fileName`; a failure is shown with its reason.
    bool SaveSeries(const QString& fileName);
    bool LoadSeries(const QString& fileName);
    // Whether the series may be replaced or dropped: true when nothing measured is unsaved, or when the
    // user, asked "Reihe speichern?", has saved it or chosen to discard it; false on "Abbrechen".
    bool MaySeriesGo();
    // Whether measured rows or their entries changed since the series was last saved or loaded.
    bool Unsaved() const { return unsaved_; }
    bool ExportTable(const QString& fileName);

    QComboBox* UnitBox;
    QPushButton* StandardButton;
    QPushButton* SampleButton;
    QPushButton* DeleteButton;
    QPushButton* MessenButton;
    QPushButton* WiederholenButton;
    QTableWidget* Table;
    QLineEdit* FromEdit;
    QLineEdit* ToEdit;
    QPushButton* PickButton;
    QCheckBox* OriginBox;
    QLabel* LineLabel;
    QLabel* ProposalLabel;
    QPushButton* ProposalButton;
    TImageView* CalibrationImage;
    TImageView* MapImage;
    QPushButton* SaveButton;
    QPushButton* LoadButton;
    QPushButton* ExportButton;
    QPushButton* LinePictureButton;
    QPushButton* MapPictureButton;
    // Why the last value typed was refused; empty after an accepted one.
    QLabel* InputLabel;

    // The last message shown instead of a measurement or a file operation (for the tests as well).
    const QString& LastMessage() const { return message_; }

protected:
    void reject() override;

private:
    void Refresh();
    // A change of the series, which is then unsaved as soon as it holds a measurement.
    void Changed();
    void DeleteSelectedRow();
    void FillTable(const CalibrationResult& result);
    void CellChanged(int row, int column);
    void BandEdited();
    // Why `text` can't be the band's start (`from`) or end; empty when it can.
    QString BandCheck(const QString& text, bool from) const;
    void EnableButtons();
    void Tell(const QString& text, bool warning = false);
    // Asks `question`, with `detail` below it, offering `answers`: the first is the default, the last
    // the one Esc or the close box gives. Answers the index of the one chosen.
    int Ask(const QString& question, const QString& detail, const QStringList& answers);
    void ConnectFileCommands();
    QString AskFileName(bool save, const QString& title, const QString& filter, const QString& suffix);

    MainWindowLink& mainWindow_;
    ConcentrationSeries series_;
    LinearityMap map_;
    bool filling_ = false;
    bool unsaved_ = false;
    QString message_;
};
