// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

// The readings of the 128 channels, in Digits.
using ChannelReadings = std::array<int32_t, ChannelCount>;
// One value per channel; channels without a value (a reference too weak to divide by) hold none.
using ChannelValues = std::array<std::optional<double>, ChannelCount>;

// What the diagrams show of the measured readings.
enum class MeasurementView { Intensity, Transmission, Absorbance };

// A spectrum averaged from several measured ones, with the exposure it was taken at.
struct StoredSpectrum {
    ChannelReadings Readings{};
    int32_t Exposure = 0;
};

// The absorption measurements on top of the plain readings: a dark spectrum subtracted from every
// reading, the mean of the last N spectra, and a reference spectrum that turns the readings into
// transmission and absorbance per channel. Plain arithmetic, free of windows. With every function off,
// the state after construction, Process hands the measured readings back unchanged and no view differs
// from the intensity.
class MeasurementModes {
public:
    // Spectra averaged into a dark or a reference spectrum.
    static constexpr int CaptureCount = 8;
    // The choices of averaging; 1 is none.
    static constexpr std::array<int, 5> AveragingChoices{1, 2, 4, 8, 16};

    enum class Capture { None, Dark, Reference };

    // Takes one measured spectrum at `exposure`: feeds a running capture, then returns the readings to
    // show, less the dark spectrum while that is subtracted and valid at `exposure`, each channel
    // never below 0, and averaged over the last Averaging() spectra (halves rounded to even). The mean
    // starts afresh when the exposure, the dark subtraction in force or `calibration` changes.
    ChannelReadings Process(const ChannelReadings& measured, int32_t exposure,
                            const WavelengthCalibration& calibration);
    // The single spectrum Process last took, after dark subtraction but before averaging.
    const ChannelReadings& LastSingle() const { return single_; }

    // Starts taking the mean of the next CaptureCount measured spectra as the dark spectrum (light
    // blocked) or as the reference spectrum (light through the blank); a change of exposure on the way
    // starts the count again.
    void StartCapture(Capture what);
    Capture Capturing() const { return capture_; }
    int CapturedCount() const { return captured_; }

    // The dark spectrum, as measured (nothing subtracted), and whether it is subtracted.
    const std::optional<StoredSpectrum>& Dark() const { return dark_; }
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

    MeasurementView View() const { return view_; }
    void SetView(MeasurementView view) { view_ = view; }

    // Recomputes the per-channel values below for `shown` (readings as Process returned them, or as a
    // file brought them) at `exposure`. Call before reading Transmission(), Absorbance() or
    // ReferenceLessDark().
    void Evaluate(const ChannelReadings& shown, int32_t exposure);
    // T = (S − D) / (R − D) in %, per channel; no value without a reference valid at the exposure, or
    // where R − D is below 5 % of its largest channel or below 10 Digits.
    const ChannelValues& Transmission() const { return transmission_; }
    // A = −log10 T, per channel; no value where T has none or is not above 0.
    const ChannelValues& Absorbance() const { return absorbance_; }
    // R − D per channel (never below 0), as the division used it; no value without a valid reference.
    const ChannelValues& ReferenceLessDark() const { return referenceLessDark_; }
    // The values of the current view: Transmission() or Absorbance(); nullptr for the intensity.
    const ChannelValues* ViewValues() const;

    // One line for the status bar on the state of the measurement functions at `exposure`: a capture's
    // progress, why a dark or reference spectrum does not apply, or which one is in use (e.g.
    // "Dunkelspektrum bei Belichtung 35"); empty when there is nothing to say.
    std::string StatusText(int32_t exposure) const;

private:
    void ResetMean();
    void FeedCapture(const ChannelReadings& measured, int32_t exposure);

    std::optional<StoredSpectrum> dark_;
    std::optional<StoredSpectrum> reference_;
    bool darkSubtraction_ = false;
    int averaging_ = 1;
    MeasurementView view_ = MeasurementView::Intensity;

    Capture capture_ = Capture::None;
    Capture lastTaken_ = Capture::None; // what the last finished capture took in this run
    int captured_ = 0;
    int32_t captureExposure_ = 0;
    std::array<int64_t, ChannelCount> captureSum_{};

    // The last Averaging() single spectra in a ring, their sum, and what they were measured under.
    std::array<ChannelReadings, 16> ring_{};
    std::array<int64_t, ChannelCount> ringSum_{};
    int ringCount_ = 0;
    int ringNext_ = 0;
    int32_t meanExposure_ = -1;
    bool meanDark_ = false;
    int32_t meanLambdaMin_ = 0;
    int32_t meanLambdaMax_ = 0;
    ChannelReadings single_{};

    ChannelValues transmission_{};
    ChannelValues absorbance_{};
    ChannelValues referenceLessDark_{};
};

// Level units per pixel row of the main diagram while a transmission or absorbance is shown.
constexpr int32_t ViewScaleDivisor = 4;

// A transmission or absorbance curve laid onto a diagram's level scale, as the diagrams draw it.
struct ViewLevels {
    SpectrumValues Values; // Levels (never below 0), extremes over channels with a value, ScaleDivisor
    std::bitset<ChannelCount> NoValue;      // channels drawn as gaps
    std::array<std::string, 4> RangeLabels; // the scale beside the diagram, top to bottom, e.g. "100", "75"
    double FullScale = 0;                   // the value at the diagram's top edge, in the view's unit
};

// Lays `values` of `view` (Transmission in %, 0 … 100 or up to the data; Absorbance, 0 … 2 or up to
// the data) onto the diagram: the same 256 rows as the Digits scale, a channel with no value a gap.
ViewLevels LayOnDiagram(const ChannelValues& values, MeasurementView view);

// A value of `view` as the readout writes it, decimal comma: "43,2 %", "0,37"; "—" for no value.
std::string ViewValueText(const std::optional<double>& value, MeasurementView view);

// The readout at column `x` of a diagram with `columnsPerChannel` columns a channel, in `view`:
// "608nm => 43,2 %", "608nm => 0,37" or "608nm => —".
std::string ViewReadoutText(const ChannelValues& values, MeasurementView view,
                            const WavelengthCalibration& calibration, int x, int columnsPerChannel);

// The dark spectrum as stored in the settings: 128 whole numbers separated by commas; Parse gives
// nothing for a text that is not exactly that.
std::string FormatStoredReadings(const ChannelReadings& readings);
std::optional<ChannelReadings> ParseStoredReadings(const std::string& text);
