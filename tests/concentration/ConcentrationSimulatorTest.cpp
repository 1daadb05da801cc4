// SPDX-License-Identifier: GPL-3.0-or-later
// A concentration series measured on the simulated instrument, as the main window measures: a white
// lamp, dark and reference spectra captured, 16 spectra averaged, each standard's and the sample's
// cuvette in turn. The simulator's concentrations and ε·d are the known answers.
#include "concentration/LinearityMap.h"

#include "kx207-sim/Concentration.h"
#include "kx207-sim/LampSpectrum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int Exposure = 50;

class SimulatedSeries {
public:
    // A white lamp whose single readings scatter by `flicker` of their light, `brightness` times as
    // bright as it starts, `averaging` spectra a row.
    SimulatedSeries(double strayLight, double flicker, double brightness = 1, int averaging = 16)
        : strayLight_(strayLight), flicker_(flicker), brightness_(brightness), averaging_(averaging) {
        measurement_.SetDarkSubtraction(true);
        measurement_.SetAveraging(averaging);
        Capture(MeasurementModes::Capture::Dark, true, std::nullopt);
        Capture(MeasurementModes::Capture::Reference, false, DyeCuvette{0, strayLight_});
    }

    void AddStandard(double concentration) { Add(RowKind::Standard, concentration, concentration); }
    // A sample of `concentration` measured diluted `dilution` times.
    void AddSample(double concentration, double dilution) {
        Add(RowKind::Sample, concentration / dilution, 0);
        series_.Rows.back().Dilution = dilution;
    }
    ConcentrationSeries& Series() { return series_; }
    // Channels of the rows where the main window, evaluating the same spectrum, shows otherwise.
    int Differing() const { return differing_; }

private:
    ChannelReadings Spectrum(bool blocked, std::optional<DyeCuvette> cuvette) {
        Scene scene{Lamp::White, Filter::None, blocked, 0, flicker_, brightness_, {}};
        if (cuvette) scene.cuvette = CuvetteTransmission(*cuvette);
        const Readings readings = SceneReadings(scene, Exposure, random_);
        ChannelReadings copy;
        std::copy(readings.begin(), readings.end(), copy.begin());
        return copy;
    }
    void Capture(MeasurementModes::Capture what, bool blocked, std::optional<DyeCuvette> cuvette) {
        measurement_.StartCapture(what);
        for (int i = 0; i < MeasurementModes::CaptureCount; ++i)
            measurement_.Process(Spectrum(blocked, cuvette), Exposure, calibration_);
    }
    void Add(RowKind kind, double inCuvette, double named) {
        for (int i = 0; i < averaging_; ++i)
            measurement_.Process(Spectrum(false, DyeCuvette{inCuvette, strayLight_}), Exposure, calibration_);
        SeriesRow row;
        row.Kind = kind;
        row.Concentration = named;
        row.Spectrum = MeasuredRow(measurement_, Exposure);
        series_.Rows.push_back(row);
        // The main window's evaluation of the same spectrum.
        measurement_.Evaluate();
        const Evaluation shown = measurement_.Result(), kept = RowEvaluation(*row.Spectrum);
        for (int c = 0; c < ChannelCount; ++c)
            differing_ += shown.Channels[c].Kind != kept.Channels[c].Kind ||
                          shown.Channels[c].Why != kept.Channels[c].Why ||
                          shown.Channels[c].Absorbance != kept.Channels[c].Absorbance ||
                          shown.Channels[c].AbsorbanceU != kept.Channels[c].AbsorbanceU;
    }

    double strayLight_;
    double flicker_;
    double brightness_;
    int averaging_;
    std::mt19937 random_{207};
    EvaluatedMeasurement measurement_;
    int differing_ = 0;
    WavelengthCalibration calibration_;
    ConcentrationSeries series_;
};

TEST(ConcentrationSimulatorTest, FiveStandardsAndAnUnknownOfTheDye) {
    SimulatedSeries simulated(0, 0.02);
    for (double c : {20, 40, 60, 80, 100})
        simulated.AddStandard(c);
    simulated.AddSample(94, 2); // 47 mg/L in the cuvette
    ConcentrationSeries& series = simulated.Series();
    const LinearityMap map = MapLinearity(series);
    ASSERT_TRUE(map.Proposal.Channels) << map.Proposal.Text;
    // The band lies at the dye's strongest absorption, 0.0125 L/mg near 524 nm.
    EXPECT_LE(map.Proposal.FromNm, 524);
    EXPECT_GE(map.Proposal.ToNm, 524);
    EXPECT_NEAR(map.Proposal.Line->Slope, 0.0125, 0.0125 * 0.02);
    series.Band.FromNm = map.Proposal.FromNm;
    series.Band.ToNm = map.Proposal.ToNm;
    const CalibrationResult result = EvaluateSeries(series);
    ASSERT_TRUE(result.Samples[0].Concentration) << result.Samples[0].Note;
    EXPECT_NEAR(*result.Samples[0].Concentration, 94, 94 * 0.02);
    EXPECT_LT(result.Samples[0].Uncertainty, 94 * 0.02);
    RecordProperty("unknown", std::to_string(*result.Samples[0].Concentration));
    RecordProperty("proposal", map.Proposal.Text);
}

// The simulator's own bend, free of noise: how far the highest standard's A falls short of the
// lowest one's, scaled to its concentration, at `channel`.
double SimulatedBend(int channel, double lowest, double highest, double stray) {
    const double slope = DyeSlope()[channel];
    return 1 - MeasuredAbsorbance(slope * highest, stray) / MeasuredAbsorbance(slope * lowest, stray) *
                   lowest / highest;
}

