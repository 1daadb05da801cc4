// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "practice/PracticeScene.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

// The demonstration's window "Versuchsaufbau": each control changes the scene in front of the
// simulated instrument at once, and the window names the scene's known answer.
class TPracticePanel : public QWidget {
    Q_OBJECT
public:
    explicit TPracticePanel(InstrumentModel& instrument, QWidget* parent = nullptr);

    // The scene the controls show.
    PracticeScene Scene() const;

    QComboBox* LampBox;
    QCheckBox* CoverBox;
    QDoubleSpinBox* BrightnessBox;
    QComboBox* FilterBox;
    QComboBox* CuvetteBox;
    QDoubleSpinBox* ConcentrationBox;
    QDoubleSpinBox* StrayLightBox;
    QCheckBox* FastBox;
    QPushButton* StartButton;
    QLabel* AnswerLabel;

private:
    // Puts the controls' scene in front of the instrument and shows its answer.
    void Apply();
    void StartReaction();

    InstrumentModel& instrument_;
};
