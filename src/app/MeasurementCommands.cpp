// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MeasurementCommands.h"

#include "app/MainFrm.h"
#include "settings/SettingsTable.h"
#include "ui/Application.h"
#include "ui/StatusBar.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QTimer>
#include <utility>

namespace {

// Said where the firmware version stands while "Automatik" must leave the exposure alone.
const QString AutoRestsText = QStringLiteral("Automatik ruht: Belichtung fest");

QAction* Choice(QMenu* menu, QActionGroup* group, const QString& caption, bool checked) {
    QAction* item = menu->addAction(caption);
    item->setCheckable(true);
    item->setChecked(checked);
    group->addAction(item);
    return item;
}

} // namespace

TMeasurementCommands::TMeasurementCommands(TMainForm& form)
    : QObject(&form), form_(form), credit_(form.StatusBar->PanelText(2)) {
    Messung1 = form.menuBar()->addMenu(QStringLiteral("Messung"));
    DunkelspektrumAufnehmen = Messung1->addAction(QStringLiteral("Dunkelspektrum aufnehmen"));
    DunkelspektrumAufnehmen->setToolTip(
        QStringLiteral("Mittel der nächsten 8 Spektren bei abgedecktem Licht"));
    DunkelspektrumAbziehen = Messung1->addAction(QStringLiteral("Dunkelspektrum abziehen"));
    DunkelspektrumAbziehen->setCheckable(true);
    DunkelspektrumAbziehen->setEnabled(false);
    Mittelung1 = Messung1->addMenu(QStringLiteral("Mittelung"));
    auto* counts = new QActionGroup(this);
    for (size_t i = 0; i < MittelungItems.size(); ++i) {
        const int count = MeasurementModes::AveragingChoices[i];
        MittelungItems[i] = Choice(Mittelung1, counts, QString::number(count), count == 1);
        connect(MittelungItems[i], &QAction::triggered, this,
                Guarded([this, count] { MittelungClick(count); }));
    }
    Messung1->addSeparator();
    ReferenzspektrumAufnehmen = Messung1->addAction(QStringLiteral("Referenzspektrum aufnehmen"));
    ReferenzspektrumAufnehmen->setToolTip(
        QStringLiteral("Mittel der nächsten 8 Spektren durch die leere Küvette"));
    ReferenzspektrumVerwerfen = Messung1->addAction(QStringLiteral("Referenzspektrum verwerfen"));
    ReferenzspektrumVerwerfen->setEnabled(false);
    BelichtungWiederherstellen = Messung1->addAction(QStringLiteral("Belichtung wiederherstellen"));
    BelichtungWiederherstellen->setEnabled(false);
    Messung1->addSeparator();
    auto* views = new QActionGroup(this);
    Intensitaet = Choice(Messung1, views, QStringLiteral("Intensität"), true);
    Transmission = Choice(Messung1, views, QStringLiteral("Transmission"), false);
    Extinktion = Choice(Messung1, views, QStringLiteral("Extinktion"), false);

    connect(DunkelspektrumAufnehmen, &QAction::triggered, this,
            Guarded([this] { DunkelspektrumAufnehmenClick(); }));
    connect(DunkelspektrumAbziehen, &QAction::triggered, this,
            Guarded([this] { DunkelspektrumAbziehenClick(); }));
    connect(ReferenzspektrumAufnehmen, &QAction::triggered, this,
            Guarded([this] { ReferenzspektrumAufnehmenClick(); }));
    connect(ReferenzspektrumVerwerfen, &QAction::triggered, this,
            Guarded([this] { ReferenzspektrumVerwerfenClick(); }));
    connect(BelichtungWiederherstellen, &QAction::triggered, this,
            Guarded([this] { BelichtungWiederherstellenClick(); }));
    connect(Messung1, &QMenu::aboutToShow, this, Guarded([this] { OfferCaptures(); }));
    const std::pair<QAction*, MeasurementView> viewItems[] = {{Intensitaet, MeasurementView::Intensity},
                                                              {Transmission, MeasurementView::Transmission},
                                                              {Extinktion, MeasurementView::Absorbance}};
    for (const auto& [item, view] : viewItems)
        connect(item, &QAction::triggered, this, Guarded([this, view = view] { AnsichtClick(view); }));
}

