// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/DiagramPainter.h"

#include <QDateTime>
#include <QImage>
#include <QString>

// How a picture of the diagram for a worksheet looks.
struct PictureOptions {
    bool Double = false;          // the large window's diagram, twice the size of the main one
    bool WhiteBackground = false; // black and white swapped inside the diagram and around it
    QString Caption;              // the line under the picture
    QString AxisTitle{};          // the value axis's title with its unit, e.g. "Transmission in %"
    qreal Scale = 1;              // screen pixels to a 96-dpi pixel: the picture as a scaled screen shows it
};

// The caption of a picture: the spectrum's name, if any, and the moment, e.g. "Hg-Lampe, 07.12.2026 19:30".
QString PictureCaption(const QString& name, const QDateTime& when);

// The diagram of `state` as the main window (or, doubled, the large window) paints it, with the scale
// values on its right and the axis title beside them, read upward, the wavelengths of its ends under
// it, its colour strip and the caption line. The diagram stands at the top left corner, pixel for pixel as on
// the screen when the background is black; at a Scale above 1 every part is as much larger, drawn as finely.
QImage DiagramPicture(const DiagramState& state, const PictureOptions& options);
