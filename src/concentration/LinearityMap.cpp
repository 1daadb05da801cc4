// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/LinearityMap.h"

#include <cmath>

namespace {

constexpr int WideningPerSide = 2;
constexpr double KeptSlopeShare = 0.95;

// The standards that count for the map: measured and not taken out by hand.
std::vector<const SeriesRow*> MapStandards(const ConcentrationSeries& series) {
    std::vector<const SeriesRow*> standards;
    for (const SeriesRow& row : series.Rows)
        if (row.Kind == RowKind::Standard && row.Spectrum && row.InLineByHand != false)
            standards.push_back(&row);
    return standards;
}

std::string ProposalText(const ConcentrationSeries& series, const BandProposal& proposal) {
    const int32_t from = RoundHalfEven(proposal.FromNm), to = RoundHalfEven(proposal.ToNm);
    return "Vorschlag: " + std::to_string(from) + (from == to ? "" : "\u2013" + std::to_string(to)) +
           " nm, Steigung " + DecimalText(proposal.Line->Slope, 3) + " " + SlopeUnitText(series.Unit) +
           ", R\u00b2 " + DecimalText(proposal.Line->RSquared, 4);
}

} // namespace

bool MapChannel::Linear() const {
    return Line && Line->RSquared >= LinearRSquared && HighestA <= HighestTrustedAbsorbance &&
           Line->Slope > 0;
}

LinearityMap MapLinearity(const ConcentrationSeries& series) {
    LinearityMap map;
    const std::vector<const SeriesRow*> standards = MapStandards(series);
    std::vector<std::array<Absorbance, ChannelCount>> absorbances;
    for (const SeriesRow* row : standards)
        absorbances.push_back(RowAbsorbances(*row->Spectrum));
    int best = -1;
    for (int channel = 0; channel < ChannelCount; ++channel) {
        std::vector<double> c, a;
        double highestC = -1;
        MapChannel& entry = map.Channels[channel];
        for (size_t i = 0; i < standards.size(); ++i) {
            const std::optional<double>& value = absorbances[i][channel].Value;
            if (!value) continue;
            c.push_back(standards[i]->Concentration);
            a.push_back(*value);
            if (standards[i]->Concentration > highestC) {
                highestC = standards[i]->Concentration;
                entry.HighestA = *value;
            }
        }
        if (static_cast<int>(c.size()) >= FewestMapStandards)
            entry.Line = CalibrationFit(c, a, series.Band.ThroughOrigin);
        if (entry.Linear() && (best < 0 || entry.Line->Slope > map.Channels[best].Line->Slope))
            best = channel;
    }
    BandProposal& proposal = map.Proposal;
    if (static_cast<int>(standards.size()) < FewestMapStandards) {
        proposal.Text = "Kein Vorschlag: erst ab drei gemessenen Standards";
        return map;
    }
    if (best < 0) {
        proposal.Text = "Kein Vorschlag: nirgends R\u00b2 \u2265 0,999 bei A \u2264 1,5";
        return map;
    }
    const auto holds = [&](int channel) {
        return channel >= 0 && channel < ChannelCount && map.Channels[channel].Linear() &&
               map.Channels[channel].Line->Slope >= KeptSlopeShare * map.Channels[best].Line->Slope;
    };
    int first = best, last = best;
    while (first > best - WideningPerSide && holds(first - 1))
        --first;
    while (last < best + WideningPerSide && holds(last + 1))
        ++last;
    proposal.Channels = std::make_pair(first, last);
    proposal.FromNm = series.Calibration.LambdaMin + first * series.Calibration.NmPerChannel;
    proposal.ToNm = series.Calibration.LambdaMin + last * series.Calibration.NmPerChannel;
    ConcentrationSeries banded = series;
    banded.Band.FromNm = proposal.FromNm;
    banded.Band.ToNm = proposal.ToNm;
    for (SeriesRow& row : banded.Rows)
        if (row.Kind == RowKind::Standard && row.InLineByHand != false) row.InLineByHand = true;
    proposal.Line = EvaluateSeries(banded).Line;
    if (proposal.Line) proposal.Text = ProposalText(series, proposal);
    return map;
}
