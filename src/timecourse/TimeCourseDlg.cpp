// SPDX-License-Identifier: GPL-3.0-or-later
#include "timecourse/TimeCourseDlg.h"

#include "chart/AxisTicks.h"
#include "settings/SettingsTable.h"
#include "ui/Application.h"
#include "ui/CheckedTyping.h"
#include "ui/Controls.h"
#include "ui/ImageView.h"
#include "ui/MainWindowLink.h"
#include "ui/WindowPlacement.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <limits>

TTimeCourseForm* TimeCourseForm = nullptr;

namespace {

constexpr QRect DiagramPlace(8, 62, 560, 400);
constexpr std::array<TColor, TTimeCourseForm::CurveCount> CurveColours{0x00FFFF, 0xFFFF00, 0xFF80FF};
constexpr TColor FitColour = 0x4040FF;
constexpr double NoValue = std::numeric_limits<double>::quiet_NaN();

// A number with a decimal comma and `decimals` places.
QString Decimal(double value, int decimals) {
    const double rounded = std::nearbyint(value * std::pow(10.0, decimals)) / std::pow(10.0, decimals);
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', std::max(decimals, 0)).replace(u'.', u',');
}

// "0,2800 ± 0,0012": the uncertainty to two significant digits and the value to the same place; without
// an uncertainty the value to four significant digits.
QString WithError(double value, double error) {
    if (!(error > 0) || !std::isfinite(error))
        return Decimal(value,
                       value == 0 ? 4 : std::clamp(3 - int(std::floor(std::log10(std::fabs(value)))), 0, 12));
    const int decimals = std::clamp(1 - int(std::floor(std::log10(error))), 0, 12);
    return Decimal(value, decimals) + QStringLiteral(" ± ") + Decimal(error, decimals);
}

const char* ModelNames[] = {"1. Ordnung, A∞ frei", "1. Ordnung, A∞ = 0", "0. Ordnung", "2. Ordnung"};

QLineEdit* NewEdit(QWidget* parent, const QRect& place) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(place);
    return edit;
}

QComboBox* NewChoice(QWidget* parent, const QRect& place, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setGeometry(place);
    box->addItems(items);
    return box;
}

// A field's number with a comma or a point; none when it holds no number.
std::optional<double> FieldNumber(const QLineEdit* field) {
    return TypedNumber(field->text());
}

} // namespace

KineticFitRequest FitRequest(CourseModel model, double from, double to) {
    KineticFitRequest request;
    request.From = std::min(from, to);
    request.To = std::max(from, to);
    request.Order = model == CourseModel::ZerothOrder   ? ReactionOrder::Zeroth
                    : model == CourseModel::SecondOrder ? ReactionOrder::Second
                                                        : ReactionOrder::First;
    request.EndValueFree = model == CourseModel::FirstOrderEndFree;
    return request;
}

QString FitText(const KineticFit& fit, bool minutes) {
    const double scale = minutes ? 60 : 1;
    const QString unit = minutes ? QStringLiteral("min") : QStringLiteral("s");
    const QString rate = fit.Order == ReactionOrder::First ? QStringLiteral("k′") : QStringLiteral("k");
    // A falls by k per unit of time in zeroth order, by a share k′ of itself in first, and 1/A grows by
    // k in second.
    const QString rateUnit = fit.Order == ReactionOrder::Zeroth  ? QStringLiteral("A/%1").arg(unit)
                             : fit.Order == ReactionOrder::First ? QStringLiteral("1/%1").arg(unit)
                                                                 : QStringLiteral("1/(A·%1)").arg(unit);
    QStringList lines;
    lines << QStringLiteral("%1 = %2 %3")
                 .arg(rate, WithError(fit.RateConstant * scale, fit.RateConstantError * scale), rateUnit);
    lines << QStringLiteral("A₀ = %1").arg(WithError(fit.StartValue, fit.StartValueError));
    if (fit.Order == ReactionOrder::First)
        lines << (fit.EndValueFree ? QStringLiteral("A∞ = %1").arg(WithError(fit.EndValue, fit.EndValueError))
                                   : QStringLiteral("A∞ = 0 (fest)"));
    lines
        << QStringLiteral("t½ = %1 %2").arg(WithError(fit.HalfLife / scale, fit.HalfLifeError / scale), unit);
    lines << (fit.Order == ReactionOrder::Second ? QStringLiteral("R² (1/A) = %1")
                                                 : QStringLiteral("R² = %1"))
                 .arg(Decimal(fit.RSquared, 4));
    lines << QStringLiteral("%1 Punkte").arg(fit.Count);
    if (!fit.NoErrorReason.empty()) lines << QString::fromStdString(fit.NoErrorReason);
    return lines.join(u'\n');
}

