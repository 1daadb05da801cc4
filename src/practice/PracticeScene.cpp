// SPDX-License-Identifier: GPL-3.0-or-later
#include "practice/PracticeScene.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

constexpr double FastReaction = 10;

// With a decimal comma whatever the system's language, as every number of the program.
QString Number(double value, int decimals) {
    return QString::number(value, 'f', decimals).replace(u'.', u',');
}

QString LampAnswer(Lamp lamp) {
    switch (lamp) {
    case Lamp::Mercury:
        return QStringLiteral("Quecksilberlinien: 404,7 · 435,8 · 546,1 · 577,0 und 579,1 nm");
    case Lamp::Neon:
        return QStringLiteral("Neonlinien zwischen 585 und 672 nm, die stärkste bei 640,2 nm");
    case Lamp::Led:
        return QStringLiteral("Weiße LED: blaue Spitze bei 450 nm, breite gelbe Bande um 570 nm");
    case Lamp::White:
        return QStringLiteral("Glühlampe (2900 K): keine Linien, zum Roten hin heller");
    case Lamp::Fluorescent:
        return QStringLiteral(
            "Energiesparlampe: Quecksilberlinien und Leuchtstoffbanden bei 543,5 und 611,5 nm");
    }
    return {};
}

QString FilterAnswer(Filter filter) {
    switch (filter) {
    case Filter::None:
        break;
    case Filter::RedDye:
        return QStringLiteral("Rote Farbstofflösung: A = 1,05 bei 510 nm (T = 8,9 %), sonst A = 0,05");
    case Filter::GreenGlass:
        return QStringLiteral("Grünglas: T = 80 % bei 530 nm, 5 % weit davon");
    case Filter::NeutralDensity:
        return QStringLiteral("Graufilter: T = 50 % bei jeder Wellenlänge (A = 0,30)");
    }
    return {};
}

QString DyeAnswer(const PracticeScene& scene) {
    const std::array<double, 128> slope = DyeSlope();
    const auto peak = std::max_element(slope.begin(), slope.end());
    const double nm = SensorWavelength(static_cast<int>(peak - slope.begin()));
    const double absorbance = *peak * scene.dyeMgPerL;
    QString answer = QStringLiteral("Farbstoff: ε·d = %1 L/mg bei %2 nm, A = %3")
                         .arg(Number(*peak, 4), Number(nm, 1), Number(absorbance, 3));
    if (scene.strayLightPercent > 0)
        answer += QStringLiteral(", mit Streulicht gemessen %1")
                      .arg(Number(MeasuredAbsorbance(absorbance, scene.strayLightPercent / 100), 3));
    return answer;
}

QString ReactionAnswer(const PracticeScene& scene) {
    const ReactionOptions reaction = PracticeReaction(scene);
    const double rate = reaction.ratePerMinute * reaction.timeFactor;
    const double halfLife = std::log(2.0) / rate;
    QString answer = QStringLiteral("Reaktion bei %1 nm: A von %2 auf %3, k′ = %4 1/min, t½ = %5 min")
                         .arg(Number(Reaction::BandCentre, 0), Number(reaction.start, 2),
                              Number(reaction.end, 2), Number(rate, 2), Number(halfLife, 2));
    if (scene.fastReaction) answer += QStringLiteral(" (im Zeitraffer)");
    return answer;
}

} // namespace

ReactionOptions PracticeReaction(const PracticeScene& scene) {
    ReactionOptions reaction;
    if (scene.fastReaction) reaction.timeFactor = FastReaction;
    return reaction;
}

void ApplyScene(const PracticeScene& scene, InstrumentModel& instrument) {
    instrument.SetLamp(scene.lamp);
    instrument.SetLightBlocked(scene.covered);
    instrument.SetLampBrighter(scene.brightness);
    instrument.SetFilter(scene.filter);
    if (scene.cuvette == PracticeScene::Cuvette::Dye)
        instrument.SetCuvette(DyeCuvette{scene.dyeMgPerL, scene.strayLightPercent / 100});
    else
        instrument.SetCuvette(std::nullopt);
    if (scene.cuvette == PracticeScene::Cuvette::None) instrument.EndReaction();
}

QString KnownAnswer(const PracticeScene& scene) {
    if (scene.covered) return QStringLiteral("Lichteingang abgedeckt: nur das Dunkelsignal, etwa 12 Digits");
    QStringList answers{LampAnswer(scene.lamp)};
    if (scene.filter != Filter::None) answers << FilterAnswer(scene.filter);
    if (scene.cuvette == PracticeScene::Cuvette::Dye) answers << DyeAnswer(scene);
    if (scene.cuvette == PracticeScene::Cuvette::Reaction) answers << ReactionAnswer(scene);
    return answers.join('\n');
}
