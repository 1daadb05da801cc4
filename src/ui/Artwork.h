// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own pictures, drawn in code so that nothing is taken from elsewhere.
namespace Artwork {

// The seven 32 × 32 images of the tool bar and menu, by index: quit, open, save, settings,
// colour, spectral lines, large spectrogram.
enum ToolImage { Quit, Open, Save, Settings, Colour, SpectralLines, LargeSpectrogram, ToolImageCount };
QPixmap ToolImagePixmap(int index);

QPixmap Logo();          // 111 × 88: a prism splitting light into its spectrum
QPixmap SnapshotGlyph(); // camera, for "Schnappschuss"
QPixmap MeasureGlyph();  // spectrum curve on black; black is the transparent colour
QPixmap OkGlyph();       // green tick
QPixmap CancelGlyph();   // red cross
QIcon WindowIcon();

} // namespace Artwork