TTimeCourseForm::TTimeCourseForm(MainWindowLink& mainWindow) : mainWindow_(mainWindow) {
    TimeCourseForm = this;
    MakeFixedWindow(*this, QStringLiteral("Zeitverlauf"), ClientWidth, ClientHeight);

    NewLabel(this, QPoint(8, 11), QStringLiteral("Größe:"));
    QuantityBox = NewChoice(this, QRect(52, 8, 150, 22),
                            {QStringLiteral("Extinktion"), QStringLiteral("Transmission in %"),
                             QStringLiteral("Intensität in Digits")});
    NewLabel(this, QPoint(216, 11), QStringLiteral("Zeit in:"));
    TimeUnitBox = NewChoice(this, QRect(262, 8, 60, 22), {QStringLiteral("s"), QStringLiteral("min")});
    NewLabel(this, QPoint(336, 11), QStringLiteral("Auftragung:"));
    PlotBox = NewChoice(this, QRect(408, 8, 110, 22),
                        {QStringLiteral("A"), QStringLiteral("ln(A − A∞)"), QStringLiteral("1/A")});
    // Shown only while a series waits for t = 0, where the eyes are at that moment.
    MixButton = new QPushButton(QStringLiteral("Jetzt &mischen (Strg+M)"), this);
    MixButton->setGeometry(580, 6, 192, 26);
    MixButton->setToolTip(QStringLiteral("t = 0: die Reaktionspartner kommen jetzt zusammen"));
    MixButton->hide();

    NewLabel(this, QPoint(8, 39), QStringLiteral("Wellenlängen in nm:"));
    for (int i = 0; i < CurveCount; ++i) {
        WavelengthEdits[i] = NewEdit(this, QRect(124 + 52 * i, 36, 46, 22));
        WavelengthEdits[i]->setToolTip(QStringLiteral("Wellenlänge der Kurve %1").arg(i + 1));
    }
    PickButton = new QPushButton(QStringLiteral("Im Spektrum wählen"), this);
    PickButton->setGeometry(284, 35, 130, 24);
    PickButton->setCheckable(true);
    PickButton->setToolTip(QStringLiteral("Die nächsten Klicks ins Hauptdiagramm wählen die Wellenlängen"));
    NewLabel(this, QPoint(428, 39), QStringLiteral("Band ±"));
    BandEdit = new QSpinBox(this);
    BandEdit->setGeometry(472, 36, 70, 22);
    BandEdit->setRange(0, 20);
    BandEdit->setSuffix(QStringLiteral(" nm"));

    Image = new TImageView(this, DiagramPlace);
    Image->setCursor(Qt::CrossCursor);
    ReadoutLabel = NewFixedLabel(this, QRect(8, 468, 560, 18), QString());
    StateLabel = NewFixedLabel(this, QRect(8, 490, 764, 18), QString());
    GapLabel = NewFixedLabel(this, QRect(8, 512, 764, 18), QString());

    FitGroup = NewGroupBox(this, QRect(580, 56, 192, 406), QStringLiteral(" Anpassung "));
    NewLabel(FitGroup, QPoint(8, 24), QStringLiteral("Kurve:"));
    CurveBox = NewChoice(FitGroup, QRect(60, 20, 124, 22), {});
    NewLabel(FitGroup, QPoint(8, 52), QStringLiteral("Modell:"));
    ModelBox = NewChoice(FitGroup, QRect(8, 68, 176, 22), {});
    for (const char* name : ModelNames)
        ModelBox->addItem(QString::fromUtf8(name));
    NewLabel(FitGroup, QPoint(8, 102), QStringLiteral("von"));
    FromEdit = NewEdit(FitGroup, QRect(36, 98, 56, 22));
    NewLabel(FitGroup, QPoint(98, 102), QStringLiteral("bis"));
    ToEdit = NewEdit(FitGroup, QRect(122, 98, 62, 22));
    FromEdit->setToolTip(QStringLiteral("Beginn des Bereichs; im Diagramm ziehen wählt ihn auch"));
    ToEdit->setToolTip(QStringLiteral("Ende des Bereichs; leer: bis zum letzten Punkt"));
    FitButton = new QPushButton(QStringLiteral("Anpassen"), FitGroup);
    FitButton->setGeometry(8, 128, 176, 26);
    ResultLabel = NewFixedLabel(FitGroup, QRect(8, 164, 176, 234), QString());
    ResultLabel->setWordWrap(true);
    ResultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    InputLabel = NewHintLabel(this, QRect(548, 39, 224, 18));
    const auto recompute = Guarded([this] { Recompute(); });
    connect(QuantityBox, &QComboBox::currentIndexChanged, this, recompute);
    connect(BandEdit, &QSpinBox::valueChanged, this, recompute);
    for (QLineEdit* edit : WavelengthEdits)
        CheckTyping(
            edit, InputLabel, [this, edit](const QString& text) { return WavelengthCheck(edit, text); },
            recompute);
    for (QLineEdit* edit : {FromEdit, ToEdit})
        CheckTyping(
            edit, ResultLabel, [this, edit](const QString& text) { return RangeCheck(edit, text); }, [] {});
    connect(TimeUnitBox, &QComboBox::currentIndexChanged, this, Guarded([this] {
                // The fit stays; the range typed follows into the new unit.
                const double factor = Minutes() ? 1.0 / 60 : 60;
                for (QLineEdit* field : {FromEdit, ToEdit})
                    if (const std::optional<double> value = FieldNumber(field))
                        field->setText(Decimal(*value * factor, Minutes() ? 2 : 1));
                ShowFit();
                DrawCourse();
            }));
    connect(PlotBox, &QComboBox::currentIndexChanged, this, Guarded([this] { DrawCourse(); }));
    connect(PickButton, &QPushButton::toggled, this, [this](bool on) {
        if (on)
            mainWindow_.AskForWavelengths(*this);
        else
            mainWindow_.EndWavelengths(*this);
    });
    connect(FitButton, &QPushButton::clicked, this, Guarded([this] { FitButtonClick(); }));
    Image->OnMouseMove = [this](Qt::MouseButtons buttons, int x, int y) { ImageMouseMove(buttons, x, y); };
    Image->OnMouseDown = [this](Qt::MouseButtons buttons, int x, int y) { ImageMouseDown(buttons, x, y); };
    RunFormCreate();
}

