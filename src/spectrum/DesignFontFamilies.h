// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

// The font families of this system that the design fonts are drawn with, each list in the order of
// preference; the system's own font files are made known to the toolkit before the first list is given.

// The 8-point texts of the windows and diagrams: "MS Sans Serif", or on Windows its scalable twin,
// first.
QStringList DesignFamilies();

// Bold captions.
QStringList BoldFamilies();

// Diagram texts larger than 8 points: a narrow sans first, so that a 12-point grid text stays in the
// room left of its line.
QStringList LargeFamilies();
