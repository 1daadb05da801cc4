// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;
class TIniFile;
namespace Settings {
struct PlaceEntry;
}

// Whether a window of `frameSize` placed at `topLeft` would lie at least partly on one of the
// screens; a position stored while a monitor was attached must not hide a window once it is gone.
bool LiesOnAScreen(QPoint topLeft, QSize frameSize);

// The stored-edge test of the line and large windows: 5 − extent < value < screen extent, strictly.
bool EdgeAccepted(int value, int windowExtent, int screenExtent);

// Reads the left and then the top edge of `window` from section "Fenster" and applies each that
// passes its edge test, as long as the window then stays on a screen.
void PlaceFromSettings(QWidget& window, const TIniFile& iniFile, const Settings::PlaceEntry& place);
// Writes the window's left and top edges to section "Fenster".
void StorePlace(const QWidget& window, TIniFile& iniFile, const Settings::PlaceEntry& place);
