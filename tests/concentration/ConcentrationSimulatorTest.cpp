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
    explicit SimulatedSeries(double strayLight) : strayLight_(strayLight) {
        measurement_.SetDarkSubtraction(true);
        measurement_.SetAveraging(16);
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

private:
    ChannelReadings Spectrum(bool blocked, std::optional<DyeCuvette> cuvette) {
        Scene scene{Lamp::White, Filter::None, blocked, 0, 0.02, 1, {}};
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
        ChannelReadings shown{};
        for (int i = 0; i < 16; ++i)
            shown = measurement_.Process(Spectrum(false, DyeCuvette{inCuvette, strayLight_}), Exposure,
                                         calibration_);
        SeriesRow row;
        row.Kind = kind;
        row.Concentration = named;
        row.Spectrum = MeasuredRow(measurement_, shown, Exposure);
        series_.Rows.push_back(row);
    }

    double strayLight_;
    std::mt19937 random_{207};
    MeasurementModes measurement_;
    WavelengthCalibration calibration_;
    ConcentrationSeries series_;
};

TEST(ConcentrationSimulatorTest, FiveStandardsAndAnUnknownOfTheDye) {
    SimulatedSeries simulated(0);
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

TEST(ConcentrationSimulatorTest, StrayLightMarksTheHighestStandardAndMovesTheBand) {
    const double stray = 0.01;
    SimulatedSeries simulated(stray);
    for (double c : {10, 25, 50, 75, 150})
        simulated.AddStandard(c);
    simulated.AddSample(40, 1);
    ConcentrationSeries& series = simulated.Series();
    // At the band's centre the highest standard is marked and kept out of the line.
    series.Band = {522, 526, true};
    const CalibrationResult atCentre = EvaluateSeries(series);
    EXPECT_EQ(atCentre.Standards[4].Reason, Exclusion::AboveLimit);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(atCentre.Standards[i].Reason, Exclusion::None) << i;
    const LinearityMap map = MapLinearity(series);
    ASSERT_TRUE(map.Proposal.Channels) << map.Proposal.Text;
    // Where the proposal lies, the simulator's own absorbances, free of noise, stay on a straight line;
    // at the dye's strongest absorption (524 nm) they bend.
    const std::array<double, 128> slope = DyeSlope();
    const auto simulatedRSquared = [&](int channel) {
        std::vector<double> c, a;
        for (double standard : {10, 25, 50, 75, 150}) {
            c.push_back(standard);
            a.push_back(MeasuredAbsorbance(slope[channel] * standard, stray));
        }
        return CalibrationFit(c, a, true)->RSquared;
    };
    for (int channel = map.Proposal.Channels->first; channel <= map.Proposal.Channels->second; ++channel)
        EXPECT_GE(simulatedRSquared(channel), LinearRSquared) << channel;
    EXPECT_LT(simulatedRSquared(66), LinearRSquared);
    EXPECT_TRUE(map.Proposal.ToNm < 524 || map.Proposal.FromNm > 524) << map.Proposal.Text;
    series.Band.FromNm = map.Proposal.FromNm;
    series.Band.ToNm = map.Proposal.ToNm;
    const CalibrationResult result = EvaluateSeries(series);
    ASSERT_TRUE(result.Samples[0].Concentration) << result.Samples[0].Note;
    EXPECT_NEAR(*result.Samples[0].Concentration, 40, 40 * 0.02);
    RecordProperty("unknown", std::to_string(*result.Samples[0].Concentration));
    RecordProperty("proposal", map.Proposal.Text);
}

} // namespace
