// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/EvaluatedMeasurement.h"

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
    ChannelVerdict Verdict = ChannelVerdict::NoReference;
};

using V = ChannelVerdict;
const Case Cases[] = {
    {"everything off", 30, false, {}, 20, 1, {{500, 20}}, 500, {}, {}},
    {"dark subtracted", 30, true, {}, 20, 1, {{500, 20}}, 470, {}, {}},
    {"dark above the signal", 600, true, {}, 20, 1, {{500, 20}}, 0, {}, {}},
    {"dark of another exposure pauses", 30, true, {}, 20, 1, {{500, 30}}, 500, {}, {}},
    {"mean of 2.5 rounds to even", {}, false, {}, 20, 2, {{2, 20}, {3, 20}}, 2, {}, {}},
    {"mean of 3.5 rounds to even", {}, false, {}, 20, 2, {{3, 20}, {4, 20}}, 4, {}, {}},
    {"mean keeps the last N", {}, false, {}, 20, 2, {{100, 20}, {104, 20}, {108, 20}}, 106, {}, {}},
    {"mean restarts at a new exposure", {}, false, {}, 20, 4, {{100, 20}, {104, 20}, {300, 30}}, 300, {}, {}},
    {"new sample restarts the mean", {}, false, {}, 20, 4, {{500, 20}, {500, 20}, {100, 20}}, 100, {}, {}},
    {"averaged before clipped at 0", 30, true, {}, 20, 2, {{26, 20}, {35, 20}}, 0, {}, {}},
    {"transmission", {}, false, 1000, 20, 1, {{432, 20}}, 432, 43.2, 0.364516, V::Value},
    {"transmission after dark", 100, true, 900, 20, 1, {{532, 20}}, 432, 48.0, 0.318759, V::Value},
    {"unrounded mean", {}, false, 1000, 20, 2, {{432, 20}, {433, 20}}, 432, 43.25, 0.364014, V::Value},
    {"above the reference within its noise",
     {},
     false,
     900,
     20,
     1,
     {{920, 20}},
     920,
     920.0 / 9,
     -0.009545,
     V::Value},
    {"above the reference beyond its noise",
     {},
     false,
     900,
     20,
     1,
     {{990, 20}},
     990,
     {},
     {},
     V::TooMuchLight},
    {"no light through the sample is a bound", {}, false, 1000, 20, 1, {{0, 20}}, 0, 0.6, 2.221849, V::Bound},
    {"zero reference", {}, false, 0, 20, 1, {{432, 20}}, 432, {}, {}, V::TooDark},
    {"reference lost in its noise", {}, false, 2, 20, 1, {{2, 20}}, 2, {}, {}, V::TooDark},
    {"weak reference, less precise", {}, false, 30, 20, 1, {{15, 20}}, 15, 50.0, 0.30103, V::Value},
    {"reference of 300 at averaging 1", {}, false, 300, 20, 1, {{150, 20}}, 150, 50.0, 0.30103, V::Value},
    {"saturated sample", {}, false, 1000, 20, 1, {{1023, 20}}, 1023, {}, {}, V::Saturated},
    {"one of two saturated", {}, false, 1000, 20, 2, {{1023, 20}, {1020, 20}}, 1022, {}, {}, V::Saturated},
    {"reference of another exposure", {}, false, 1000, 30, 1, {{432, 20}}, 432, {}, {}},
};

TEST(MeasurementModesTest, ReadingsTransmissionAndAbsorbanceAtChannelZero) {
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.Name);
        EvaluatedMeasurement modes;
        if (c.Dark) modes.SetDark({Flat(*c.Dark), 20});
        modes.SetDarkSubtraction(c.Subtract);
        if (c.Reference0) {
            ChannelReadings reference = Flat(1000);
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
        modes.Evaluate();
        EXPECT_EQ(modes.Verdicts()[0], c.Verdict);
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
    EvaluatedMeasurement modes;
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
    EXPECT_EQ(modes.Dark()->Mean[64], 12.5);
    EXPECT_NEAR(modes.Dark()->Spread[64], 0.534522, 1e-6) << "the scatter of a single spectrum";
    EXPECT_EQ(modes.Dark()->Exposure, 20);
    EXPECT_EQ(modes.Capturing(), MeasurementModes::Capture::None);
    EXPECT_EQ(modes.StatusText(20), "Dunkelspektrum bei Belichtung 20");
    modes.SetDarkSubtraction(true);
    EXPECT_EQ(modes.StatusText(25), "Dunkelabzug nur bei Belichtung 20");
    EXPECT_EQ(modes.Process(Flat(112), 20, Calibration)[0], 100) << "whole Digits on the screen";
    EXPECT_EQ(modes.ShownMean()[0], 99.5) << "less the unrounded dark";
    modes.SetView(MeasurementView::Transmission);
    EXPECT_EQ(modes.StatusText(20), "Kein Referenzspektrum");
    EXPECT_TRUE(modes.ExposureFixed()) << "from the capture's request on";

    modes.SetView(MeasurementView::Intensity);
    modes.StartCapture(MeasurementModes::Capture::Reference);
    for (int i = 0; i < 8; ++i)
        modes.Process(Flat(500), 20, Calibration);
    EXPECT_EQ(modes.StatusText(20), "Referenzspektrum bei Belichtung 20") << "the newest capture is named";
}

