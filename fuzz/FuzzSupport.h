// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/DiagramPainter.h"

#include <string>

// Stops the run with `what` when `condition` is false: libFuzzer keeps the input as a crash.
void Require(bool condition, const char* what);

// A folder of this process for the files a target reads and writes, on a memory file system where the
// machine has one, removed at exit.
const std::string& ScratchFolder();

// Starts the headless application object that the canvases' texts need. Call once, from
// LLVMFuzzerInitialize.
void StartHeadlessApplication(int* argc, char*** argv);

// Paints the main and the large diagram from `state`, as the windows do.
void DrawDiagrams(const DiagramState& state);
