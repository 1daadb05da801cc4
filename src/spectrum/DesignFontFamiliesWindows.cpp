// SPDX-License-Identifier: GPL-3.0-or-later
// The design fonts on Windows: the system's own, which every Windows since 2000 installs, so nothing
// is registered.
#include "spectrum/DesignFontFamilies.h"

namespace {

// The bitmap font of the windows the layouts were made for (sserife.fon).
const QString DesignFamily = QStringLiteral("MS Sans Serif");
// Its scalable twin with the same metrics, which the system can thicken for bold texts.
const QString ScalableFamily = QStringLiteral("Microsoft Sans Serif");
// Installed with Office rather than with Windows.
const QString NarrowFamily = QStringLiteral("Arial Narrow");

} // namespace

QStringList DesignFamilies() {
    return {DesignFamily, ScalableFamily};
}

QStringList BoldFamilies() {
    return {ScalableFamily, QStringLiteral("Arial")};
}

QStringList LargeFamilies() {
    // Without the narrow face, the design font in its larger size.
    return {NarrowFamily, DesignFamily, ScalableFamily};
}
