// SPDX-License-Identifier: GPL-3.0-or-later
#include "evaluation/Evaluation.h"

#include <algorithm>
#include <cmath>

BandResult ValueInBand(const Evaluation& evaluation, int first, int last, Quantity quantity) {
    BandResult band;
    first = std::max(first, 0);
    last = std::min(last, ChannelCount - 1);
    if (first > last) return {Outcome::Gap, Reason::OutsideRange};
    band.Channels = last - first + 1;
    band.Kind = Outcome::Value;
    double sum = 0, variance = 0;
    bool lampLimited = false;
    for (int c = first; c <= last; ++c) {
        const ChannelResult& channel = evaluation.Channels[c];
        if (quantity == Quantity::Intensity) {
            if (!channel.IntensityValid)
                return {Outcome::Gap, channel.Kind == Outcome::Gap ? channel.Why : Reason::SaturatedSample};
            sum += channel.Intensity;
            variance += channel.IntensityU * channel.IntensityU;
            continue;
        }
        if (channel.Kind == Outcome::Gap) return {Outcome::Gap, channel.Why};
        const bool percent = quantity == Quantity::Transmission;
        if (channel.Kind == Outcome::Bound) band.Kind = Outcome::Bound;
        lampLimited |= channel.Why == Reason::LampNoise;
        const double u = percent ? channel.TransmissionU : channel.AbsorbanceU;
        sum += percent ? channel.Transmission : channel.Absorbance;
        variance += u * u;
    }
    band.Value = sum / band.Channels;
    if (band.Kind == Outcome::Bound) {
        band.Why = Reason::Unresolved;
    } else {
        band.Uncertainty = std::sqrt(variance) / band.Channels;
        if (quantity != Quantity::Intensity)
            band.Why = lampLimited ? Reason::LampNoise : Reason::WeakReference;
    }
    return band;
}

std::optional<std::pair<int, int>> ChannelsAround(const WavelengthCalibration& calibration, double wavelength,
                                                  double halfWidth) {
    const double step = calibration.NmPerChannel;
    if (!(step > 0)) return std::nullopt;
    int first = ChannelCount, last = -1;
    for (int c = 0; c < ChannelCount; ++c)
        if (std::fabs(calibration.LambdaMin + c * step - wavelength) <= halfWidth) {
            first = std::min(first, c);
            last = c;
        }
    if (last >= 0) return std::pair{first, last};
    const double nearest = std::nearbyint((wavelength - calibration.LambdaMin) / step);
    if (!(nearest >= 0 && nearest < ChannelCount)) return std::nullopt;
    return std::pair{int(nearest), int(nearest)};
}

BandResult ValueAround(const Evaluation& evaluation, double wavelength, double halfWidth, Quantity quantity) {
    const auto channels = ChannelsAround(evaluation.Calibration, wavelength, halfWidth);
    if (!channels) return {Outcome::Gap, Reason::OutsideRange};
    return ValueInBand(evaluation, channels->first, channels->second, quantity);
}
