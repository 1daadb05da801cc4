// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/MeasurementModes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ChannelReadings Flat(int32_t value) {
    ChannelReadings readings;
    readings.fill(value);
    return readings;
}

const WavelengthCalibration Calibration{};

struct Measured {
    int32_t Value;
    int32_t Exposure;
};

// One way through the arithmetic, watched at channel 0.
struct Case {
    const char* Name;
    std::optional<int32_t> Dark; // flat dark spectrum, taken at exposure 20
    bool Subtract;
    std::optional<int32_t> Reference0; // reference less dark at channel 0; 1000 elsewhere
    int32_t ReferenceExposure;
    int Averaging;
    std::vector<Measured> Spectra;
    int32_t Shown;
    std::optional<double> Transmission;
    std::optional<double> Absorbance;
    int32_t ReferenceElsewhere = 1000; // reference less dark at the other channels
};

const Case Cases[] = {
    {"everything off", 30, false, {}, 20, 1, {{500, 20}}, 500, {}, {}},
    {"dark subtracted", 30, true, {}, 20, 1, {{500, 20}}, 470, {}, {}},
    {"dark above the signal", 600, true, {}, 20, 1, {{500, 20}}, 0, {}, {}},
    {"dark of another exposure pauses", 30, true, {}, 20, 1, {{500, 30}}, 500, {}, {}},
    {"mean of 2.5 rounds to even", {}, false, {}, 20, 2, {{2, 20}, {3, 20}}, 2, {}, {}},
    {"mean of 3.5 rounds to even", {}, false, {}, 20, 2, {{3, 20}, {4, 20}}, 4, {}, {}},
    {"mean keeps the last N", {}, false, {}, 20, 2, {{100, 20}, {7, 20}, {9, 20}}, 8, {}, {}},
    {"mean restarts at a new exposure", {}, false, {}, 20, 4, {{100, 20}, {200, 20}, {300, 30}}, 300, {}, {}},
    {"transmission", {}, false, 1000, 20, 1, {{432, 20}}, 432, 43.2, 0.364516},
    {"transmission after dark", 100, true, 1000, 20, 1, {{532, 20}}, 432, 43.2, 0.364516},
    {"above the reference", {}, false, 1000, 20, 1, {{1100, 20}}, 1100, 110.0, -0.041393},
    {"no light through the sample", {}, false, 1000, 20, 1, {{0, 20}}, 0, 0.0, {}},
    {"zero reference", {}, false, 0, 20, 1, {{432, 20}}, 432, {}, {}},
    {"reference below 5 % of its peak", {}, false, 49, 20, 1, {{10, 20}}, 10, {}, {}},
    {"reference at 5 % of its peak", {}, false, 50, 20, 1, {{10, 20}}, 10, 20.0, 0.69897},
    {"reference of another exposure", {}, false, 1000, 30, 1, {{432, 20}}, 432, {}, {}},
    {"dim reference below its floor", {}, false, 9, 20, 1, {{5, 20}}, 5, {}, {}, 150},
    {"dim reference at its floor", {}, false, 10, 20, 1, {{5, 20}}, 5, 50.0, 0.30103, 150},
};

TEST(MeasurementModesTest, ReadingsTransmissionAndAbsorbanceAtChannelZero) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        MeasurementModes modes;
        if (c.Dark) modes.SetDark({Flat(*c.Dark), 20});
        modes.SetDarkSubtraction(c.Subtract);
        if (c.Reference0) {
            ChannelReadings reference = Flat(c.ReferenceElsewhere);
            reference[0] = *c.Reference0 + (c.Dark ? *c.Dark : 0);
            modes.StartCapture(MeasurementModes::Capture::Reference);
            for (int i = 0; i < MeasurementModes::CaptureCount; ++i)
                modes.Process(reference, c.ReferenceExposure, Calibration);
        }
        modes.SetAveraging(c.Averaging);
        ChannelReadings shown{};
        for (const Measured& spectrum : c.Spectra)
            shown = modes.Process(Flat(spectrum.Value), spectrum.Exposure, Calibration);
        EXPECT_EQ(shown[0], c.Shown);
        modes.Evaluate(shown, c.Spectra.back().Exposure);
        ASSERT_EQ(modes.Transmission()[0].has_value(), c.Transmission.has_value());
        if (c.Transmission) {
            EXPECT_NEAR(*modes.Transmission()[0], *c.Transmission, 1e-9);
        }
        ASSERT_EQ(modes.Absorbance()[0].has_value(), c.Absorbance.has_value());
        if (c.Absorbance) {
            EXPECT_NEAR(*modes.Absorbance()[0], *c.Absorbance, 1e-6);
        }
    }
}

