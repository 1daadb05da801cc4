// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/Evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace {

constexpr double DarkLevel = 12;

// A scene as the sensor sees it: light in Digits above the dark per channel, the lamp's flicker as a
// share of the signal, and noise of 2 Digits besides.
struct Light {
    std::function<double(int)> Digits;
    double Flicker = 0.005;
};

// The evidence of `count` spectra of `light` (none: a dark), read as the sensor reads: whole Digits
// from 0 to full scale.
Evidence Measure(const Light& light, int count, std::mt19937& random, bool darkSubtracted = false,
                 int32_t exposure = 40) {
    SpectrumMean mean(count);
    for (int i = 0; i < count; ++i) {
        ChannelReadings readings;
        for (int c = 0; c < ChannelCount; ++c) {
            const double signal = DarkLevel + (light.Digits ? light.Digits(c) : 0.0);
            std::normal_distribution<double> noise(0.0, 2.0 + light.Flicker * signal);
            readings[c] = std::clamp(int(std::lround(signal + noise(random))), 0, FullScaleDigits);
        }
        mean.Add(readings, SaturatedChannels(readings));
    }
    Evidence evidence;
    evidence.Mean = mean.Mean();
    evidence.Spread = mean.Spread();
    evidence.Count = count;
    evidence.Saturated = mean.Saturated();
    evidence.Exposure = exposure;
    evidence.DarkSubtracted = darkSubtracted;
    return evidence;
}

// A lamp over the whole axis, brightest in the middle.
std::function<double(int)> Lamp(double peak) {
    return [peak](int c) { return peak * (0.3 + 0.7 * std::exp(-0.5 * std::pow((c - 64) / 30.0, 2))); };
}

// A band of absorbance `a` at its centre, channel 64.
std::function<double(int)> Band(double a) {
    return [a](int c) { return std::pow(10.0, -a * std::exp(-0.5 * std::pow((c - 64) / 8.0, 2))); };
}

struct Case {
    const char* Name;
    double Peak;                      // the reference's light at its brightest, in Digits above dark
    std::function<double(int)> Curve; // the sample's true transmission
    double Flicker;                   // the lamp's noise as a share
    int Averaging;                    // spectra in the sample's mean
    bool Dark;                        // the dark taken off
    int SaturatedIn;                  // a channel saturated in one spectrum of the mean; −1 none
    Outcome AtCentre;                 // what channel 64 comes to
    Reason WhyAtCentre;               // its reason (for a value: what limits it)
    int LeastValues;                  // channels with a value at least
};

} // namespace

// The same evaluation for every kind of spectrum a lesson meets: what channel 64 comes to, how many
// channels keep a value, and that every value lies within its stated uncertainty of the truth.
TEST(Evaluation, GivesEveryChannelAValueABoundOrAGapWithItsCause) {
    const auto clear = [](int) { return 1.0; };
    const Case cases[] = {
        {"clear", 600, clear, 0.005, 1, true, -1, Outcome::Value, Reason::LampNoise, 128},
        {"strong band", 600, Band(1.5), 0.005, 1, true, -1, Outcome::Value, Reason::WeakReference, 128},
        {"beyond resolution", 600, Band(3.5), 0.005, 1, true, -1, Outcome::Bound, Reason::Unresolved, 110},
        {"saturated in one of eight", 600, clear, 0.005, 8, true, 64, Outcome::Gap, Reason::SaturatedSample,
         127},
        {"weak lamp", 8, clear, 0.005, 16, true, -1, Outcome::Value, Reason::WeakReference, 100},
        {"flicker of 1 %", 600, Band(0.5), 0.01, 1, true, -1, Outcome::Value, Reason::LampNoise, 128},
        {"without the dark", 600, Band(0.5), 0.005, 1, false, -1, Outcome::Value, Reason::LampNoise, 128},
        {"kinetics at averaging 1", 320, Band(0.7), 0.005, 1, true, -1, Outcome::Value, Reason::WeakReference,
         128},
        {"kinetics at averaging 16", 320, Band(0.7), 0.005, 16, true, -1, Outcome::Value,
         Reason::WeakReference, 128},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Name);
        std::mt19937 random(207);
        const auto lamp = Lamp(test.Peak);
        const Evidence dark = Measure({}, 8, random);
        const Evidence reference = Measure({lamp, test.Flicker}, 8, random);
        const auto sampleLight = [&](int c) { return lamp(c) * test.Curve(c); };
        Evidence sample = Measure({sampleLight, test.Flicker}, test.Averaging, random, test.Dark);
        if (test.SaturatedIn >= 0) sample.Saturated.set(size_t(test.SaturatedIn));

        const Evaluation result = Evaluate(sample, &dark, &reference);
        EXPECT_EQ(result.Channels[64].Kind, test.AtCentre);
        EXPECT_EQ(result.Channels[64].Why, test.WhyAtCentre);
        int values = 0;
        for (int c = 0; c < ChannelCount; ++c) {
            const ChannelResult& channel = result.Channels[c];
            // Without the dark taken off, T is that of the light and its dark together.
            const double d = test.Dark ? 0.0 : DarkLevel;
            const double truth = 100 * (sampleLight(c) + d) / (lamp(c) + d);
            if (channel.Kind == Outcome::Bound) {
                EXPECT_GE(channel.Transmission, truth) << c;
            }
            if (channel.Kind != Outcome::Value) continue;
            ++values;
            EXPECT_GT(channel.TransmissionU, 0) << c;
            EXPECT_NEAR(channel.Transmission, truth, 4 * channel.TransmissionU) << c;
            EXPECT_NEAR(channel.Absorbance, -std::log10(truth / 100), 4 * channel.AbsorbanceU) << c;
        }
        EXPECT_GE(values, test.LeastValues);
    }
}