TTimeCourseForm::~TTimeCourseForm() {
    mainWindow_.EndWavelengths(*this);
    if (TimeCourseForm == this) TimeCourseForm = nullptr;
}

void TTimeCourseForm::FormCreate() {
    const TIniFile& settings = mainWindow_.SettingsFile();
    PlaceFromSettings(*this, settings, Settings::TimeCoursePlace);
    const QSignalBlocker quantity(QuantityBox), unit(TimeUnitBox), band(BandEdit);
    QuantityBox->setCurrentIndex(std::clamp(Settings::Read(settings, Settings::TimeCourseQuantity), 0, 2));
    TimeUnitBox->setCurrentIndex(Settings::Read(settings, Settings::TimeCourseMinutes) ? 1 : 0);
    BandEdit->setValue(std::clamp(Settings::Read(settings, Settings::TimeCourseBand), 0, 20));
    const QStringList stored =
        QString::fromStdString(Settings::Read(settings, Settings::TimeCourseWavelengths, "590")).split(u',');
    for (int i = 0; i < CurveCount; ++i)
        WavelengthEdits[i]->setText(i < stored.size() ? stored[i].trimmed() : QString());
    Recompute();
    if (Settings::Read(settings, Settings::TimeCourseShown)) show();
}

void TTimeCourseForm::FormDestroy() {
    // A run that never showed the window leaves the settings file as it was.
    if (!used_) return;
    StorePlace(*this, mainWindow_.SettingsFile(), Settings::TimeCoursePlace);
    Settings::Write(mainWindow_.SettingsFile(), Settings::TimeCourseShown, isVisible());
}

