// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "evaluation/Evaluation.h"
#include "evaluation/MeasurementView.h"
#include "spectrum/MeasurementModes.h"

#include <cstdint>
#include <string>

// A dark or reference spectrum as the measurement functions keep it, as evidence.
Evidence EvidenceOf(const StoredSpectrum& stored);
// The spectrum the measurement functions show, as evidence: the mean as measured, with the dark in
// force to be taken off.
Evidence ShownEvidence(const MeasurementModes& measurement);

// The uncertainty beyond which the main window's views leave a channel out: 5 % T, or 0,1 in A.
constexpr double ViewLimitPercent = 5.0;
constexpr double ViewLimitAbsorbance = 0.1;

// The measurement functions with the evaluation of what they show: transmission and absorbance with
// their uncertainties per channel, the current view's values laid onto the diagram, and what the
// status line and the diagram say about them.
class EvaluatedMeasurement : public MeasurementModes {
public:
    void SetView(MeasurementView view);

    // Recomputes the per-channel values below for the shown spectrum under the conditions it was
    // measured with. Call before reading any of them.
    void Evaluate();
    const Evaluation& Result() const { return result_; }
    // T in % per channel: a value or a bound (see Verdicts); none for a gap.
    const ChannelValues& Transmission() const { return transmission_; }
    const ChannelValues& TransmissionUncertainty() const { return transmissionU_; }
    // A = −log10 T per channel; a lower bound where T is an upper one.
    const ChannelValues& Absorbance() const { return absorbance_; }
    const ChannelValues& AbsorbanceUncertainty() const { return absorbanceU_; }
    // Per channel: a value, a bound, or why there is none.
    const ChannelVerdicts& Verdicts() const { return verdicts_; }
    // R − D per channel (never below 0), as the division used it; no value without a valid reference.
    const ChannelValues& ReferenceLessDark() const { return referenceLessDark_; }
    // The values of the current view and their uncertainties; nullptr for the intensity.
    const ChannelValues* ViewValues() const;
    const ChannelValues* ViewUncertainties() const;
    // The current view's values laid onto the diagram, its scale kept from frame to frame; channels
    // whose uncertainty exceeds the view's limit are left out.
    const ViewLevels& Levels() const { return levels_; }

    // One line for the status bar on the state of the measurement functions at `exposure`: a refused
    // capture, a capture's progress, the averaging's fill, why a dark or reference spectrum does not
    // apply, or which one is in use (e.g. "Dunkelspektrum bei Belichtung 35"); empty when there is
    // nothing to say.
    std::string StatusText(int32_t exposure) const;
    // What a transmission or absorbance diagram says inside itself: why it shows no values and the way
    // back (e.g. "Messung → Belichtung 50 wiederherstellen"), the channels it leaves out for their
    // uncertainty, or "ohne Dunkelabzug"; empty otherwise.
    std::string ViewNotice() const;

private:
    void Lay(double previousFullScale);
    // Whether Evaluate left any channel a value or a bound.
    bool AnyChannelWithValue() const;
    // The reason most channels share.
    Reason CommonCause() const;

    Evaluation result_;
    ChannelValues transmission_{};
    ChannelValues transmissionU_{};
    ChannelValues absorbance_{};
    ChannelValues absorbanceU_{};
    ChannelVerdicts verdicts_{};
    ChannelValues referenceLessDark_{};
    ViewLevels levels_;
    int leftOut_ = 0;
};