// The uncertainty follows the counts: sixteen spectra of a sample leave a quarter of one's noise in
// its term, and a reference of 320 Digits keeps about 1 % T at averaging 1.
TEST(Evaluation, PropagatesTheNoiseThroughTheThreeMeansAndTheirCounts) {
    std::mt19937 random(1);
    const auto lamp = [](int) { return 320.0; };
    const Evidence dark = Measure({}, 8, random);
    const Evidence reference = Measure({lamp}, 8, random);
    const Evidence one = Measure({lamp}, 1, random, true);
    const Evidence sixteen = Measure({lamp}, 16, random, true);
    const Evaluation single = Evaluate(one, &dark, &reference);
    const Evaluation averaged = Evaluate(sixteen, &dark, &reference);
    // σ = 2 + 0.005 · 332 Digits over 320: √(1 + 1/8 + 0·1/8) of 1,14 % T.
    const NoiseModel& noise = single.Noise;
    EXPECT_NEAR(noise.At(332), 3.66, 0.5);
    const double expected = 100 * noise.At(332) * std::sqrt(1 + 1.0 / 8) / 320;
    EXPECT_NEAR(single.Channels[40].TransmissionU, expected, 0.01 * expected);
    const double expected16 = 100 * noise.At(332) * std::sqrt(1.0 / 16 + 1.0 / 8) / 320;
    EXPECT_NEAR(averaged.Channels[40].TransmissionU, expected16, 0.02 * expected16);
    EXPECT_NEAR(single.Channels[40].AbsorbanceU,
                single.Channels[40].TransmissionU / single.Channels[40].Transmission / std::log(10.0), 1e-9);
    EXPECT_NEAR(single.Channels[40].Intensity, 320, 4 * single.Channels[40].IntensityU);
}

// A sample never gains values by being dimmer: where the dim one has a value, the bright one has too.
TEST(Evaluation, ADimmerSampleNeverGainsValues) {
    std::mt19937 random(5);
    const auto lamp = Lamp(120);
    const Evidence dark = Measure({}, 8, random);
    const Evidence reference = Measure({lamp}, 8, random);
    const Evaluation bright = Evaluate(Measure({lamp}, 1, random, true), &dark, &reference);
    const auto dim = [&](int c) { return 0.05 * lamp(c); };
    const Evaluation dimmed = Evaluate(Measure({dim}, 1, random, true), &dark, &reference);
    int dimValues = 0;
    for (int c = 0; c < ChannelCount; ++c) {
        if (dimmed.Channels[c].Kind != Outcome::Value) continue;
        ++dimValues;
        EXPECT_EQ(bright.Channels[c].Kind, Outcome::Value) << c;
    }
    EXPECT_LT(dimValues, ChannelCount);
}