void TTimeCourseForm::showEvent(QShowEvent* event) {
    used_ = true;
    TForm<QDialog>::showEvent(event);
}

void TTimeCourseForm::FormHide() {
    PickButton->setChecked(false);
}

void TTimeCourseForm::WriteSettings() {
    TIniFile& settings = mainWindow_.SettingsFile();
    QStringList wavelengths;
    for (const QLineEdit* edit : WavelengthEdits)
        wavelengths << edit->text().trimmed();
    Settings::Write(settings, Settings::TimeCourseQuantity, QuantityBox->currentIndex());
    Settings::Write(settings, Settings::TimeCourseMinutes, Minutes());
    Settings::Write(settings, Settings::TimeCourseBand, BandEdit->value());
    Settings::Write(settings, Settings::TimeCourseWavelengths, wavelengths.join(u',').toStdString());
}

std::vector<double> TTimeCourseForm::Wavelengths() const {
    std::vector<double> wavelengths;
    for (const QLineEdit* edit : WavelengthEdits)
        if (const std::optional<double> nm = FieldNumber(edit); nm && *nm > 0) wavelengths.push_back(*nm);
    return wavelengths;
}

int TTimeCourseForm::BandHalfWidth() const {
    return BandEdit->value();
}

bool TTimeCourseForm::Minutes() const {
    return TimeUnitBox->currentIndex() == 1;
}

double TTimeCourseForm::TimeScale() const {
    return Minutes() ? 60 : 1;
}

void TTimeCourseForm::StopPicking() {
    PickButton->setChecked(false);
}

bool TTimeCourseForm::PickWavelength(int nm) {
    // The main window offers the clicks only while the button asks for them.
    if (!isVisible()) return false;
    // The first empty field takes it; with all three filled, the first one is replaced.
    QLineEdit* target = WavelengthEdits[0];
    for (QLineEdit* edit : WavelengthEdits)
        if (edit->text().trimmed().isEmpty()) {
            target = edit;
            break;
        }
    target->setText(QString::number(nm));
    if (target == WavelengthEdits[CurveCount - 1] || Wavelengths().size() == CurveCount)
        PickButton->setChecked(false);
    Recompute();
    return true;
}

void TTimeCourseForm::ShowSeries(const TimedSeries* series) {
    series_ = series;
    // A series read from its file comes with the wavelengths it was watched at.
    if (series && !series->Wavelengths.empty()) {
        const QSignalBlocker band(BandEdit);
        BandEdit->setValue(std::clamp(series->BandHalfWidth, 0, 20));
        for (int i = 0; i < CurveCount; ++i)
            WavelengthEdits[i]->setText(i < int(series->Wavelengths.size())
                                            ? QString::number(series->Wavelengths[i]).replace(u'.', u',')
                                            : QString());
    }
    course_ = series ? std::make_unique<TimeCourse>(*series) : nullptr;
    ClearFit();
    Recompute();
}

void TTimeCourseForm::SpectraAdded() {
    if (!course_) return;
    course_->SpectraAdded();
    DrawCourse();
}

void TTimeCourseForm::SetSeriesState(const QString& text) {
    StateLabel->setText(text);
}

void TTimeCourseForm::Recompute() {
    if (used_) WriteSettings();
    const std::vector<double> wavelengths = Wavelengths();
    {
        const QSignalBlocker blocker(CurveBox);
        const int chosen = CurveBox->currentIndex();
        CurveBox->clear();
        for (double nm : wavelengths)
            CurveBox->addItem(QStringLiteral("%1 nm").arg(Decimal(nm, nm == std::floor(nm) ? 0 : 1)));
        CurveBox->setCurrentIndex(std::clamp(chosen, 0, int(wavelengths.size()) - 1));
    }
    if (course_)
        course_->Recompute(static_cast<SeriesQuantity>(QuantityBox->currentIndex()), wavelengths,
                           BandHalfWidth());
    ClearFit();
    DrawCourse();
}

