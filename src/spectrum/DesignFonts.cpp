// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DesignFonts.h"

#include "spectrum/DesignFontFamilies.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

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

// Where the design font's bitmaps would be drawn small, the narrow sans stands in at this size: letters
// as tall as the design font's, words a little narrower.
constexpr int StandInPoints = 9;

// A caption whose width in the design font, 8 points at 96 dpi, the layouts give it.
const QString WidthSample = QStringLiteral("Maximum markieren");
constexpr qreal DesignSampleWidth = 93;

// The design font's bitmaps are drawn as meant only on a screen of the layout's own resolution.
bool DesignFontFits(qreal scale) {
    return qFuzzyCompare(scale, 1) || QFontDatabase::isSmoothlyScalable(DesignFamilies().first());
}

} // namespace

QFont ControlFont(qreal scale) {
    if (!DesignFontFits(scale)) {
        QFont font = FontOf(LargeFamilies());
        font.setPointSize(StandInPoints);
        return font;
    }
    QFont font = DesignFont();
    font.setPointSize(8);
    // A face standing in for the design font under its name (Wine's, for one) may be wider; made smaller
    // to the design font's widths, the captions laid out for those stay whole.
    const qreal width = QFontMetricsF(font).horizontalAdvance(WidthSample);
    if (width > DesignSampleWidth) font.setPointSizeF(8 * DesignSampleWidth / width);
    return font;
}

QFont BoldControlFont() {
    QFont font = FontOf(BoldFamilies());
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

QFont CanvasFont(int points, qreal scale) {
    const bool design = points == 8 && DesignFontFits(scale);
    QFont font = design ? DesignFont() : FontOf(LargeFamilies());
    const int pixels = PixelSizeForPoints(points == 8 && !design ? StandInPoints : points);
    font.setPixelSize(std::max(1, int(std::nearbyint(pixels * scale))));
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::NoAntialias));
    return font;
}
