// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The fonts the windows and the diagrams are laid out for: every caption and every diagram text
// has the width and height the fixed layouts expect. Where a face is missing on the system, the next
// one of its family list (DesignFontFamilies.h) stands in at the same size, so the program still runs
// and draws, only less exactly.

// The controls' font on screens of `scale` device pixels per layout pixel: 8-point "MS Sans Serif"
// (13-pixel lines at 96 dpi). Its bitmaps come in that one size, so on a scaled screen, where they would
// be drawn small and spread apart, a scalable narrow sans stands in at 9 points: letters as tall as the
// design font's and words a little narrower, so every caption stays whole.
QFont ControlFont(qreal scale);

// The bold captions' font: the design font has no bold face and its bitmaps cannot be thickened,
// so a bold sans of the same size.
QFont BoldControlFont();

// The face of canvas texts of `points` points, at the pixel size they have at 96 dpi times `scale`,
// unsmoothed: "MS Sans Serif" for 8 points, the only size it holds, without ligatures (on a scaled
// screen the stand-in of the controls' font); a narrow sans for larger texts, so that a 12-point grid
// text such as "350nm" stays inside the 48 pixels left of its line's text position.
QFont CanvasFont(int points, qreal scale);
