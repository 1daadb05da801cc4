// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/DiagramGeometry.h"
#include "spectrum/PeakFinder.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <vector>

// A peak's wavelength as its label reads, e.g. "546nm"; "übersteuert" for a clipped top.
QString PeakLabelText(const Peak& peak);

// A label where it is written on a diagram.
struct PlacedPeakLabel {
    QString Text;
    QRect Cell; // the box the text fills
};

// Places the labels of `peaks` (highest first) on a diagram of `geometry` drawn with `divisor`:
// centred above the top with a row between; where that box would leave the diagram or meet a box of
// `taken` (the grid texts), beside the top, right or else left. A label whose place meets the label of
// a higher peak, or that finds no place, is left out; that of a clipped top instead moves further down
// beside it until it fits. `extent` gives the box of a text in the label font.
std::vector<PlacedPeakLabel> PlacePeakLabels(const std::vector<Peak>& peaks, const DiagramGeometry& geometry,
                                             int32_t divisor,
                                             const std::function<QSize(const QString&)>& extent,
                                             const std::vector<QRect>& taken);
