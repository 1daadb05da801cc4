// SPDX-License-Identifier: GPL-3.0-or-later
// The design fonts on Windows: the system's own, which every Windows since 2000 installs, so nothing
// is registered.
#include "spectrum/DesignFontFamilies.h"

namespace {

// The scalable twin of the bitmap font the layouts were made for (sserife.fon), with its widths at
// 8 points; Windows itself draws dialogs laid out for "MS Sans Serif" with it. The bitmap font comes
// out a size too large through the toolkit: it offers the bitmap sizes by their line heights (13 pixels
// for 8 points) and asks the system for that many pixels of character height, which is the 10-point
// face, and the captions no longer fit.
const QString DesignFamily = QStringLiteral("Microsoft Sans Serif");
const QString BitmapFamily = QStringLiteral("MS Sans Serif");
// Installed with Office rather than with Windows.
const QString NarrowFamily = QStringLiteral("Arial Narrow");

} // namespace

QStringList DesignFamilies() {
    return {DesignFamily, BitmapFamily};
}

QStringList BoldFamilies() {
    return {DesignFamily, QStringLiteral("Arial")};
}

QStringList LargeFamilies() {
    // Without the narrow face, the design font in its larger size.
    return {NarrowFamily, DesignFamily, BitmapFamily};
}
