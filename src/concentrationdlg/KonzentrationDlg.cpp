// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentrationdlg/KonzentrationDlg.h"

#include "concentration/SeriesTable.h"
#include "concentrationdlg/ConcentrationCharts.h"
#include "ui/CheckedTyping.h"
#include "ui/Controls.h"
#include "ui/ImageView.h"
#include "ui/MainWindowLink.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <cmath>

namespace {

constexpr QSize CalibrationSize(384, 300);
constexpr QSize MapSize(1084, 190);

QPushButton* NewButton(QWidget* parent, const QRect& place, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(place);
    return button;
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

QTableWidgetItem* Item(const QString& text, bool editable) {
    auto* item = new QTableWidgetItem(text);
    if (!editable) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QString Number(const std::optional<double>& value, int significant) {
    return value ? Text(DecimalText(*value, significant)) : QString();
}

} // namespace

TKonzentrationForm::TKonzentrationForm(MainWindowLink& mainWindow, QWidget* parent)
    : TForm<QDialog>(parent), mainWindow_(mainWindow) {
    MakeFixedWindow(*this, QStringLiteral("Konzentrationsreihe"), ClientWidth, ClientHeight);
    NewLabel(this, QPoint(8, 12), QStringLiteral("Einheit:"));
    UnitBox = new QComboBox(this);
    UnitBox->setGeometry(58, 8, 80, 24);
    for (ConcentrationUnit unit : ConcentrationUnits)
        UnitBox->addItem(Text(UnitText(unit)));
    UnitBox->setCurrentIndex(int(ConcentrationUnit::MilligramPerLitre));
    StandardButton = NewButton(this, QRect(150, 8, 80, 24), QStringLiteral("+ Standard"));
    SampleButton = NewButton(this, QRect(234, 8, 70, 24), QStringLiteral("+ Probe"));
    DeleteButton = NewButton(this, QRect(308, 8, 90, 24), QStringLiteral("Zeile löschen"));
    MessenButton = NewButton(this, QRect(410, 8, 70, 24), QStringLiteral("Messen"));
    WiederholenButton = NewButton(this, QRect(484, 8, 80, 24), QStringLiteral("Wiederholen"));

    Table = new QTableWidget(0, ColumnCount, this);
    Table->setGeometry(8, 40, 700, 300);
    Table->setHorizontalHeaderLabels({QStringLiteral("Art"), QStringLiteral("Name"), QStringLiteral("c"),
                                      QStringLiteral("Verd."), QStringLiteral("A"), QStringLiteral("Resid."),
                                      QStringLiteral("Ergebnis"), QStringLiteral("Gerade"),
                                      QStringLiteral("Hinweis")});
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->verticalHeader()->hide();
    // Tab leaves the table for the next control; the arrows move within it.
    Table->setTabKeyNavigation(false);
    const int widths[ColumnCount] = {56, 90, 64, 40, 96, 60, 112, 46, 124};
    for (int column = 0; column < ColumnCount; ++column)
        Table->setColumnWidth(column, widths[column]);

    CalibrationImage = new TImageView(this, QRect(QPoint(716, 40), CalibrationSize));
    NewLabel(this, QPoint(8, 352), QStringLiteral("Band von"));
    FromEdit = new QLineEdit(this);
    FromEdit->setGeometry(64, 348, 56, 24);
    NewLabel(this, QPoint(126, 352), QStringLiteral("bis"));
    ToEdit = new QLineEdit(this);
    ToEdit->setGeometry(148, 348, 56, 24);
    NewLabel(this, QPoint(210, 352), QStringLiteral("nm"));
    PickButton = NewButton(this, QRect(236, 348, 130, 24), QStringLiteral("Im Spektrum wählen"));
    PickButton->setCheckable(true);
    PickButton->setToolTip(
        QStringLiteral("Der nächste Klick ins Hauptdiagramm legt die Mitte des Bandes fest"));
    OriginBox = NewCheckBox(this, QRect(380, 348, 200, 24), QStringLiteral("Gerade durch den Ursprung"),
                            QStringLiteral("Aus: die Gerade hat einen Achsenabschnitt"));
    OriginBox->setChecked(true);
    LineLabel = NewFixedLabel(this, QRect(716, 346, 384, 40), QString());
    LineLabel->setWordWrap(true);
    ProposalLabel = NewFixedLabel(this, QRect(8, 392, 800, 20), QString());
    ProposalButton = NewButton(this, QRect(950, 388, 142, 24), QStringLiteral("Vorschlag übernehmen"));
    MapImage = new TImageView(this, QRect(QPoint(8, 418), MapSize));
    SaveButton = NewButton(this, QRect(8, 620, 130, 28), QStringLiteral("Reihe speichern..."));
    LoadButton = NewButton(this, QRect(144, 620, 130, 28), QStringLiteral("Reihe laden..."));
    ExportButton = NewButton(this, QRect(280, 620, 150, 28), QStringLiteral("Tabelle exportieren..."));
    LinePictureButton =
        NewButton(this, QRect(436, 620, 180, 28), QStringLiteral("Bild der Geraden speichern..."));
    MapPictureButton =
        NewButton(this, QRect(622, 620, 170, 28), QStringLiteral("Bild der Karte speichern..."));

    connect(UnitBox, qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int index) {
        series_.Unit = ConcentrationUnits[std::clamp(index, 0, int(ConcentrationUnits.size()) - 1)];
        Changed();
    });
    connect(StandardButton, &QPushButton::clicked, this, [this] { AddRow(RowKind::Standard); });
    connect(SampleButton, &QPushButton::clicked, this, [this] { AddRow(RowKind::Sample); });
    connect(DeleteButton, &QPushButton::clicked, this, [this] { DeleteSelectedRow(); });
    connect(MessenButton, &QPushButton::clicked, this, [this] { MeasureSelectedRow(); });
    connect(WiederholenButton, &QPushButton::clicked, this, [this] { MeasureSelectedRow(); });
    connect(Table, &QTableWidget::cellChanged, this,
            [this](int row, int column) { CellChanged(row, column); });
    connect(Table, &QTableWidget::currentCellChanged, this, [this] { EnableButtons(); });
    InputLabel = NewHintLabel(this, QRect(576, 12, 516, 18));
    CheckTyping(
        FromEdit, InputLabel, [this](const QString& text) { return BandCheck(text, true); },
        [this] { BandEdited(); });
    CheckTyping(
        ToEdit, InputLabel, [this](const QString& text) { return BandCheck(text, false); },
        [this] { BandEdited(); });
    connect(PickButton, &QPushButton::toggled, this, [this](bool on) {
        if (on)
            mainWindow_.AskForWavelengths(*this);
        else
            mainWindow_.EndWavelengths(*this);
    });
    connect(OriginBox, &QCheckBox::toggled, this, [this](bool on) {
        series_.Band.ThroughOrigin = on;
        Changed();
    });
    connect(ProposalButton, &QPushButton::clicked, this, [this] { TakeProposal(); });
    ConnectFileCommands();
    series_.Calibration = mainWindow_.SharedState().Calibration;
    Refresh();
    RunFormCreate();
}

void TKonzentrationForm::FormHide() {
    PickButton->setChecked(false);
}

void TKonzentrationForm::SetSeries(const ConcentrationSeries& series) {
    series_ = series;
    unsaved_ = false;
    const QSignalBlocker unitBlocker(UnitBox), originBlocker(OriginBox);
    UnitBox->setCurrentIndex(int(series_.Unit));
    OriginBox->setChecked(series_.Band.ThroughOrigin);
    Refresh();
}

void TKonzentrationForm::AddRow(RowKind kind) {
    SeriesRow row;
    row.Kind = kind;
    int number = 1;
    for (const SeriesRow& other : series_.Rows)
        number += other.Kind == kind;
    row.Name = (kind == RowKind::Standard ? "Standard " : "Probe ") + std::to_string(number);
    series_.Rows.push_back(row);
    Refresh();
    Table->setCurrentCell(int(series_.Rows.size()) - 1,
                          kind == RowKind::Standard ? ConcentrationColumn : NameColumn);
}

void TKonzentrationForm::MeasureSelectedRow() {
    const int row = Table->currentRow();
    if (row < 0 || row >= int(series_.Rows.size())) return;
    MainWindowState& state = mainWindow_.SharedState();
    const bool othersMeasured =
        std::any_of(series_.Rows.begin(), series_.Rows.end(),
                    [&](const SeriesRow& other) { return &other != &series_.Rows[row] && other.Spectrum; });
    if (othersMeasured && (state.Calibration.LambdaMin != series_.Calibration.LambdaMin ||
                           state.Calibration.LambdaMax != series_.Calibration.LambdaMax)) {
        Tell(QStringLiteral("Die Wellenlängen-Kalibrierung hat sich seit den anderen Messungen der Reihe "
                            "geändert; die Spektren passen nicht zusammen."));
        return;
    }
    const std::optional<RowSpectrum> spectrum = MeasuredRow(state.Measurement, mainWindow_.Exposure());
    if (!spectrum) {
        Tell(QStringLiteral("Kein Referenzspektrum bei dieser Belichtung: zuerst die Referenz (Leerprobe) "
                            "im Menü \"Messung\" aufnehmen."));
        return;
    }
    series_.Calibration = state.Calibration;
    series_.Rows[row].Spectrum = spectrum;
    Changed();
}

void TKonzentrationForm::TakeProposal() {
    if (!map_.Proposal.Channels) return;
    series_.Band.FromNm = map_.Proposal.FromNm;
    series_.Band.ToNm = map_.Proposal.ToNm;
    Changed();
}

bool TKonzentrationForm::PickWavelength(int nm) {
    if (!isVisible()) return false;
    const double halfWidth = (series_.Band.ToNm - series_.Band.FromNm) / 2;
    series_.Band.FromNm = nm - halfWidth;
    series_.Band.ToNm = nm + halfWidth;
    PickButton->setChecked(false);
    Changed();
    return true;
}

void TKonzentrationForm::StopPicking() {
    PickButton->setChecked(false);
}

void TKonzentrationForm::Changed() {
    unsaved_ = unsaved_ || std::any_of(series_.Rows.begin(), series_.Rows.end(),
                                       [](const SeriesRow& row) { return bool(row.Spectrum); });
    Refresh();
}

void TKonzentrationForm::DeleteSelectedRow() {
    const int row = Table->currentRow();
    if (row < 0 || row >= int(series_.Rows.size())) return;
    if (series_.Rows[row].Spectrum &&
        Ask(QStringLiteral("Zeile löschen?"),
            QStringLiteral("Die Messung von „%1“ geht damit verloren.").arg(Text(series_.Rows[row].Name)),
            {QStringLiteral("Löschen"), QStringLiteral("Abbrechen")}) != 0)
        return;
    series_.Rows.erase(series_.Rows.begin() + row);
    Changed();
    // No row stays selected, so that a second click meant for the first deletes nothing more.
    Table->setCurrentCell(-1, -1);
    EnableButtons();
}

void TKonzentrationForm::Refresh() {
    const CalibrationResult result = EvaluateSeries(series_);
    map_ = MapLinearity(series_);
    FillTable(result);
    FromEdit->setText(Text(DecimalText(series_.Band.FromNm, 4)));
    ToEdit->setText(Text(DecimalText(series_.Band.ToNm, 4)));
    if (result.Line) {
        LineLabel->setText(Text(LineText(*result.Line, series_.Unit)));
    } else {
        LineLabel->setText(QStringLiteral("Keine Gerade: zu wenige gemessene Standards im Band."));
    }
    ProposalLabel->setText(Text(map_.Proposal.Text));
    DrawCalibrationChart(CalibrationImage->Canvas(), series_, result);
    CalibrationImage->update();
    DrawLinearityMap(MapImage->Canvas(), series_, map_);
    MapImage->update();
    EnableButtons();
}

void TKonzentrationForm::FillTable(const CalibrationResult& result) {
    filling_ = true;
    const int current = Table->currentRow();
    Table->setRowCount(int(series_.Rows.size()));
    const QString unit = Text(UnitText(series_.Unit));
    for (int row = 0; row < int(series_.Rows.size()); ++row) {
        const SeriesRow& entry = series_.Rows[row];
        const bool standard = entry.Kind == RowKind::Standard;
        Table->setItem(row, KindColumn,
                       Item(standard ? QStringLiteral("Standard") : QStringLiteral("Probe"), false));
        Table->setItem(row, NameColumn, Item(Text(entry.Name), true));
        Table->setItem(row, ConcentrationColumn,
                       Item(standard ? Text(DecimalText(entry.Concentration, 4)) : "", standard));
        Table->setItem(row, DilutionColumn,
                       Item(standard ? "" : Text(DecimalText(entry.Dilution, 3)), !standard));
        for (int column : {AColumn, ResidualColumn, ResultColumn, NoteColumn})
            Table->setItem(row, column, Item(QString(), false));
        auto* inLine = Item(QString(), false);
        if (standard) inLine->setFlags(inLine->flags() | Qt::ItemIsUserCheckable);
        Table->setItem(row, InLineColumn, inLine);
    }
    for (const StandardPoint& point : result.Standards) {
        const int row = int(point.Row);
        Table->item(row, AColumn)->setText(Text(AbsorbanceText(point.A)));
        Table->item(row, ResidualColumn)->setText(Number(point.Residual, 2));
        Table->item(row, InLineColumn)
            ->setCheckState(point.Reason == Exclusion::None ? Qt::Checked : Qt::Unchecked);
        Table->item(row, NoteColumn)
            ->setText(Text(RowNote(series_.Rows[row], ExclusionText(point.Reason, point.A.Why))));
    }
    for (const SampleResult& sample : result.Samples) {
        const int row = int(sample.Row);
        Table->item(row, AColumn)->setText(Text(AbsorbanceText(sample.A)));
        if (sample.Concentration)
            Table->item(row, ResultColumn)
                ->setText(Text(UncertainText(*sample.Concentration, sample.Uncertainty)) +
                          QStringLiteral(" ") + Text(UnitText(series_.Unit)));
        Table->item(row, NoteColumn)->setText(Text(RowNote(series_.Rows[row], sample.Note)));
    }
    Table->setHorizontalHeaderItem(ConcentrationColumn, new QTableWidgetItem(QStringLiteral("c in ") + unit));
    if (current >= 0 && current < Table->rowCount()) Table->setCurrentCell(current, Table->currentColumn());
    filling_ = false;
}

void TKonzentrationForm::CellChanged(int row, int column) {
    if (filling_ || row < 0 || row >= int(series_.Rows.size())) return;
    SeriesRow& entry = series_.Rows[row];
    const QString text = Table->item(row, column)->text();
    const std::optional<double> value = TypedNumber(text);
    QString refused;
    if (column == NameColumn) {
        entry.Name = text.simplified().toStdString();
    } else if ((column == ConcentrationColumn || column == DilutionColumn) && !value) {
        refused = QStringLiteral("„%1“ ist keine Zahl.").arg(text.trimmed());
    } else if (column == ConcentrationColumn && !(*value > 0)) {
        refused = QStringLiteral("Die Konzentration eines Standards muss größer als 0 sein.");
    } else if (column == DilutionColumn && !(*value >= 1)) {
        refused = QStringLiteral("Die Verdünnung ist 1 (unverdünnt) oder größer.");
    } else if (column == ConcentrationColumn) {
        entry.Concentration = *value;
    } else if (column == DilutionColumn) {
        entry.Dilution = *value;
    } else if (column == InLineColumn) {
        entry.InLineByHand = Table->item(row, column)->checkState() == Qt::Checked;
    }
    InputLabel->setText(refused);
    if (refused.isEmpty())
        Changed();
    else
        Refresh();
}

QString TKonzentrationForm::BandCheck(const QString& text, bool from) const {
    const std::optional<double> nm = TypedNumber(text);
    const WavelengthCalibration& calibration = series_.Calibration;
    if (!nm) return QStringLiteral("„%1“ ist keine Wellenlänge.").arg(text.trimmed());
    if (*nm < calibration.LambdaMin || *nm > calibration.LambdaMax)
        return QStringLiteral("Das Band muss in %1–%2 nm liegen.")
            .arg(calibration.LambdaMin)
            .arg(calibration.LambdaMax);
    if (from ? *nm > series_.Band.ToNm : *nm < series_.Band.FromNm)
        return QStringLiteral("Das Band beginnt vor seinem Ende: „von“ muss kleiner als „bis“ sein.");
    return {};
}

void TKonzentrationForm::BandEdited() {
    const std::optional<double> from = TypedNumber(FromEdit->text()), to = TypedNumber(ToEdit->text());
    if (from && to && *from <= *to && (*from != series_.Band.FromNm || *to != series_.Band.ToNm)) {
        series_.Band.FromNm = *from;
        series_.Band.ToNm = *to;
        Changed();
    }
}

void TKonzentrationForm::EnableButtons() {
    const int row = Table->currentRow();
    const bool selected = row >= 0 && row < int(series_.Rows.size());
    DeleteButton->setEnabled(selected);
    MessenButton->setEnabled(selected && !series_.Rows[row].Spectrum);
    WiederholenButton->setEnabled(selected && series_.Rows[row].Spectrum);
    ProposalButton->setEnabled(map_.Proposal.Channels.has_value());
}

void TKonzentrationForm::Tell(const QString& text, bool warning) {
    message_ = text;
    QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information, windowTitle(), text,
                QMessageBox::Ok, this)
        .exec();
}