void TMeasurementCommands::RestoreDark() {
    TIniFile& settings = *form_.IniFile;
    const std::optional<ChannelReadings> readings =
        ParseStoredReadings(Settings::Read(settings, Settings::DarkSpectrum, std::string()));
    const int32_t exposure = Settings::Read(settings, Settings::DarkExposure);
    if (!readings || exposure < 0 || exposure > 100) return;
    StoredSpectrum dark{*readings, exposure};
    // The unrounded mean counts only while it belongs to the whole numbers: a program that knows only
    // those may have written a new dark since.
    const std::optional<ChannelMeans> mean =
        ParseStoredMeans(Settings::Read(settings, Settings::DarkMean, std::string()));
    const std::optional<ChannelMeans> spread =
        ParseStoredMeans(Settings::Read(settings, Settings::DarkSpread, std::string()));
    const int count = Settings::Read(settings, Settings::DarkCount);
    bool belongs = mean && spread && count >= 1 && count <= MeasurementModes::CaptureCount;
    for (int c = 0; belongs && c < ChannelCount; ++c)
        belongs = RoundHalfEven((*mean)[c]) == (*readings)[c];
    if (belongs) {
        dark.Mean = *mean;
        dark.Spread = *spread;
        dark.Count = count;
    }
    form_.Measurement.SetDark(dark);
    DunkelspektrumAbziehen->setEnabled(true);
}

bool TMeasurementCommands::Measuring() const {
    return form_.Messung_Timer->Enabled();
}

void TMeasurementCommands::OfferCaptures() {
    // A capture takes the next measured spectra: without a running measurement it would never end.
    DunkelspektrumAufnehmen->setEnabled(Measuring());
    ReferenzspektrumAufnehmen->setEnabled(Measuring());
    if (!Measuring()) form_.StatusBar->SetPanelText(2, QStringLiteral("Erst Start drücken, dann aufnehmen"));
}

void TMeasurementCommands::StartCapture(MeasurementModes::Capture what) {
    if (!Measuring()) return OfferCaptures();
    form_.Measurement.StartCapture(what);
    darkPending_ = what == MeasurementModes::Capture::Dark;
    ShowAutomatic();
    ShowStatus();
}

void TMeasurementCommands::ShowAutomatic() {
    // "Automatik" stays as the user set it and takes over again once the reference is discarded.
    const bool rests = form_.Measurement.ExposureFixed() && form_.Auto_CheckBox->isChecked();
    const bool said = form_.StatusBar->PanelText(3) == AutoRestsText;
    if (rests && !said) {
        versionText_ = form_.StatusBar->PanelText(3);
        form_.StatusBar->SetPanelText(3, AutoRestsText);
    } else if (!rests && said) {
        form_.StatusBar->SetPanelText(3, versionText_);
    }
}

void TMeasurementCommands::DunkelspektrumAufnehmenClick() {
    StartCapture(MeasurementModes::Capture::Dark);
}

void TMeasurementCommands::ReferenzspektrumAufnehmenClick() {
    StartCapture(MeasurementModes::Capture::Reference);
}

void TMeasurementCommands::ReferenzspektrumVerwerfenClick() {
    form_.Measurement.DiscardReference();
    ReferenzspektrumVerwerfen->setEnabled(false);
    ShowAutomatic();
    form_.DrawSpectrum();
    ShowStatus();
}

void TMeasurementCommands::DunkelspektrumAbziehenClick() {
    form_.Measurement.SetDarkSubtraction(DunkelspektrumAbziehen->isChecked());
    ShowStatus();
    SayWhenItApplies();
}

void TMeasurementCommands::MittelungClick(int count) {
    form_.Measurement.SetAveraging(count);
    SayWhenItApplies();
}

void TMeasurementCommands::SayWhenItApplies() {
    // The held spectrum keeps what it was measured with; the views stay true to it.
    if (!Measuring()) form_.StatusBar->SetPanelText(2, QStringLiteral("Gilt ab der nächsten Messung"));
}

void TMeasurementCommands::AnsichtClick(MeasurementView view) {
    form_.Measurement.SetView(view);
    // The reference line stays where it is; its field names the level in the new view's unit.
    if (form_.ReferenceValue != 0)
        form_.SetReferenceByClick(Qt::LeftButton, form_.ReferenceValue);
    else
        form_.DrawSpectrum();
    ShowStatus();
}

void TMeasurementCommands::CycleDone() {
    const EvaluatedMeasurement& measurement = form_.Measurement;
    if (measurement.Capturing() == MeasurementModes::Capture::None) {
        ReferenzspektrumVerwerfen->setEnabled(measurement.Reference().has_value());
        if (std::exchange(darkPending_, false) && measurement.Refusal().empty()) {
            DunkelspektrumAbziehen->setEnabled(true);
            // Kept after the cycle: a settings file that refuses the write is told in a message and
            // must not end the cycle, which the watchdog would take for a lost instrument.
            QTimer::singleShot(0, this, Guarded([this] { KeepDark(); }));
        }
    }
    ShowAutomatic();
    ShowStatus();
}