// Each cause has its own gap: what was wrong, not "too little light" for everything.
TEST(Evaluation, NamesTheCauseOfAGap) {
    std::mt19937 random(3);
    const auto lamp = Lamp(500);
    const Evidence dark = Measure({}, 8, random);
    const Evidence reference = Measure({lamp}, 8, random);
    const Evidence sample = Measure({lamp}, 4, random, true);
    const auto at64 = [](const Evaluation& e) { return std::pair{e.Channels[64].Kind, e.Channels[64].Why}; };
    const std::pair gap = {Outcome::Gap, Reason::None};
    const auto gapOf = [&](Reason why) { return std::pair{gap.first, why}; };

    EXPECT_EQ(at64(Evaluate(sample, &dark, nullptr)), gapOf(Reason::NoReference));
    Evidence otherExposure = reference;
    otherExposure.Exposure = 41;
    EXPECT_EQ(at64(Evaluate(sample, &dark, &otherExposure)), gapOf(Reason::NoReference));
    EXPECT_EQ(at64(Evaluate(sample, nullptr, &reference)), gapOf(Reason::NoDark));
    EXPECT_FALSE(Evaluate(sample, nullptr, &reference).Channels[64].IntensityValid);
    Evidence darkElsewhere = dark;
    darkElsewhere.Exposure = 41;
    EXPECT_EQ(at64(Evaluate(sample, &darkElsewhere, &reference)), gapOf(Reason::NoDark));

    Evidence saturated = dark;
    saturated.Saturated.set(64);
    EXPECT_EQ(at64(Evaluate(sample, &saturated, &reference)), gapOf(Reason::SaturatedDark));
    // A dark not taken off can't spoil the sample.
    Evidence raw = sample;
    raw.DarkSubtracted = false;
    EXPECT_EQ(Evaluate(raw, &saturated, &reference).Channels[64].Kind, Outcome::Value);
    saturated = reference;
    saturated.Mean[64] = FullScaleDigits;
    EXPECT_EQ(at64(Evaluate(sample, &dark, &saturated)), gapOf(Reason::SaturatedReference));

    // The lamp made brighter after the reference was taken: too much light, not too little.
    const auto brighter = [&](int c) { return 1.3 * lamp(c); };
    EXPECT_EQ(at64(Evaluate(Measure({brighter}, 4, random, true), &dark, &reference)),
              gapOf(Reason::TooMuchLight));
    // A little above 100 % within the lamp's drift is a value.
    const auto drifted = [&](int c) { return 1.01 * lamp(c); };
    EXPECT_EQ(Evaluate(Measure({drifted}, 4, random, true), &dark, &reference).Channels[64].Kind,
              Outcome::Value);

    // A reference that doesn't rise above its noise, through the sensor's floor or a flickering lamp.
    const Evidence faint = Measure({[](int) { return 1.0; }}, 8, random);
    EXPECT_EQ(at64(Evaluate(Measure({}, 4, random, true), &dark, &faint)), gapOf(Reason::WeakReference));
    Evidence flickering = reference;
    for (double& spread : flickering.Spread)
        spread *= 10;
    flickering.Spread[0] = 0;
    EXPECT_EQ(Evaluate(sample, &dark, &flickering).Noise.Share > 0.04, true);
}

// A reference whose spread is unknown (kept in whole Digits by an older file) has its lamp's noise
// assumed, and says so.
TEST(Evaluation, AssumesTheLampsNoiseWhereTheReferenceHasNoSpread) {
    std::mt19937 random(9);
    const auto lamp = Lamp(500);
    const Evidence dark = Measure({}, 8, random);
    Evidence reference = Measure({lamp}, 8, random);
    const Evaluation fitted = Evaluate(Measure({lamp}, 1, random, true), &dark, &reference);
    EXPECT_FALSE(fitted.NoiseEstimated);
    EXPECT_NEAR(fitted.Noise.Share, 0.005, 0.002);
    EXPECT_NEAR(fitted.Noise.Floor, 2.0, 0.3);
    ChannelReadings whole;
    for (int c = 0; c < ChannelCount; ++c)
        whole[c] = RoundHalfEven(reference.Mean[c]);
    reference = EvidenceOfReadings(whole, 40);
    const Evaluation assumed = Evaluate(Measure({lamp}, 1, random, true), nullptr, &reference);
    EXPECT_TRUE(assumed.NoiseEstimated);
    EXPECT_EQ(assumed.Noise.Share, AssumedLampShare);

    // The line through every channel's spread, each corrected for how short the spread of two spectra
    // falls of their noise (by √(2/π)); never below the converter's own scatter.
    Evidence lamp2;
    lamp2.Count = 2;
    for (int c = 0; c < ChannelCount; ++c) {
        lamp2.Mean[c] = 5.0 * c;
        lamp2.Spread[c] = (3 + 0.01 * lamp2.Mean[c]) * std::sqrt(2 / 3.14159265358979);
    }
    lamp2.Mean[127] = FullScaleDigits; // saturated: out of the fit
    const NoiseModel line = FitNoise(lamp2, nullptr);
    EXPECT_NEAR(line.Floor, 3.0, 1e-6);
    EXPECT_NEAR(line.Share, 0.01, 1e-8);
    for (double& spread : lamp2.Spread)
        spread *= 0.1;
    EXPECT_EQ(FitNoise(lamp2, nullptr).Floor, 2.0);
}

