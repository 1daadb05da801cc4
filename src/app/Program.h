#pragma once

#include "app/MainFrm.h"

// Creates the five windows in order, each complete before the next: MainForm (shown at once),
// SetupForm, AboutForm, SpektralForm, BigForm.
void CreateWindows(const TMainFormContext& context = {});

// Destroys the windows in reverse order of creation, each after its destruction handler has run;
// an error in a handler is shown and skips the rest of that handler only.
void DestroyWindows();