void TTimeCourseForm::ClearFit(const QString& why) {
    fit_.reset();
    ResultLabel->setText(why);
}

void TTimeCourseForm::ShowFit() {
    if (fit_) ResultLabel->setText(fitNote_ + FitText(*fit_, Minutes()));
}

void TTimeCourseForm::FitButtonClick() {
    ClearFit();
    if (!course_ || course_->Curves().empty()) {
        ResultLabel->setText(QStringLiteral("Keine Messwerte zum Anpassen."));
    } else if (course_->Quantity() != SeriesQuantity::Absorbance) {
        ResultLabel->setText(QStringLiteral("Die Anpassung gilt der Extinktion: bitte „Extinktion“ wählen."));
    } else {
        const double from = TimeField(FromEdit).value_or(0);
        const double to = TimeField(ToEdit).value_or(std::numeric_limits<double>::infinity());
        const KineticFitRequest request =
            FitRequest(static_cast<CourseModel>(ModelBox->currentIndex()), from, to);
        const size_t curve = size_t(std::max(0, CurveBox->currentIndex()));
        const TimeCourse::CourseFit courseFit = course_->Fit(curve, request);
        const FitOutcome<KineticFit>& outcome = courseFit.Outcome;
        const QString leftOut = QString::fromStdString(courseFit.LeftOutText());
        if (outcome.Ok()) {
            fit_ = outcome.Value();
            fitCurve_ = curve;
            fitFrom_ = request.From;
            fitTo_ = request.To;
            fitNote_ =
                courseFit.WithoutDark
                    ? QStringLiteral("Ohne Dunkelabzug gemessen: A fällt zu klein aus, k′ ist verfälscht.\n")
                    : QString();
            if (!leftOut.isEmpty()) fitNote_ += leftOut + u'\n';
            ShowFit();
        } else {
            ResultLabel->setText(QString::fromStdString(outcome.Message()) +
                                 (leftOut.isEmpty() ? QString() : u'\n' + leftOut));
        }
    }
    DrawCourse();
}

std::optional<double> TTimeCourseForm::TimeField(const QLineEdit* field) const {
    const std::optional<double> value = FieldNumber(field);
    if (!value) return std::nullopt;
    return *value * TimeScale();
}

