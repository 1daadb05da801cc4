// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kx207-sim/InstrumentModel.h"

#include <QString>

// What stands in the beam of the simulated instrument for a lesson.
struct PracticeScene {
    enum class Cuvette { None, Dye, Reaction };

    Lamp lamp = Lamp::Mercury;
    bool covered = false;  // the light input capped, for the dark spectrum
    double brightness = 1; // the lamp's brightness as a factor
    Filter filter = Filter::None;
    Cuvette cuvette = Cuvette::None;
    double dyeMgPerL = 40;
    double strayLightPercent = 0; // light passing around the dye's cuvette
    bool fastReaction = false;    // the reaction ten times as fast as the clock
};

// The reaction the panel starts: crystal violet bleached by hydroxide with the simulator's k′, in
// real time or ten times as fast.
ReactionOptions PracticeReaction(const PracticeScene& scene);

// Puts the scene in front of the instrument. A reaction already running stays while its cuvette is
// chosen; choosing another cuvette takes it out.
void ApplyScene(const PracticeScene& scene, InstrumentModel& instrument);

// What a class should find in this scene, in the handbook's words and the program's numbers.
QString KnownAnswer(const PracticeScene& scene);