TEST(ConcentrationSimulatorTest, StrayLightMarksTheHighestStandardAndMovesTheBand) {
    struct Case {
        std::vector<double> standards;
        double unknown, dilution;
        double within; // the unknown's error, as a share
        double sigmas; // and in its stated uncertainties
    };
    // Standards up to A 1.1 at the band's centre, then up to A 1.9 there; 1 % stray light in both. On
    // the flank the second still bends by 1.3 % at its highest standard, within its noise there.
    const Case cases[] = {{{18, 36, 54, 72, 88}, 120, 4, 0.01, 2}, {{10, 25, 50, 75, 150}, 40, 1, 0.03, 4}};
    for (const Case& test : cases) {
        const double stray = 0.01, highest = test.standards.back();
        // The simulator's lamp as it starts: single readings scatter by 0.5 % of their light.
        SimulatedSeries simulated(stray, 0.005);
        for (double c : test.standards)
            simulated.AddStandard(c);
        simulated.AddSample(test.unknown, test.dilution);
        ConcentrationSeries& series = simulated.Series();
        // At the band's centre the bend is seen; a highest standard above A 1.5 is marked and left out.
        series.Band = {522, 526, true};
        const CalibrationResult atCentre = EvaluateSeries(series);
        EXPECT_EQ(atCentre.Standards[4].Reason,
                  highest * 0.0125 > HighestTrustedAbsorbance ? Exclusion::AboveLimit : Exclusion::None);
        const LinearityMap map = MapLinearity(series);
        EXPECT_FALSE(map.Channels[66].Linear()) << highest;
        ASSERT_TRUE(map.Proposal.Channels) << map.Proposal.Text;
        // Where the proposal lies, the simulator's absorbances bend less than at the centre.
        for (int channel = map.Proposal.Channels->first; channel <= map.Proposal.Channels->second; ++channel)
            EXPECT_LT(SimulatedBend(channel, test.standards[0], highest, stray), 0.02) << channel;
        EXPECT_GT(SimulatedBend(66, test.standards[0], 88, stray), 0.03);
        EXPECT_TRUE(map.Proposal.ToNm < 524 || map.Proposal.FromNm > 524) << map.Proposal.Text;
        series.Band.FromNm = map.Proposal.FromNm;
        series.Band.ToNm = map.Proposal.ToNm;
        const CalibrationResult result = EvaluateSeries(series);
        ASSERT_TRUE(result.Samples[0].Concentration) << result.Samples[0].Note;
        const double found = *result.Samples[0].Concentration;
        RecordProperty("unknown" + std::to_string(int(highest)),
                       std::to_string(found) + " \u00b1 " + std::to_string(result.Samples[0].Uncertainty) +
                           ", " + map.Proposal.Text);
        EXPECT_NEAR(found, test.unknown, test.unknown * test.within);
        EXPECT_NEAR(found, test.unknown, test.sigmas * result.Samples[0].Uncertainty);
    }
}

TEST(ConcentrationSimulatorTest, AWeakLampGivesBoundsWhereItsLightIsNotResolved) {
    // A lamp a quarter as bright, no averaging: 80 Digits above the dark at the band's centre, and the
    // highest standard (true A 1.64 there) lets 2 Digits of that through.
    SimulatedSeries simulated(0, 0.005, 0.25, 1);
    const std::vector<double> standards{20, 60, 100, 131};
    for (double c : standards)
        simulated.AddStandard(c);
    const std::array<double, 128> slope = DyeSlope();
    int values = 0, bounds = 0, gaps = 0, within = 0;
    for (size_t row = 0; row < standards.size(); ++row) {
        const Evaluation evaluation = RowEvaluation(*simulated.Series().Rows[row].Spectrum);
        for (int channel = 0; channel < ChannelCount; ++channel) {
            const ChannelResult& result = evaluation.Channels[channel];
            const double truth = slope[channel] * standards[row];
            values += result.Kind == Outcome::Value;
            bounds += result.Kind == Outcome::Bound;
            gaps += result.Kind == Outcome::Gap;
            // A value lies near the truth by its uncertainty; a bound lies below it.
            if (result.Kind == Outcome::Value)
                within += std::fabs(result.Absorbance - truth) <= 2 * result.AbsorbanceU;
            if (result.Kind == Outcome::Bound)
                EXPECT_LT(result.Absorbance, truth + 0.05) << row << " " << channel;
        }
    }
    RecordProperty("weak lamp", std::to_string(values) + " values, " + std::to_string(within) +
                                    " within 2 u, " + std::to_string(bounds) + " bounds, " +
                                    std::to_string(gaps) + " gaps");
    EXPECT_GE(within, 0.95 * values);
    EXPECT_EQ(simulated.Differing(), 0);
    ConcentrationSeries& series = simulated.Series();
    series.Band = {524, 524, true};
    const CalibrationResult result = EvaluateSeries(series);
    EXPECT_FALSE(result.Standards[3].A.Value) << AbsorbanceText(result.Standards[3].A);
    ASSERT_TRUE(result.Standards[3].A.AtLeast);
    EXPECT_EQ(ExclusionText(result.Standards[3].Reason, result.Standards[3].A.Why),
              "Licht der Probe nicht aufgel\u00f6st");
    RecordProperty("weak lamp, highest standard", AbsorbanceText(result.Standards[3].A));
}

} // namespace