void TTimeCourseForm::DrawCourse() {
    const bool absorbance = !course_ || course_->Quantity() == SeriesQuantity::Absorbance;
    PlotBox->setEnabled(absorbance);
    const CoursePlot plot = absorbance ? static_cast<CoursePlot>(PlotBox->currentIndex()) : CoursePlot::Value;
    const double endValue = fit_ && fit_->Order == ReactionOrder::First ? fit_->EndValue : 0;
    const double scale = TimeScale();

    ChartContent content;
    static const QString ValueTitles[] = {QStringLiteral("Extinktion A"), QStringLiteral("Transmission in %"),
                                          QStringLiteral("Intensität in Digits")};
    content.X.Title = Minutes() ? QStringLiteral("Zeit in min") : QStringLiteral("Zeit in s");
    content.Y.Title = plot == CoursePlot::LogAboveEnd
                          ? QStringLiteral("ln(A − A∞), A∞ = %1").arg(Decimal(endValue, 3))
                      : plot == CoursePlot::Reciprocal ? QStringLiteral("1/A")
                                                       : ValueTitles[QuantityBox->currentIndex()];
    if (course_ && course_->WithoutDark()) content.Y.Title += QStringLiteral(", ohne Dunkelabzug");
    // Automatic scales over every point with a value.
    double low = std::numeric_limits<double>::infinity(), high = -low, last = 0;
    int gaps = 0;
    QString gapReason;
    const std::vector<std::vector<CoursePoint>> none;
    const std::vector<std::vector<CoursePoint>>& curves = course_ ? course_->Curves() : none;
    for (const std::vector<CoursePoint>& curve : curves)
        for (const CoursePoint& point : curve) {
            last = std::max(last, point.Time / scale);
            const std::optional<double> y =
                point.Value.Value ? Plotted(*point.Value.Value, plot, endValue) : std::nullopt;
            if (y) {
                low = std::min(low, *y);
                high = std::max(high, *y);
            } else {
                ++gaps;
                if (!point.Value.Reason.empty()) gapReason = QString::fromStdString(point.Value.Reason);
            }
        }
    if (!(low <= high)) low = high = 0;
    const double margin = (high - low) * 0.05;
    content.X = {content.X.Title, 0, last > 0 ? last : 60 / scale};
    content.Y = {content.Y.Title, low - margin, high + margin};

    TCanvas& canvas = Image->Canvas();
    frame_.emplace(canvas, content.X, content.Y);
    // A bound is no point of the curve: it is drawn apart, as an arrow toward where the value lies.
    struct Arrow {
        double X, Y;
        TColor Color;
    };
    std::vector<Arrow> arrows;
    // A value's standard uncertainty as a bar through it; where the plot has no value at its lower end
    // (1/A or a logarithm of nothing), the bar runs off the scale.
    struct Bar {
        double X, Low, High;
        TColor Color;
    };
    std::vector<Bar> bars;
    const double offScale = plot == CoursePlot::Reciprocal ? 1e300 : -1e300;
    for (size_t c = 0; c < curves.size() && c < envelopes_.size(); ++c) {
        frame_->ResetEnvelope(envelopes_[c]);
        for (const CoursePoint& point : curves[c]) {
            const std::optional<double> y =
                point.Value.Value ? Plotted(*point.Value.Value, plot, endValue) : std::nullopt;
            if (y && point.Value.Bound) arrows.push_back({point.Time / scale, *y, CurveColours[c]});
            if (y && !point.Value.Bound && point.Value.Uncertainty > 0) {
                const double value = *point.Value.Value, u = point.Value.Uncertainty;
                bars.push_back({point.Time / scale, Plotted(value - u, plot, endValue).value_or(offScale),
                                *Plotted(value + u, plot, endValue), CurveColours[c]});
            }
            envelopes_[c].Add(point.Time / scale, y && !point.Value.Bound ? *y : NoValue);
        }
        ChartTrace trace;
        trace.Name = CurveBox->itemText(int(c));
        trace.Color = CurveColours[c];
        trace.Envelope = &envelopes_[c];
        content.Traces.push_back(trace);
    }
    if (fit_) {
        const KineticFit fit = *fit_;
        ChartFit drawn;
        drawn.Name = QString::fromUtf8(ModelNames[ModelBox->currentIndex()]);
        drawn.Color = FitColour;
        drawn.From = std::max(fitFrom_, 0.0) / scale;
        drawn.To = std::min(fitTo_, last * scale) / scale;
        drawn.At = [fit, plot, endValue, scale](double x) {
            return Plotted(fit.At(x * scale), plot, endValue).value_or(NoValue);
        };
        content.Fits.push_back(drawn);
    }
    frame_ = DrawChart(canvas, content);
    // A lower bound of A points up, and so does its logarithm; 1/A and T point down.
    const bool up = absorbance && plot != CoursePlot::Reciprocal;
    for (const Bar& bar : bars) {
        canvas.SetPenColor(bar.Color);
        canvas.MoveTo(frame_->PixelX(bar.X), frame_->PixelY(bar.Low));
        canvas.LineTo(frame_->PixelX(bar.X), frame_->PixelY(bar.High));
    }
    for (const Arrow& arrow : arrows) {
        const int x = frame_->PixelX(arrow.X), y = frame_->PixelY(arrow.Y), tip = up ? y - 8 : y + 8;
        canvas.SetPenColor(arrow.Color);
        canvas.MoveTo(x - 3, y);
        canvas.LineTo(x + 4, y);
        canvas.MoveTo(x, y);
        canvas.LineTo(x, tip);
        canvas.MoveTo(x - 3, up ? tip + 3 : tip - 3);
        canvas.LineTo(x, tip);
        canvas.LineTo(x + 4, up ? tip + 4 : tip - 4);
    }
    Image->update();
    GapLabel->setText(gaps == 0 ? QString()
                      : gaps == 1
                          ? QStringLiteral("1 Punkt ohne Wert: %1").arg(gapReason)
                          : QStringLiteral("%1 Punkte ohne Wert, zuletzt: %2").arg(gaps).arg(gapReason));
    if (!arrows.empty())
        GapLabel->setText(
            GapLabel->text() + (gaps ? QStringLiteral("; ") : QString()) +
            QStringLiteral("%1 nur als Schranke (Pfeil): mehr Extinktion, als das Licht auflöst")
                .arg(arrows.size() == 1 ? QStringLiteral("1 Punkt")
                                        : QStringLiteral("%1 Punkte").arg(arrows.size())));
}

