// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/PracticePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The choices of a list box, in the order of its entries.
const Lamp Lamps[] = {Lamp::Mercury, Lamp::Neon, Lamp::Led, Lamp::White, Lamp::Fluorescent};
const Filter Filters[] = {Filter::None, Filter::RedDye, Filter::GreenGlass, Filter::NeutralDensity};
const PracticeScene::Cuvette Cuvettes[] = {PracticeScene::Cuvette::None, PracticeScene::Cuvette::Dye,
                                           PracticeScene::Cuvette::Reaction};

QComboBox* ListBox(const QStringList& entries) {
    auto* box = new QComboBox;
    box->addItems(entries);
    return box;
}

QDoubleSpinBox* NumberBox(double from, double to, double step, int decimals, double value,
                          const QString& unit) {
    auto* box = new QDoubleSpinBox;
    box->setRange(from, to);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setValue(value);
    box->setSuffix(unit);
    return box;
}

} // namespace

TPracticePanel::TPracticePanel(InstrumentModel& instrument, QWidget* parent)
    : QWidget(parent, Qt::Window), instrument_(instrument) {
    setWindowTitle(QStringLiteral("Versuchsaufbau (Vorführung)"));
    const PracticeScene start;
    LampBox = ListBox({QStringLiteral("Quecksilberdampflampe"), QStringLiteral("Neonlampe"),
                       QStringLiteral("Weiße LED"), QStringLiteral("Glühlampe"),
                       QStringLiteral("Energiesparlampe")});
    CoverBox = new QCheckBox(QStringLiteral("Lichteingang abdecken"));
    BrightnessBox = NumberBox(0.25, 4, 0.25, 2, start.brightness, QStringLiteral(" ×"));
    FilterBox = ListBox({QStringLiteral("kein Filter"), QStringLiteral("Rote Farbstofflösung"),
                         QStringLiteral("Grünglas"), QStringLiteral("Graufilter 50 %")});
    CuvetteBox = ListBox({QStringLiteral("keine"), QStringLiteral("Violette Farbstofflösung"),
                          QStringLiteral("Kristallviolett mit Natronlauge")});
    ConcentrationBox = NumberBox(0, 200, 5, 1, start.dyeMgPerL, QStringLiteral(" mg/L"));
    StrayLightBox = NumberBox(0, 10, 0.5, 1, start.strayLightPercent, QStringLiteral(" %"));
    FastBox = new QCheckBox(QStringLiteral("Zeitraffer (10-fach)"));
    StartButton = new QPushButton(QStringLiteral("Reaktion starten"));
    AnswerLabel = new QLabel;
    AnswerLabel->setWordWrap(true);
    AnswerLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Lampe:"), LampBox);
    form->addRow(QStringLiteral("Helligkeit:"), BrightnessBox);
    form->addRow(QString(), CoverBox);
    form->addRow(QStringLiteral("Filter:"), FilterBox);
    form->addRow(QStringLiteral("Küvette:"), CuvetteBox);
    form->addRow(QStringLiteral("Konzentration:"), ConcentrationBox);
    form->addRow(QStringLiteral("Streulicht:"), StrayLightBox);
    form->addRow(QString(), FastBox);
    form->addRow(QString(), StartButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Erwartet:")));
    layout->addWidget(AnswerLabel);
    layout->addStretch();

    for (QComboBox* box : {LampBox, FilterBox, CuvetteBox})
        connect(box, &QComboBox::currentIndexChanged, this, &TPracticePanel::Apply);
    for (QDoubleSpinBox* box : {BrightnessBox, ConcentrationBox, StrayLightBox})
        connect(box, &QDoubleSpinBox::valueChanged, this, &TPracticePanel::Apply);
    for (QCheckBox* box : {CoverBox, FastBox})
        connect(box, &QCheckBox::toggled, this, &TPracticePanel::Apply);
    connect(StartButton, &QPushButton::clicked, this, &TPracticePanel::StartReaction);
    Apply();
}

PracticeScene TPracticePanel::Scene() const {
    PracticeScene scene;
    scene.lamp = Lamps[LampBox->currentIndex()];
    scene.covered = CoverBox->isChecked();
    scene.brightness = BrightnessBox->value();
    scene.filter = Filters[FilterBox->currentIndex()];
    scene.cuvette = Cuvettes[CuvetteBox->currentIndex()];
    scene.dyeMgPerL = ConcentrationBox->value();
    scene.strayLightPercent = StrayLightBox->value();
    scene.fastReaction = FastBox->isChecked();
    return scene;
}

void TPracticePanel::Apply() {
    const PracticeScene scene = Scene();
    ApplyScene(scene, instrument_);
    const bool dye = scene.cuvette == PracticeScene::Cuvette::Dye;
    const bool reaction = scene.cuvette == PracticeScene::Cuvette::Reaction;
    ConcentrationBox->setEnabled(dye);
    StrayLightBox->setEnabled(dye);
    FastBox->setEnabled(reaction);
    StartButton->setEnabled(reaction);
    if (!reaction) StartButton->setText(QStringLiteral("Reaktion starten"));
    AnswerLabel->setText(KnownAnswer(scene));
}

void TPracticePanel::StartReaction() {
    instrument_.StartReaction(PracticeReaction(Scene()));
    StartButton->setText(QStringLiteral("Reaktion neu starten"));
}