void TMeasurementCommands::KeepDark() {
    const std::optional<StoredSpectrum>& dark = form_.Measurement.Dark();
    Settings::Write(*form_.IniFile, Settings::DarkSpectrum, FormatStoredReadings(dark->Readings));
    Settings::Write(*form_.IniFile, Settings::DarkExposure, dark->Exposure);
    Settings::Write(*form_.IniFile, Settings::DarkMean, FormatStoredMeans(dark->Mean));
    Settings::Write(*form_.IniFile, Settings::DarkSpread, FormatStoredMeans(dark->Spread));
    Settings::Write(*form_.IniFile, Settings::DarkCount, dark->Count);
}

void TMeasurementCommands::ShowStatus() {
    OfferRestore();
    const QString text = QString::fromStdString(form_.Measurement.StatusText(form_.TrackBar->value()));
    if (!text.isEmpty())
        form_.StatusBar->SetPanelText(2, text);
    else if (form_.Comparison)
        form_.StatusBar->SetPanelText(2, QStringLiteral("Vergleich: ") + form_.Comparison->Name);
    else
        form_.StatusBar->SetPanelText(2, credit_);
}

int32_t TMeasurementCommands::ExposurePeak() const {
    if (form_.Measurement.Averaging() == 1) return form_.Spectrum.MaxReading;
    SpectrumValues single;
    single.Readings = form_.Measurement.LastSingle();
    ComputeLevels(single, form_.Calibration, form_.ZeroOffset, form_.CurrentLevelOptions());
    return single.MaxReading;
}

void TMeasurementCommands::EvaluateView() {
    EvaluatedMeasurement& measurement = form_.Measurement;
    measurement.Evaluate();
    if (!measurement.ViewValues()) return;
    for (size_t i = 0; i < viewLabels_.size(); ++i)
        viewLabels_[i] = QString::fromStdString(measurement.Levels().RangeLabels[i]);
}

void TMeasurementCommands::ShowView(DiagramState& state) const {
    const EvaluatedMeasurement& measurement = form_.Measurement;
    if (measurement.InUse() || form_.PeaksBeschriften->isChecked())
        state.Saturated = measurement.ShownSaturated();
    state.Notice = QString::fromStdString(measurement.ViewNotice());
    if (!measurement.ViewValues()) return;
    const ViewLevels& levels = measurement.Levels();
    state.Values = levels.Values;
    state.NoValue = levels.NoValue;
    state.RangeLabels = viewLabels_;
    state.NoExtremes = !levels.AnyValue;
}

void TMeasurementCommands::ShowExtremes() {
    const EvaluatedMeasurement& measurement = form_.Measurement;
    QString highest = QString::number(form_.Spectrum.MaxReading);
    QString lowest = QString::number(form_.Spectrum.MinReading);
    if (const ChannelValues* values = measurement.ViewValues()) {
        const ViewLevels& levels = measurement.Levels();
        const auto text = [&](int32_t channel) {
            return QString::fromStdString(ViewValueText(
                levels.AnyValue ? (*values)[size_t(channel)] : std::nullopt, measurement.View()));
        };
        highest = text(levels.Values.MaxChannel);
        lowest = text(levels.Values.MinChannel);
    }
    form_.StatusBar->SetPanelText(0, QStringLiteral("Max: ") + highest);
    form_.StatusBar->SetPanelText(1, QStringLiteral("Min: ") + lowest);
}

void TMeasurementCommands::OfferRestore() {
    const std::optional<StoredSpectrum>& reference = form_.Measurement.Reference();
    const bool differs = reference && reference->Exposure != form_.TrackBar->value();
    BelichtungWiederherstellen->setEnabled(differs);
    BelichtungWiederherstellen->setText(
        differs ? QStringLiteral("Belichtung %1 wiederherstellen").arg(reference->Exposure)
                : QStringLiteral("Belichtung wiederherstellen"));
}

void TMeasurementCommands::BelichtungWiederherstellenClick() {
    const std::optional<StoredSpectrum>& reference = form_.Measurement.Reference();
    // Moving the slider sends the exposure to the instrument.
    if (reference) form_.TrackBar->setValue(reference->Exposure);
    ShowStatus();
}