void TTimeCourseForm::ImageMouseMove(Qt::MouseButtons buttons, int x, int y) {
    if (!frame_ || !frame_->Plot().contains(x, y)) return;
    const double t = frame_->ValueX(x);
    const int decimals = Minutes() ? 2 : 1;
    QString text = QStringLiteral("t = %1 %2   %3 = %4")
                       .arg(Decimal(t, decimals), Minutes() ? QStringLiteral("min") : QStringLiteral("s"),
                            PlotBox->isEnabled() ? PlotBox->currentText() : QuantityBox->currentText(),
                            Decimal(frame_->ValueY(y), 3));
    // The measured point nearest the pointer on the curve chosen for the fit, as it is known.
    if (course_ && size_t(std::max(CurveBox->currentIndex(), 0)) < course_->Curves().size()) {
        const std::vector<CoursePoint>& curve =
            course_->Curves()[size_t(std::max(CurveBox->currentIndex(), 0))];
        const auto nearest =
            std::min_element(curve.begin(), curve.end(), [&](const CoursePoint& a, const CoursePoint& b) {
                return std::fabs(a.Time - t * TimeScale()) < std::fabs(b.Time - t * TimeScale());
            });
        if (nearest != curve.end())
            text += QStringLiteral("   Punkt bei %1: %2")
                        .arg(Decimal(nearest->Time / TimeScale(), decimals),
                             QString::fromStdString(PointText(nearest->Value, course_->Quantity())));
    }
    ReadoutLabel->setText(text);
    if ((buttons & Qt::LeftButton) && dragFrom_) {
        FromEdit->setText(Decimal(std::min(*dragFrom_, t), decimals));
        ToEdit->setText(Decimal(std::max(*dragFrom_, t), decimals));
    }
}

void TTimeCourseForm::ImageMouseDown(Qt::MouseButtons buttons, int x, int y) {
    dragFrom_.reset();
    if (!(buttons & Qt::LeftButton) || !frame_ || !frame_->Plot().contains(x, y)) return;
    dragFrom_ = frame_->ValueX(x);
}

QImage TTimeCourseForm::CoursePicture() const {
    const QImage& diagram = Image->Picture();
    constexpr int PanelWidth = 200;
    QImage picture = NewCanvasImage(diagram.width() + PanelWidth, diagram.height());
    TCanvas canvas(picture);
    canvas.SetBrushColor(clBlack);
    canvas.FillRect(0, 0, picture.width(), picture.height());
    for (int y = 0; y < diagram.height(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(diagram.constScanLine(y)), diagram.width(),
                    reinterpret_cast<QRgb*>(picture.scanLine(y)));
    canvas.SetFontColor(clWhite);
    const QStringList lines =
        (fit_ ? ModelBox->currentText() + u'\n' + FitText(*fit_, Minutes()) : ResultLabel->text())
            .split(u'\n');
    int top = 24;
    for (const QString& line : lines) {
        canvas.TextOut(diagram.width() + 8, top, line);
        top += canvas.TextExtent(line).height() + 4;
    }
    return picture;
}

NumberTable TTimeCourseForm::Table(std::vector<QString> header) const {
    if (course_ && course_->WithoutDark()) header.push_back(QStringLiteral("ohne Dunkelabzug"));
    if (fit_)
        header.push_back(TableSpelling(ModelBox->currentText() + QStringLiteral(": ") +
                                       FitText(*fit_, Minutes()).replace(u'\n', QStringLiteral(", "))));
    if (!course_) return {};
    return CourseTable(*course_, std::move(header), fit_ ? &*fit_ : nullptr, fitCurve_, fitFrom_, fitTo_);
}
