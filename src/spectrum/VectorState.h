// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Some of the toolkit's image routines use the processor's wide vector registers and return without
// clearing their upper halves; until something clears them, every ordinary floating-point instruction
// of the program waits on them (a false dependency that made the measurement arithmetic four times
// slower). Clears them on processors that have them; elsewhere does nothing.
void ClearUpperVectorState();
