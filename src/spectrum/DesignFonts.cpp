// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DesignFonts.h"

#include "spectrum/DesignFontFamilies.h"

#include <QFontDatabase>
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

// The design font joins no letters: its "T" and "M" would otherwise become one trademark sign.
QFont DesignFont() {
    QFont font = FontOf(DesignFamilies());
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

QFont ControlFont(qreal scale) {
    if (qFuzzyCompare(scale, 1) || QFontDatabase::isSmoothlyScalable(DesignFamilies().first())) {
        QFont font = DesignFont();
        font.setPointSize(8);
        return font;
    }
    QFont font = FontOf(LargeFamilies());
    font.setPointSize(9);
    return font;
}

QFont BoldControlFont() {
    QFont font = FontOf(BoldFamilies());
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

QFont CanvasFont(int points) {
    QFont font = points == 8 ? DesignFont() : FontOf(LargeFamilies());
    font.setPixelSize(std::max(1, PixelSizeForPoints(points)));
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoAntialias));
    return font;
}
