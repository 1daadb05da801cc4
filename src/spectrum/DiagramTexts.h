// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The four scale labels beside a diagram, top to bottom, in decimal: the full-scale value
// F = 256 × scaleDivisor, then (F div 4) × 3, F div 2 and F div 4.
std::array<QString, 4> RangeLabelTexts(int32_t scaleDivisor);

// A wavelength as the position fields show it, followed by "nm": rounded to whole nm ("516nm") while it
// has at most five digits; beyond that, five significant digits in exponent form ("1.2346E5nm").
QString PositionText(double nanometres);