TEST(MeasurementModesTest, ANewDarkRestartsTheMean) {
    EvaluatedMeasurement modes;
    modes.SetDark({Flat(12), 20});
    modes.SetDarkSubtraction(true);
    modes.SetAveraging(4);
    modes.StartCapture(MeasurementModes::Capture::Dark);
    for (int i = 0; i < 7; ++i)
        modes.Process(Flat(13), 20, Calibration);
    EXPECT_EQ(modes.Conditions().Averaged, 4);
    modes.Process(Flat(13), 20, Calibration);
    EXPECT_EQ(modes.Conditions().Averaged, 1) << "old and new dark never mix";
    EXPECT_EQ(modes.StatusText(20), "Mittelung 1 von 4");
}

TEST(MeasurementModesTest, SaturatedCapturesAreRefusedAndTheExposureStaysFixed) {
    EvaluatedMeasurement modes;
    ChannelReadings lamp = Flat(500);
    lamp[25] = lamp[26] = lamp[27] = 1023; // about 422–429 nm
    modes.StartCapture(MeasurementModes::Capture::Reference);
    for (int i = 0; i < 8; ++i)
        modes.Process(i == 3 ? lamp : Flat(500), 20, Calibration);
    EXPECT_FALSE(modes.Reference()) << "one saturated spectrum spoils the mean";
    EXPECT_EQ(modes.Refusal(),
              "Referenzspektrum übersteuert bei 422–427 nm – Belichtung verringern und neu aufnehmen");
    EXPECT_EQ(modes.StatusText(20), "Referenzspektrum übersteuert");
    EXPECT_EQ(modes.ViewNotice(),
              "Referenzspektrum übersteuert bei 422–427 nm\nBelichtung verringern und neu aufnehmen");
    EXPECT_FALSE(modes.ExposureFixed()) << "nothing taken: the exposure may be sought anew";

    modes.StartCapture(MeasurementModes::Capture::Dark);
    EXPECT_EQ(modes.Refusal(), "");
    ChannelReadings dark = Flat(12);
    dark[0] = 1023;
    for (int i = 0; i < 8; ++i)
        modes.Process(dark, 20, Calibration);
    EXPECT_FALSE(modes.Dark());
    EXPECT_EQ(modes.Refusal(),
              "Dunkelspektrum übersteuert bei 360 nm – Belichtung verringern und neu aufnehmen");

    modes.StartCapture(MeasurementModes::Capture::Reference);
    for (int i = 0; i < 8; ++i)
        modes.Process(Flat(500), 20, Calibration);
    ASSERT_TRUE(modes.Reference());
    modes.SetView(MeasurementView::Transmission);
    modes.Process(lamp, 20, Calibration);
    modes.Evaluate();
    EXPECT_EQ(modes.SaturationText(), "übersteuert bei 422–427 nm");
    EXPECT_EQ(modes.StatusText(20), "Spektrum übersteuert bei 422–427 nm");
    lamp[40] = 1023;
    modes.Process(lamp, 20, Calibration);
    EXPECT_EQ(modes.SaturationText(), "übersteuert bei 422–459 nm")
        << "one span, short enough for the status";
    EXPECT_EQ(modes.ViewNotice(), "ohne Dunkelabzug");
    EXPECT_EQ(ViewReadoutText(modes.Transmission(), modes.Verdicts(), MeasurementView::Transmission,
                              Calibration, 26 * 4, 4),
              "424nm => übersteuert");
    modes.Process(Flat(500), 21, Calibration);
    modes.Evaluate();
    EXPECT_EQ(modes.ViewNotice(),
              "Gemessen bei Belichtung 21, Referenz bei 20\nMessung → Belichtung 20 wiederherstellen");
    modes.DiscardReference();
    EXPECT_FALSE(modes.ExposureFixed()) << "free once the reference is gone";

    modes.HoldFileSpectrum();
    EXPECT_EQ(modes.SaturationText(), "");
    EXPECT_EQ(modes.StatusText(20), "Spektrum aus Datei: keine Transmission");
}

