// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/Calibration.h"

#include <array>
#include <optional>
#include <string>

// Where Beer–Lambert holds: R² of at least this over the standards.
constexpr double LinearRSquared = 0.999;
// The fewest standards with a value that make a channel's line worth drawing.
constexpr int FewestMapStandards = 3;

// One channel of the map: the line of A against c over the standards that have a value there (those
// taken out by hand stay out), and the highest standard's A there; no line below three standards.
struct MapChannel {
    std::optional<LineFit> Line;
    double HighestA = 0;
    // Whether the line holds here: R² ≥ 0.999 and the highest standard's A ≤ 1.5.
    bool Linear() const;
};

// The proposed evaluation band: its channels, the line over the band's mean absorbances, and the
// sentence that says it ("Vorschlag: 520–530 nm, Steigung 0,0125 L/mg, R² 0,9996") or why there is none.
struct BandProposal {
    std::optional<std::pair<int, int>> Channels;
    double FromNm = 0;
    double ToNm = 0;
    std::optional<LineFit> Line;
    std::string Text;
};

struct LinearityMap {
    std::array<MapChannel, ChannelCount> Channels;
    BandProposal Proposal;
};

// The map of the series over every channel, with the line through the origin or with intercept as
// the series says, and the proposal: the channel of the largest slope where the line holds, widened
// by up to two neighbours each side that hold too and keep 95 % of that slope.
LinearityMap MapLinearity(const ConcentrationSeries& series);
