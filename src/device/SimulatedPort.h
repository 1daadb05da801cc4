// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The simulated serial platform (SerialPlatformSimulated.cpp) in place of the system's: the instrument
// simulator played inside the process, on one port of its own, for the demonstration program and its
// tests. No serial driver and no pseudo-terminal are needed, so it works on every system.

#include "kx207-sim/InstrumentModel.h"

// The one port the simulated platform has; opening any other name fails as for a missing device.
extern const char* const SimulatedPortName;

// The instrument on that port, made at first use with the simulator's defaults. Its scene may be
// changed from any thread while the program measures it.
InstrumentModel& PlayedInstrument();