TEST(MeasurementModesTest, TheMeanStartsAfreshAtAnotherCalibrationOrCount) {
    EvaluatedMeasurement modes;
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
    ChannelVerdicts verdicts{};
    ViewLevels transmission = LayOnDiagram(values, verdicts, MeasurementView::Transmission);
    EXPECT_EQ(transmission.FullScale, 140.0) << "the scale grows in steps of 20 % up to the data";
    EXPECT_EQ(transmission.RangeLabels, (std::array<std::string, 4>{"140", "105", "70", "35"}));
    EXPECT_EQ(transmission.Values.Levels[0], 366);
    EXPECT_EQ(transmission.Values.Levels[3], 0) << "a level is never negative";
    EXPECT_TRUE(transmission.NoValue[1]);
    EXPECT_TRUE(transmission.Bounds.none());
    EXPECT_EQ(transmission.NoValue.count(), 125u);
    EXPECT_EQ(transmission.Values.MaxChannel, 2);
    EXPECT_EQ(transmission.Values.MinChannel, 3);

    EXPECT_TRUE(transmission.AnyValue);
    verdicts[3] = ChannelVerdict::Bound;
    EXPECT_EQ(LayOnDiagram(values, verdicts, MeasurementView::Transmission).Values.MinChannel, 0)
        << "a bound is no extreme";
    EXPECT_EQ(LayOnDiagram(values, verdicts, MeasurementView::Transmission).Bounds, ChannelFlags().set(3))
        << "drawn as a bound";
    values[2] = 135.0;
    EXPECT_EQ(LayOnDiagram(values, verdicts, MeasurementView::Transmission, 160).FullScale, 160.0)
        << "held while the data stay near the top";
    values[2] = 104.9;
    EXPECT_EQ(LayOnDiagram(values, verdicts, MeasurementView::Transmission).FullScale, 100.0)
        << "a blank's noise";
    EXPECT_EQ(LayOnDiagram(values, verdicts, MeasurementView::Transmission, 140).FullScale, 100.0)
        << "shrinks once the data have left the top";
    EXPECT_FALSE(LayOnDiagram(ChannelValues{}, verdicts, MeasurementView::Transmission).AnyValue);
    values = {};
    values[1] = 0.37;
    values[6] = 0.37;
    verdicts = {};
    ViewLevels absorbance = LayOnDiagram(values, verdicts, MeasurementView::Absorbance);
    EXPECT_EQ(absorbance.RangeLabels, (std::array<std::string, 4>{"2", "1,5", "1", "0,5"}));
    EXPECT_EQ(absorbance.Values.MinChannel, 1) << "the marks skip channels without a value";
    EXPECT_EQ(absorbance.Values.MaxChannel, 1) << "among equal values the lowest channel";
    values[6].reset();
    EXPECT_EQ(ViewReadoutText(values, verdicts, MeasurementView::Absorbance, Calibration, 4, 4),
              "362nm => 0,37");
    ChannelValues uncertainties{};
    uncertainties[1] = 0.012;
    EXPECT_EQ(
        ViewReadoutText(values, verdicts, MeasurementView::Absorbance, Calibration, 4, 4, uncertainties),
        "362nm => 0,37 ± 0,01");
    EXPECT_EQ(ViewReadoutText(values, verdicts, MeasurementView::Absorbance, Calibration, 0, 4),
              "360nm => —");
    EXPECT_EQ(ViewValueText(43.25, MeasurementView::Transmission), "43,2 %");
    EXPECT_EQ(ViewValueText(48.6, MeasurementView::Transmission, ChannelVerdict::Value, 0.71),
              "48,6 ± 0,7 %");
    EXPECT_EQ(ViewValueText(0.84, MeasurementView::Transmission, ChannelVerdict::Bound, 0.71), "< 0,8 %")
        << "a bound has no uncertainty";
    EXPECT_EQ(ViewValueText(1.2, MeasurementView::Absorbance, ChannelVerdict::TooMuchLight), "zu viel Licht");
    EXPECT_EQ(ViewValueText({}, MeasurementView::Absorbance, ChannelVerdict::LampNoise), "Lampenrauschen");
    EXPECT_EQ(ViewValueText(-0.001, MeasurementView::Absorbance), "0,00");
    verdicts[1] = ChannelVerdict::Bound;
    EXPECT_EQ(OnlyValues(values, verdicts), ChannelValues{}) << "a bound is no number for a table";
    EXPECT_EQ(ViewValueText(0.84, MeasurementView::Transmission, ChannelVerdict::Bound), "< 0,8 %");
    EXPECT_EQ(ViewValueText(2.1, MeasurementView::Absorbance, ChannelVerdict::Bound), "> 2,10");

    ChannelReadings dark = Flat(12);
    dark[127] = 65280;
    EXPECT_EQ(ParseStoredReadings(FormatStoredReadings(dark)), dark);
    for (const char* bad : {"", "1,2,3", "12,,13", "x", "-1"})
        EXPECT_FALSE(ParseStoredReadings(bad)) << bad;
    EXPECT_FALSE(ParseStoredReadings(FormatStoredReadings(dark) + ",5"));
    ChannelMeans means{};
    means[0] = 12.125;
    means[127] = 65280;
    EXPECT_EQ(ParseStoredMeans(FormatStoredMeans(means)), means);
    EXPECT_EQ(FormatStoredMeans(means).substr(0, 16), "12.1250,0.0000,0");
    for (const std::string& bad :
         {std::string("1.5"), FormatStoredMeans(means) + ",1", "x" + FormatStoredMeans(means),
          FormatStoredMeans(means).replace(0, 7, "-1"), FormatStoredMeans(means) + "e"})
        EXPECT_FALSE(ParseStoredMeans(bad)) << bad;
}

} // namespace
