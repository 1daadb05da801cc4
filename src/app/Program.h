// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainFrm.h"

// Creates the five windows in order, each complete before the next: MainForm (shown at once),
// SetupForm, AboutForm, SpektralForm, BigForm.
void CreateWindows(const MainFormContext& context = {});

// Destroys the windows in reverse order of creation, each after its destruction handler has run;
// an error in a handler is shown and skips the rest of that handler only. Settings that can't be
// written are said once, naming the settings file.
void DestroyWindows();

// A window of the caller's own beside the program's, made once they are and destroyed before them.
using CompanionWindow = std::function<std::unique_ptr<QWidget>()>;

// The program's run from start to end: the application object with the window icon, the five windows
// (and the companion, if any), the message loop until the program ends, the windows destroyed. Returns
// the exit code.
int RunProgram(int& argc, char** argv, const MainFormContext& context = {},
               const CompanionWindow& companion = {});