// A band takes the mean of its channels and the uncertainty of that mean; a gap or a bound anywhere in
// it decides the band.
TEST(Evaluation, ReadsABandFromItsChannels) {
    Evaluation evaluation;
    for (int c = 0; c < ChannelCount; ++c) {
        ChannelResult& channel = evaluation.Channels[c];
        channel = {Outcome::Value, Reason::WeakReference, 50.0 + c, 1.0, 0.3, 0.01, 100.0, 2.0, true};
    }
    BandResult band = ValueInBand(evaluation, 10, 13, Quantity::Transmission);
    EXPECT_EQ(band.Kind, Outcome::Value);
    EXPECT_DOUBLE_EQ(band.Value, 61.5);
    EXPECT_DOUBLE_EQ(band.Uncertainty, 0.5);
    EXPECT_EQ(band.Channels, 4);
    EXPECT_DOUBLE_EQ(ValueInBand(evaluation, 10, 13, Quantity::Absorbance).Uncertainty, 0.005);
    EXPECT_DOUBLE_EQ(ValueInBand(evaluation, 10, 13, Quantity::Intensity).Value, 100.0);

    evaluation.Channels[12].Why = Reason::LampNoise;
    EXPECT_EQ(ValueInBand(evaluation, 10, 13, Quantity::Absorbance).Why, Reason::LampNoise);
    evaluation.Channels[11] = {Outcome::Bound, Reason::Unresolved, 0.4, 0, 2.4, 0, 1.0, 2.0, true};
    band = ValueInBand(evaluation, 10, 13, Quantity::Absorbance);
    EXPECT_EQ(band.Kind, Outcome::Bound);
    EXPECT_DOUBLE_EQ(band.Value, (0.3 * 3 + 2.4) / 4);
    EXPECT_EQ(ValueInBand(evaluation, 10, 13, Quantity::Intensity).Kind, Outcome::Value);
    evaluation.Channels[13].Kind = Outcome::Gap;
    evaluation.Channels[13].Why = Reason::SaturatedSample;
    evaluation.Channels[13].IntensityValid = false;
    for (Quantity quantity : {Quantity::Transmission, Quantity::Absorbance, Quantity::Intensity})
        EXPECT_EQ(ValueInBand(evaluation, 10, 13, quantity).Why, Reason::SaturatedSample);
    EXPECT_EQ(ValueInBand(evaluation, 14, 13, Quantity::Absorbance).Why, Reason::OutsideRange);

    // 360 … 675 nm over 127 steps of 2,48 nm: ± 3 nm of 400 nm holds channels 15 and 16.
    const auto around = ChannelsAround(evaluation.Calibration, 400, 3);
    ASSERT_TRUE(around);
    EXPECT_EQ(*around, (std::pair{15, 17}));
    EXPECT_EQ(*ChannelsAround(evaluation.Calibration, 401, 0.5), (std::pair{17, 17})) << "the nearest";
    EXPECT_FALSE(ChannelsAround(evaluation.Calibration, 700, 1));
    EXPECT_EQ(ValueAround(evaluation, 700, 1, Quantity::Absorbance).Why, Reason::OutsideRange);
}

TEST(Evaluation, NamesReasonsAndRemediesInTheProgramsWords) {
    EXPECT_EQ(ReasonText(Reason::LampNoise), "Lampenrauschen");
    EXPECT_EQ(ReasonText(Reason::WeakReference), "Referenz zu schwach");
    EXPECT_EQ(ReasonText(Reason::TooMuchLight), "zu viel Licht");
    EXPECT_EQ(ReasonText(Reason::SaturatedReference), "Referenz übersteuert");
    EXPECT_EQ(ReasonText(Reason::NoReference), "keine Referenz bei dieser Belichtung");
    EXPECT_EQ(ReasonText(Reason::None), "");
    EXPECT_EQ(RemedyText(Reason::LampNoise), "Mittelung erhöhen");
    EXPECT_EQ(RemedyText(Reason::SaturatedSample), "Belichtung verringern");
}
