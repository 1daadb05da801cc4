// SPDX-License-Identifier: GPL-3.0-or-later
// The design fonts on Linux: Wine's "MS Sans Serif" and the Liberation faces, whose metrics are
// Arial's, from where their Debian packages install them.
#include "spectrum/DesignFontFamilies.h"

#include <QFontDatabase>

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

} // namespace

QStringList DesignFamilies() {
    RegisterFontFiles();
    return {DesignFamily, FallbackFamily};
}

QStringList BoldFamilies() {
    RegisterFontFiles();
    return {FallbackFamily};
}

QStringList LargeFamilies() {
    RegisterFontFiles();
    return {NarrowFamily, FallbackFamily};
}
