// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DesignFonts.h"

#include <QFontDatabase>
#include <QStringList>
#include <algorithm>

namespace {

const QString DesignFamily = QStringLiteral("MS Sans Serif");
const QString NarrowFamily = QStringLiteral("Liberation Sans Narrow");
// What stands in for either when its file is missing.
const QString FallbackFamily = QStringLiteral("Liberation Sans");

// Both files are registered by their paths: the design font holds bitmaps only, which the system's
// font configuration usually leaves out, and wherever the system looks, these are the faces meant.
void RegisterFontFiles() {
    static const bool registered = [] {
        for (const char* path : {"/usr/share/wine/fonts/ms_sans_serif.ttf",
                                 "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf"})
            QFontDatabase::addApplicationFont(QString::fromLatin1(path));
        return true;
    }();
    (void)registered;
}

// Character height in pixels of a font of `points` at 96 dpi, rounded to the nearest pixel.
int PixelSizeForPoints(int points) {
    return (points * 96 + 36) / 72;
}

QFont FontOf(const QString& family) {
    RegisterFontFiles();
    QFont font(family);
    font.setFamilies({family, FallbackFamily});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

} // namespace

QFont ControlFont() {
    QFont font = FontOf(DesignFamily);
    font.setPointSize(8);
    return font;
}

QFont BoldControlFont() {
    QFont font = FontOf(FallbackFamily);
    font.setPointSize(8);
    font.setBold(true);
    return font;
}

QFont CanvasFont(int points) {
    QFont font = FontOf(points == 8 ? DesignFamily : NarrowFamily);
    font.setPixelSize(std::max(1, PixelSizeForPoints(points)));
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}
