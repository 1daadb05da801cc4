// SPDX-License-Identifier: GPL-3.0-or-later
// The linearity map and its proposed band, on standards whose slope ε·d falls from 0.0125 L/mg at
// channel 65 by 0.0005 a channel to each side down to 0.001.
#include "concentration/LinearityMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>

namespace {

double Slope(int channel) {
    return std::max(0.0125 - 0.0005 * std::abs(channel - 65), 0.001);
}

// A plateau of 0.0125 L/mg over channels 55 to 75, so that only the widening's limit ends the band.
double FlatSlope(int channel) {
    return std::abs(channel - 65) <= 10 ? 0.0125 : 0.001;
}

// Standards at `concentrations` mg/L with `stray` stray light bending their absorbance, means of 16
// spectra against a reference of 1000 Digits, single spectra scattering by 2 Digits; `noisy`: the means
// scatter so too, else they lie exactly on the curve.
ConcentrationSeries Series(std::vector<double> concentrations, double stray = 0, bool noisy = false,
                           double (*slope)(int) = Slope) {
    std::mt19937 random(207);
    std::normal_distribution<double> scatter(0, 2.0 / 4);
    Evidence reference;
    reference.Mean.fill(1000);
    reference.Spread.fill(2);
    reference.Count = 16;
    ConcentrationSeries series;
    for (double c : concentrations) {
        SeriesRow row;
        row.Concentration = c;
        row.Spectrum = RowSpectrum{reference, std::nullopt, reference};
        for (int channel = 0; channel < ChannelCount; ++channel)
            row.Spectrum->Sample.Mean[channel] =
                1000 * (std::pow(10.0, -slope(channel) * c) + stray) / (1 + stray) +
                (noisy ? scatter(random) : 0);
        series.Rows.push_back(row);
    }
    return series;
}

// Standards up to A 1.1 at the centre, as a teacher makes them for a dye of 0.0125 L/mg.
const std::vector<double> UpToOnePointOne{18, 36, 54, 72, 88};

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
         "Vorschlag: 519\u2013524 nm, Steigung 0,0122 L/mg, R\u00b2 1,000"},
        {"with intercept", withIntercept, std::make_pair(64, 66),
         "Vorschlag: 519\u2013524 nm, Steigung 0,0122 L/mg, R\u00b2 1,000"},
        // 140 mg/L takes the centre above A = 1.5: the band moves to the flank where 140·ε·d ≤ 1.5.
        {"highest above 1.5", Series({20, 40, 60, 80, 140}), std::make_pair(60, 61),
         "Vorschlag: 509\u2013511 nm, Steigung 0,0102 L/mg, R\u00b2 1,000"},
        {"highest out by hand", outByHand, std::make_pair(64, 66),
         "Vorschlag: 519\u2013524 nm, Steigung 0,0122 L/mg, R\u00b2 1,000"},
        {"two measured", unmeasured, std::nullopt, "Kein Vorschlag: erst ab drei gemessenen Standards"},
        {"everywhere too dark", Series({400, 800, 1600}), std::nullopt,
         "Kein Vorschlag: nirgends gerade bei A \u2264 1,5"},
        // The widening ends two channels out, though the slope holds on.
        {"plateau", Series({20, 40, 60, 80, 100}, 0, false, FlatSlope), std::make_pair(55, 57),
         "Vorschlag: 496\u2013501 nm, Steigung 0,0125 L/mg, R\u00b2 1,000"},
        // R² stays above 0.999 everywhere; the bend is seen down the flank to where A stays near 0.3.
        {"1 % stray light", Series(UpToOnePointOne, 0.01), std::make_pair(47, 47),
         "Vorschlag: 477 nm, Steigung 0,00345 L/mg, R\u00b2 1,0000"},
        {"1 % stray light, noise", Series(UpToOnePointOne, 0.01, true), std::make_pair(47, 47),
         "Vorschlag: 477 nm, Steigung 0,00345 L/mg, R\u00b2 1,0000"},
    };
    for (const Case& test : cases) {
        const LinearityMap map = MapLinearity(test.series);
        EXPECT_EQ(map.Proposal.Channels, test.band) << test.what;
        EXPECT_EQ(map.Proposal.Text, test.text) << test.what;
    }
}

TEST(LinearityMapTest, StrayLightBendsTheCentreOutOfTheProposal) {
    const LinearityMap map = MapLinearity(Series(UpToOnePointOne, 0.01));
    // At the centre 88 mg/L read A = 1.05 instead of 1.10, and R² still passes 0.999: the bend does not.
    EXPECT_FALSE(map.Channels[65].Linear());
    EXPECT_GT(map.Channels[65].Line->RSquared, 0.999);
    EXPECT_LT(map.Channels[65].Bend->Curvature, 0);
    EXPECT_NEAR(map.Channels[65].HighestA, -std::log10((std::pow(10, -1.1) + 0.01) / 1.01), 0.005);
    ASSERT_TRUE(map.Proposal.Channels);
    const auto [first, last] = *map.Proposal.Channels;
    for (int channel = first; channel <= last; ++channel)
        EXPECT_TRUE(map.Channels[channel].Linear()) << channel;
    EXPECT_TRUE(last < 65 || first > 65);
    // Far from the band the few standards' line is flat but exact; below three standards there is none.
    EXPECT_NEAR(map.Channels[10].Line->Slope, 0.001, 5e-5);
    EXPECT_FALSE(MapLinearity(Series({20, 40})).Channels[65].Line);
    // A standard whose light is not resolved at the centre is a bound there: out of the line, but
    // still the highest standard's A.
    const MapChannel centre = MapLinearity(Series({20, 40, 60, 400})).Channels[65];
    EXPECT_EQ(centre.Line->Count, 3);
    EXPECT_GT(centre.HighestA, HighestTrustedAbsorbance);
}

} // namespace
