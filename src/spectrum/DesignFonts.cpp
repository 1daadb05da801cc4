// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DesignFonts.h"

#include "spectrum/DesignFontFamilies.h"

#include <algorithm>

namespace {

// Character height in pixels of a font of `points` at 96 dpi, rounded to the nearest pixel.
int PixelSizeForPoints(int points) {
    return (points * 96 + 36) / 72;
}

QFont FontOf(const QStringList& families) {
    QFont font(families.first());
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

QFont ControlFont() {
    QFont font = FontOf(DesignFamilies());
    font.setPointSize(8);
    return font;
}

QFont BoldControlFont() {
    QFont font = FontOf(BoldFamilies());
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

QFont CanvasFont(int points) {
    QFont font = FontOf(points == 8 ? DesignFamilies() : LargeFamilies());
    font.setPixelSize(std::max(1, PixelSizeForPoints(points)));
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}