TEST(MeasurementModesTest, CapturesAreMeansOfEightAtOneExposureAndViewsLeaveThemAlone) {
    MeasurementModes modes;
    modes.StartCapture(MeasurementModes::Capture::Dark);
    modes.Process(Flat(999), 10, Calibration); // the exposure changes: the count starts again
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(modes.StatusText(20), "Dunkelspektrum " + std::to_string(i == 0 ? 1 : i) + " von 8");
        modes.SetView(i % 2 ? MeasurementView::Absorbance : MeasurementView::Intensity);
        modes.Process(Flat(i < 4 ? 12 : 13), 20, Calibration); // a mean of 12.5
    }
    modes.SetView(MeasurementView::Intensity);
    ASSERT_TRUE(modes.Dark());
    EXPECT_EQ(modes.Dark()->Readings[64], 12);
    EXPECT_EQ(modes.Dark()->Exposure, 20);
    EXPECT_EQ(modes.Capturing(), MeasurementModes::Capture::None);
    EXPECT_EQ(modes.StatusText(20), "Dunkelspektrum bei Belichtung 20");
    modes.SetDarkSubtraction(true);
    EXPECT_EQ(modes.StatusText(25), "Dunkelabzug nur bei Belichtung 20");
    modes.SetView(MeasurementView::Transmission);
    EXPECT_EQ(modes.StatusText(20), "Kein Referenzspektrum");

    modes.SetView(MeasurementView::Intensity);
    modes.StartCapture(MeasurementModes::Capture::Reference);
    for (int i = 0; i < 8; ++i)
        modes.Process(Flat(500), 20, Calibration);
    EXPECT_EQ(modes.StatusText(20), "Referenzspektrum bei Belichtung 20") << "the newest capture is named";
}

TEST(MeasurementModesTest, TheMeanStartsAfreshAtAnotherCalibrationOrCount) {
    MeasurementModes modes;
    modes.SetAveraging(4);
    WavelengthCalibration calibration = Calibration;
    modes.Process(Flat(100), 20, calibration);
    calibration.LambdaMin += 10;
    EXPECT_EQ(modes.Process(Flat(8), 20, calibration)[0], 8);
    calibration.LambdaMax += 10;
    EXPECT_EQ(modes.Process(Flat(4), 20, calibration)[0], 4);
    modes.SetAveraging(2);
    EXPECT_EQ(modes.Process(Flat(2), 20, calibration)[0], 2);
}

TEST(MeasurementModesTest, ViewsOnTheDiagramAndInTheReadout) {
    ChannelValues values{};
    values[0] = 50.0;
    values[2] = 130.0;
    values[3] = -4.0;
    ViewLevels transmission = LayOnDiagram(values, MeasurementView::Transmission);
    EXPECT_EQ(transmission.FullScale, 140.0) << "the scale grows in steps of 20 % up to the data";
    EXPECT_EQ(transmission.RangeLabels, (std::array<std::string, 4>{"140", "105", "70", "35"}));
    EXPECT_EQ(transmission.Values.Levels[0], 366);
    EXPECT_EQ(transmission.Values.Levels[3], 0) << "a level is never negative";
    EXPECT_TRUE(transmission.NoValue[1]);
    EXPECT_EQ(transmission.NoValue.count(), 125u);
    EXPECT_EQ(transmission.Values.MaxChannel, 2);
    EXPECT_EQ(transmission.Values.MinChannel, 3);

    values[2] = 104.9;
    EXPECT_EQ(LayOnDiagram(values, MeasurementView::Transmission).FullScale, 100.0) << "a blank's noise";
    values = {};
    values[1] = 0.37;
    values[6] = 0.37;
    ViewLevels absorbance = LayOnDiagram(values, MeasurementView::Absorbance);
    EXPECT_EQ(absorbance.RangeLabels, (std::array<std::string, 4>{"2", "1,5", "1", "0,5"}));
    EXPECT_EQ(absorbance.Values.MinChannel, 1) << "the marks skip channels without a value";
    EXPECT_EQ(absorbance.Values.MaxChannel, 1) << "among equal values the lowest channel";
    EXPECT_EQ(ViewReadoutText(values, MeasurementView::Absorbance, Calibration, 4, 4), "362nm => 0,37");
    EXPECT_EQ(ViewReadoutText(values, MeasurementView::Absorbance, Calibration, 0, 4), "360nm => —");
    EXPECT_EQ(ViewValueText(43.25, MeasurementView::Transmission), "43,2 %");
    EXPECT_EQ(ViewValueText(-0.001, MeasurementView::Absorbance), "0,00");

    ChannelReadings dark = Flat(12);
    dark[127] = 65280;
    EXPECT_EQ(ParseStoredReadings(FormatStoredReadings(dark)), dark);
    for (const char* bad : {"", "1,2,3", "12,,13", "x", "-1"})
        EXPECT_FALSE(ParseStoredReadings(bad)) << bad;
    EXPECT_FALSE(ParseStoredReadings(FormatStoredReadings(dark) + ",5"));
}

} // namespace
