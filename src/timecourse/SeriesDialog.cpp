// SPDX-License-Identifier: GPL-3.0-or-later
#include "timecourse/SeriesDialog.h"

#include "series/SeriesSchedule.h"
#include "ui/Controls.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>

namespace {

// "0,5 s", "2 s", "1,4 s": seconds with a decimal comma and no needless zero.
QString SecondsText(double seconds) {
    const double tenths = std::nearbyint(seconds * 10);
    QString text = QString::number(tenths / 10, 'f', std::fmod(tenths, 10) == 0 ? 0 : 1);
    return text.replace(u'.', u',') + QStringLiteral(" s");
}

QRadioButton* NewRadioButton(QWidget* parent, const QRect& place, const QString& caption) {
    auto* button = new QRadioButton(caption, parent);
    button->setGeometry(place);
    return button;
}

QSpinBox* NewNumberEdit(QWidget* parent, const QRect& place, int minimum, int maximum,
                        const QString& suffix) {
    auto* edit = new QSpinBox(parent);
    edit->setGeometry(place);
    edit->setRange(minimum, maximum);
    edit->setSuffix(suffix);
    return edit;
}

} // namespace

TSeriesDialog::TSeriesDialog(QWidget* parent, double secondsPerSpectrum, int averaging,
                             const QString& preparation)
    : QDialog(parent), secondsPerSpectrum_(secondsPerSpectrum), averaging_(averaging),
      preparation_(preparation) {
    MakeFixedWindow(*this, QStringLiteral("Zeitreihe starten"), ClientWidth, ClientHeight);

    NewLabel(this, QPoint(8, 12), QStringLiteral("Intervall:"));
    IntervalBox = new QComboBox(this);
    IntervalBox->setGeometry(120, 8, 90, 22);
    for (double seconds : SeriesIntervals)
        IntervalBox->addItem(SecondsText(seconds));

    NewLabel(this, QPoint(8, 42), QStringLiteral("Ende nach:"));
    DurationButton = NewRadioButton(this, QRect(120, 38, 90, 22), QStringLiteral("Dauer"));
    MinutesEdit = NewNumberEdit(this, QRect(214, 38, 90, 22), 1, 600, QStringLiteral(" min"));
    CountButton = NewRadioButton(this, QRect(120, 66, 90, 22), QStringLiteral("Anzahl"));
    CountEdit = NewNumberEdit(this, QRect(214, 66, 90, 22), 2, 100000, QStringLiteral(" Spektren"));
    auto* endGroup = new QButtonGroup(this);
    endGroup->addButton(DurationButton);
    endGroup->addButton(CountButton);

    NewLabel(this, QPoint(8, 102), QStringLiteral("t = 0:"));
    AtStartButton = NewRadioButton(this, QRect(120, 98, 270, 22), QStringLiteral("beim Klick auf „Starten“"));
    AtMixingButton =
        NewRadioButton(this, QRect(120, 122, 270, 22), QStringLiteral("beim Klick auf „Jetzt mischen“"));
    auto* zeroGroup = new QButtonGroup(this);
    zeroGroup->addButton(AtStartButton);
    zeroGroup->addButton(AtMixingButton);

    // Room for both warnings at their longest: the preparation and the interval.
    WarningLabel = NewFixedLabel(this, QRect(8, 150, 384, 84), QString());
    WarningLabel->setWordWrap(true);
    WarningLabel->setStyleSheet(QStringLiteral("color: #a00000"));

    StartButton = new QPushButton(QStringLiteral("Starten"), this);
    StartButton->setGeometry(224, 242, 80, 24);
    StartButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelButton->setGeometry(312, 242, 80, 24);

    connect(StartButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(IntervalBox, &QComboBox::currentIndexChanged, this, [this] { ShowWarning(); });
    connect(DurationButton, &QRadioButton::toggled, this, [this](bool byDuration) {
        MinutesEdit->setEnabled(byDuration);
        CountEdit->setEnabled(!byDuration);
    });
    MinutesEdit->setValue(15);
    CountEdit->setValue(100);
    SetPlan(SeriesPlan{});
}

void TSeriesDialog::SetPlan(const SeriesPlan& plan) {
    const auto offered = std::find(SeriesIntervals.begin(), SeriesIntervals.end(), plan.Interval);
    IntervalBox->setCurrentIndex(offered == SeriesIntervals.end() ? 1
                                                                  : int(offered - SeriesIntervals.begin()));
    const bool byCount = plan.Count > 0;
    (byCount ? CountButton : DurationButton)->setChecked(true);
    MinutesEdit->setEnabled(!byCount);
    CountEdit->setEnabled(byCount);
    if (plan.Duration > 0) MinutesEdit->setValue(int(std::nearbyint(plan.Duration / 60)));
    if (byCount) CountEdit->setValue(plan.Count);
    (plan.Start == SeriesStart::AtMixing ? AtMixingButton : AtStartButton)->setChecked(true);
    ShowWarning();
}

SeriesPlan TSeriesDialog::Plan() const {
    SeriesPlan plan;
    plan.Interval = SeriesIntervals[std::max(0, IntervalBox->currentIndex())];
    if (CountButton->isChecked())
        plan.Count = CountEdit->value();
    else
        plan.Duration = MinutesEdit->value() * 60.0;
    plan.Start = AtMixingButton->isChecked() ? SeriesStart::AtMixing : SeriesStart::AtClick;
    plan.Averaging = averaging_;
    return plan;
}

void TSeriesDialog::ShowWarning() {
    const QString interval = QString::fromStdString(IntervalWarning(Plan(), secondsPerSpectrum_));
    WarningLabel->setText(preparation_.isEmpty() || interval.isEmpty() ? preparation_ + interval
                                                                       : preparation_ + u'\n' + interval);
}
