// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumMean.h"
#include "spectrum/SpectrumModel.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

// One value per channel; channels without a value (a reference too weak to divide by) hold none.
using ChannelValues = std::array<std::optional<double>, ChannelCount>;

// What the diagrams show of the measured readings.
enum class MeasurementView { Intensity, Transmission, Absorbance };

// A dark or reference spectrum: the mean of several measured ones at one exposure.
struct StoredSpectrum {
    ChannelReadings Readings{}; // the mean in whole Digits, as kept in the settings and exported
    int32_t Exposure = 0;
    ChannelMeans Mean{};   // the mean unrounded; the whole Readings for one read from the settings
    ChannelMeans Spread{}; // the standard deviation of one measured spectrum; 0 where unknown
    int Count = 0;         // spectra in the mean; 0 for one read from the settings
    std::chrono::system_clock::time_point Taken{}; // when the capture ended; the epoch when unknown
};

// What the shown spectrum was measured under; views and exports follow these, not the current controls.
struct SpectrumConditions {
    bool Measured = false;       // false: nothing measured yet, or a spectrum opened from a file
    int32_t Exposure = 0;        // its exposure
    bool DarkSubtracted = false; // whether the dark spectrum was subtracted from it
    int Averaging = 1;           // the averaging chosen
    int Averaged = 0;            // spectra in its mean so far (Averaging once the mean is full)
};

// The capture state of the absorption measurements on top of the plain readings: a dark spectrum
// subtracted from every reading, the mean of the last N spectra, the reference spectrum and the view
// chosen; evaluation/ turns them into transmission and absorbance. Plain arithmetic, free of windows. With
// every function off, the state after construction, Process hands the measured readings back unchanged and no
// view differs from the intensity.
class MeasurementModes {
public:
    // Spectra averaged into a dark or a reference spectrum.
    static constexpr int CaptureCount = 8;
    // The choices of averaging; 1 is none.
    static constexpr std::array<int, 5> AveragingChoices{1, 2, 4, 8, 16};

    enum class Capture { None, Dark, Reference };

    // Takes one measured spectrum at `exposure`: feeds a running capture, then returns the readings to
    // show in whole Digits: less the dark spectrum while that is subtracted and valid at `exposure`,
    // averaged over the last Averaging() spectra, rounded half to even and never below 0. The mean
    // starts afresh when the exposure, the dark spectrum in force, `calibration` or the sample changes.
    ChannelReadings Process(const ChannelReadings& measured, int32_t exposure,
                            const WavelengthCalibration& calibration);
    // The single spectrum Process last took, after dark subtraction (never below 0) but before averaging.
    const ChannelReadings& LastSingle() const { return single_; }
    // The shown spectrum as Process last worked it out: unrounded, not clipped at 0.
    const ChannelMeans& ShownMean() const { return shownMean_; }
    // The spread of a single spectrum of the shown mean; 0 with fewer than two.
    ChannelMeans ShownSpread() const { return mean_.Spread(); }
    // Channels saturated in any measured spectrum of the shown mean, or in the dark taken off it.
    const ChannelFlags& ShownSaturated() const { return shownSaturated_; }
    // The wavelength calibration the shown spectrum was measured with.
    const WavelengthCalibration& ShownCalibration() const { return calibration_; }
    // What the shown spectrum was measured under.
    const SpectrumConditions& Conditions() const { return conditions_; }
    // The shown spectrum now comes from a file: it carries no exposure and gets no transmission.
    void HoldFileSpectrum();

    // Starts taking the mean of the next CaptureCount measured spectra as the dark spectrum (light
    // blocked) or as the reference spectrum (light through the blank); a change of exposure on the way
    // starts the count again. A capture with a saturated channel stores nothing: Refusal() says why.
    void StartCapture(Capture what);
    Capture Capturing() const { return capture_; }
    int CapturedCount() const { return captured_.Count(); }
    // What the last finished capture took in this run.
    Capture LastTaken() const { return lastTaken_; }
    // Why the last capture stored nothing, e.g. "Referenzspektrum übersteuert bei 440–460 nm –
    // Belichtung verringern und neu aufnehmen"; empty when it was stored.
    const std::string& Refusal() const { return refusal_; }

    // The dark spectrum, as measured (nothing subtracted), and whether it is subtracted.
    const std::optional<StoredSpectrum>& Dark() const { return dark_; }
    // Takes a dark spectrum kept in the settings; without a Count its unrounded mean is its whole
    // Readings and its spread unknown.
    void SetDark(const StoredSpectrum& dark);
    bool DarkSubtraction() const { return darkSubtraction_; }
    void SetDarkSubtraction(bool on) { darkSubtraction_ = on; }
    // Whether the dark spectrum is subtracted from readings taken at `exposure`: it belongs to its own.
    bool DarkInForce(int32_t exposure) const;

    int Averaging() const { return averaging_; }
    // One of AveragingChoices; the mean starts afresh.
    void SetAveraging(int count);

    // The reference spectrum, as measured (nothing subtracted).
    const std::optional<StoredSpectrum>& Reference() const { return reference_; }
    // Whether readings taken at `exposure` have a reference to be divided by: it belongs to its own.
    bool ReferenceInForce(int32_t exposure) const { return reference_ && reference_->Exposure == exposure; }
    // Forgets the reference; the exposure is free again.
    void DiscardReference();
    // Whether the exposure must stay as it is: from a capture's request until the reference is discarded.
    bool ExposureFixed() const { return exposureFixed_; }

    MeasurementView View() const { return view_; }
    void SetView(MeasurementView view) { view_ = view; }

    // Whether any of the measurement functions is in use; with none the diagrams draw as without them.
    bool InUse() const;
    // Where the shown spectrum is saturated, e.g. "übersteuert bei 440–460 nm"; empty when nowhere.
    std::string SaturationText() const;

private:
    void FeedCapture(const ChannelReadings& measured, int32_t exposure,
                     const WavelengthCalibration& calibration);
    bool SampleChanged(const ChannelReadings& values) const;

    std::optional<StoredSpectrum> dark_;
    std::optional<StoredSpectrum> reference_;
    bool darkSubtraction_ = false;
    int averaging_ = 1;
    MeasurementView view_ = MeasurementView::Intensity;
    bool exposureFixed_ = false;

    Capture capture_ = Capture::None;
    Capture lastTaken_ = Capture::None; // what the last finished capture took in this run
    SpectrumMean captured_{CaptureCount};
    int32_t captureExposure_ = 0;
    std::string refusal_;

    // The last Averaging() single spectra and what they were measured under.
    SpectrumMean mean_;
    int32_t meanExposure_ = -1;
    bool meanDark_ = false;
    std::chrono::system_clock::time_point meanDarkTaken_{};
    int32_t meanLambdaMin_ = 0;
    int32_t meanLambdaMax_ = 0;
    WavelengthCalibration calibration_;
    ChannelReadings single_{};
    ChannelMeans shownMean_{};
    ChannelFlags shownSaturated_;
    SpectrumConditions conditions_;
};

// The dark spectrum as stored in the settings: 128 whole numbers separated by commas; Parse gives
// nothing for a text that is not exactly that.
std::string FormatStoredReadings(const ChannelReadings& readings);
std::optional<ChannelReadings> ParseStoredReadings(const std::string& text);
// An unrounded mean or spread as stored in the settings: 128 decimals with a point, separated by
// commas; Parse gives nothing for a text that is not exactly that or holds a value outside 0 … 65280.
std::string FormatStoredMeans(const ChannelMeans& means);
std::optional<ChannelMeans> ParseStoredMeans(const std::string& text);
