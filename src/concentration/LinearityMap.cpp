// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentration/LinearityMap.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double KeptSlopeShare = 0.95;

// The inverse of the symmetric `size`×`size` matrix `m` by Gauss–Jordan with pivoting; false when
// it is singular.
template <size_t N> bool Invert(std::array<std::array<double, N>, N>& m, size_t size) {
    std::array<std::array<double, N>, N> inverse{};
    for (size_t i = 0; i < size; ++i)
        inverse[i][i] = 1;
    for (size_t col = 0; col < size; ++col) {
        size_t pivot = col;
        for (size_t row = col + 1; row < size; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
        // The standards' c values, scaled to at most 1, leave no parabola to fit.
        if (!(std::fabs(m[pivot][col]) > 1e-12 * std::fabs(m[0][0]))) return false;
        std::swap(m[pivot], m[col]);
        std::swap(inverse[pivot], inverse[col]);
        const double scale = m[col][col];
        for (size_t k = 0; k < size; ++k) {
            m[col][k] /= scale;
            inverse[col][k] /= scale;
        }
        for (size_t row = 0; row < size; ++row) {
            if (row == col) continue;
            const double factor = m[row][col];
            for (size_t k = 0; k < size; ++k) {
                m[row][k] -= factor * m[col][k];
                inverse[row][k] -= factor * inverse[col][k];
            }
        }
    }
    m = inverse;
    return true;
}

// The standards that count for the map: measured and not taken out by hand.
std::vector<const SeriesRow*> MapStandards(const ConcentrationSeries& series) {
    std::vector<const SeriesRow*> standards;
    for (const SeriesRow& row : series.Rows)
        if (row.Kind == RowKind::Standard && row.Spectrum && row.InLineByHand != false)
            standards.push_back(&row);
    return standards;
}

// The bend over the channels a proposed band around `channel` could take: stray light bends
// neighbouring channels alike, and their mean carries less noise than one, so a bend within one
// channel's noise still shows.
std::optional<LineBend> BendAround(const std::vector<const SeriesRow*>& standards,
                                   const std::vector<Evaluation>& evaluations, int channel,
                                   bool throughOrigin) {
    std::vector<double> c, a, u;
    for (size_t i = 0; i < standards.size(); ++i) {
        const BandResult band = ValueInBand(evaluations[i], channel - WideningPerSide,
                                            channel + WideningPerSide, Quantity::Absorbance);
        if (band.Kind != Outcome::Value) continue;
        c.push_back(standards[i]->Concentration);
        a.push_back(band.Value);
        u.push_back(band.Uncertainty);
    }
    return FitBend(c, a, u, throughOrigin);
}

std::string ProposalText(const ConcentrationSeries& series, const BandProposal& proposal) {
    const int32_t from = RoundHalfEven(proposal.FromNm), to = RoundHalfEven(proposal.ToNm);
    return "Vorschlag: " + std::to_string(from) + (from == to ? "" : "\u2013" + std::to_string(to)) +
           " nm, Steigung " + DecimalText(proposal.Line->Slope, 3) + " " + SlopeUnitText(series.Unit) +
           ", R\u00b2 " + DecimalText(proposal.Line->RSquared, 4);
}

} // namespace

std::optional<LineBend> FitBend(const std::vector<double>& c, const std::vector<double>& a,
                                const std::vector<double>& u, bool throughOrigin) {
    const size_t parameters = throughOrigin ? 2 : 3;
    if (c.size() < parameters || a.size() != c.size() || u.size() != c.size()) return std::nullopt;
    const double cMax = *std::max_element(c.begin(), c.end());
    if (!(cMax > 0) || std::any_of(u.begin(), u.end(), [](double value) { return !(value > 0); }))
        return std::nullopt;
    // In x = c / cMax, so that 1, x and x² are alike in size; the curvature's last in the basis.
    const auto basis = [&](double concentration) {
        const double x = concentration / cMax;
        return throughOrigin ? std::array<double, 3>{x, x * x, 0} : std::array<double, 3>{1, x, x * x};
    };
    std::array<std::array<double, 3>, 3> normal{};
    std::array<double, 3> right{};
    for (size_t i = 0; i < c.size(); ++i) {
        const std::array<double, 3> f = basis(c[i]);
        const double weight = 1 / (u[i] * u[i]);
        for (size_t j = 0; j < parameters; ++j) {
            right[j] += weight * f[j] * a[i];
            for (size_t k = 0; k < parameters; ++k)
                normal[j][k] += weight * f[j] * f[k];
        }
    }
    if (!Invert(normal, parameters)) return std::nullopt;
    std::array<double, 3> p{};
    for (size_t j = 0; j < parameters; ++j)
        for (size_t k = 0; k < parameters; ++k)
            p[j] += normal[j][k] * right[k];
    const size_t q = parameters - 1;
    const double uncertainty = std::sqrt(normal[q][q]);
    return LineBend{p[q] / (cMax * cMax), std::fabs(p[q]) / uncertainty};
}

bool MapChannel::Linear() const {
    return Line && Bend && Bend->Significance <= BendLimit && HighestA <= HighestTrustedAbsorbance &&
           Line->Slope > 0;
}

LinearityMap MapLinearity(const ConcentrationSeries& series) {
    LinearityMap map;
    const std::vector<const SeriesRow*> standards = MapStandards(series);
    std::vector<Evaluation> evaluations;
    for (const SeriesRow* row : standards)
        evaluations.push_back(RowEvaluation(*row->Spectrum));
    int best = -1;
    for (int channel = 0; channel < ChannelCount; ++channel) {
        std::vector<double> c, a;
        double highestC = -1;
        MapChannel& entry = map.Channels[channel];
        for (size_t i = 0; i < standards.size(); ++i) {
            const ChannelResult& result = evaluations[i].Channels[channel];
            if (result.Kind == Outcome::Gap) continue;
            // A bound stays out of the line but still says how dark the highest standard is.
            if (standards[i]->Concentration > highestC) {
                highestC = standards[i]->Concentration;
                entry.HighestA = result.Absorbance;
            }
            if (result.Kind == Outcome::Bound) continue;
            c.push_back(standards[i]->Concentration);
            a.push_back(result.Absorbance);
        }
        if (static_cast<int>(c.size()) >= FewestMapStandards) {
            entry.Line = CalibrationFit(c, a, series.Band.ThroughOrigin);
            entry.Bend = BendAround(standards, evaluations, channel, series.Band.ThroughOrigin);
        }
        if (entry.Linear() && (best < 0 || entry.Line->Slope > map.Channels[best].Line->Slope))
            best = channel;
    }
    BandProposal& proposal = map.Proposal;
    if (static_cast<int>(standards.size()) < FewestMapStandards) {
        proposal.Text = "Kein Vorschlag: erst ab drei gemessenen Standards";
        return map;
    }
    if (best < 0) {
        proposal.Text = "Kein Vorschlag: nirgends gerade bei A \u2264 1,5";
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
