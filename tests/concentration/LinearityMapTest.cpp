// SPDX-License-Identifier: GPL-3.0-or-later
// The linearity map and its proposed band, on standards whose slope ε·d falls from 0.0125 L/mg at
// channel 65 by 0.0005 a channel to each side (reference 1000 Digits, readings rounded).
#include "concentration/LinearityMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

double Slope(int channel) {
    const int away = std::abs(channel - 65);
    return away <= 10 ? 0.0125 - 0.0005 * away : 0.001;
}

// A standard at `c` mg/L with `stray` stray light bending its absorbance.
SeriesRow Standard(double c, double stray = 0) {
    SeriesRow row;
    row.Concentration = c;
    row.Spectrum.emplace();
    row.Spectrum->Reference.fill(1000);
    for (int channel = 0; channel < ChannelCount; ++channel)
        row.Spectrum->Shown[channel] =
            RoundHalfEven(1000 * (std::pow(10.0, -Slope(channel) * c) + stray) / (1 + stray));
    return row;
}

ConcentrationSeries Series(std::vector<double> concentrations, double stray = 0) {
    ConcentrationSeries series;
    for (double c : concentrations)
        series.Rows.push_back(Standard(c, stray));
    return series;
}

TEST(LinearityMapTest, ProposesTheSteepestBandWhereTheLineHolds) {
    struct Case {
        const char* what;
        ConcentrationSeries series;
        std::optional<std::pair<int, int>> band;
        const char* text;
    };
    ConcentrationSeries outByHand = Series({20, 40, 60, 80, 140});
    outByHand.Rows[4].InLineByHand = false;
    ConcentrationSeries unmeasured = Series({20, 40, 60});
    unmeasured.Rows[1].Spectrum.reset();
    ConcentrationSeries withIntercept = Series({20, 40, 60, 80, 100});
    withIntercept.Band.ThroughOrigin = false;
    const Case cases[] = {
        {"all straight", Series({20, 40, 60, 80, 100}), std::make_pair(64, 66),
         "Vorschlag: 519\u2013524 nm, Steigung 0,0122 L/mg, R\u00b2 1,0000"},
        {"with intercept", withIntercept, std::make_pair(64, 66),
         "Vorschlag: 519\u2013524 nm, Steigung 0,0122 L/mg, R\u00b2 1,0000"},
        // 140 mg/L takes the centre above A = 1.5: the band moves to the flank where 140·ε·d ≤ 1.5.
        {"highest above 1.5", Series({20, 40, 60, 80, 140}), std::make_pair(60, 61),
         "Vorschlag: 509\u2013511 nm, Steigung 0,0102 L/mg, R\u00b2 1,0000"},
        {"highest out by hand", outByHand, std::make_pair(64, 66),
         "Vorschlag: 519\u2013524 nm, Steigung 0,0122 L/mg, R\u00b2 1,0000"},
        {"two measured", unmeasured, std::nullopt, "Kein Vorschlag: erst ab drei gemessenen Standards"},
        {"everywhere too dark", Series({400, 800, 1600}), std::nullopt,
         "Kein Vorschlag: nirgends R\u00b2 \u2265 0,999 bei A \u2264 1,5"},
    };
    for (const Case& test : cases) {
        const LinearityMap map = MapLinearity(test.series);
        EXPECT_EQ(map.Proposal.Channels, test.band) << test.what;
        EXPECT_EQ(map.Proposal.Text, test.text) << test.what;
    }
}

TEST(LinearityMapTest, StrayLightBendsTheCentreOutOfTheProposal) {
    const LinearityMap map = MapLinearity(Series({20, 40, 60, 80, 100}, 0.01));
    // At the centre 100 mg/L read A = 1.18 instead of 1.25: R² falls below 0.999.
    EXPECT_FALSE(map.Channels[65].Linear());
    EXPECT_LT(map.Channels[65].Line->RSquared, LinearRSquared);
    EXPECT_NEAR(map.Channels[65].HighestA, -std::log10((std::pow(10, -1.25) + 0.01) / 1.01), 0.005);
    ASSERT_TRUE(map.Proposal.Channels);
    const auto [first, last] = *map.Proposal.Channels;
    for (int channel = first; channel <= last; ++channel)
        EXPECT_GE(map.Channels[channel].Line->RSquared, LinearRSquared) << channel;
    EXPECT_TRUE(last < 65 || first > 65);
    // Far from the band the few standards' line is flat but exact; below three standards there is none.
    EXPECT_NEAR(map.Channels[10].Line->Slope, 0.001, 5e-5);
    EXPECT_FALSE(MapLinearity(Series({20, 40})).Channels[65].Line);
}

} // namespace
