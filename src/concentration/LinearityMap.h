// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "concentration/Calibration.h"

#include <array>
#include <optional>
#include <string>

// A curvature of the standards' absorbances beyond this many of its standard uncertainties bends the
// line: three, so that noise alone leaves a straight channel green in all but a few of the map's 128.
constexpr double BendLimit = 3.0;
// The fewest standards with a value that make a channel's line worth drawing.
constexpr int FewestMapStandards = 3;
// How many neighbours each side of the steepest straight channel the proposed band takes at most.
constexpr int WideningPerSide = 2;

// How far standards bend away from a straight line: the curvature q of the parabola A = a + b·c + q·c²
// (a = 0 through the origin) fitted with the weights 1/u(A)², and |q| in units of its standard
// uncertainty from the standards' own: the line holds where its residuals agree with those.
struct LineBend {
    double Curvature = 0;
    double Significance = 0;
};
// None where the points can't carry a parabola (too few, c values alike, an uncertainty not above 0).
std::optional<LineBend> FitBend(const std::vector<double>& c, const std::vector<double>& a,
                                const std::vector<double>& u, bool throughOrigin);

// One channel of the map: the line of A against c over the standards that have a value there (those
// taken out by hand stay out), how they bend away from a line over the channels within
// WideningPerSide of it, and the highest standard's A there; no line below three standards.
struct MapChannel {
    std::optional<LineFit> Line;
    std::optional<LineBend> Bend;
    double HighestA = 0;
    // Whether the line holds here: the standards bend less than BendLimit uncertainties away from it
    // and the highest standard's A ≤ 1.5. R² alone can't tell: 1 % stray light keeps it at 0.9994.
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
// by up to WideningPerSide neighbours each side that hold too and keep 95 % of that slope: the mean
// of several channels carries less noise than one, and further out the slope falls.
LinearityMap MapLinearity(const ConcentrationSeries& series);
