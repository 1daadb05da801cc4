// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectralColours.h"

#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Piecewise-linear approximation of the visible spectrum; the differences are whole numbers divided as reals.
SpectralComponents VisibleComponents(int32_t lambda) {
    if (lambda < 380) return {};
    if (lambda <= 439) return {(440 - lambda) / 60.0, 0, 1};
    if (lambda <= 489) return {0, (lambda - 440) / 50.0, 1};
    if (lambda <= 509) return {0, 1, (510 - lambda) / 20.0};
    if (lambda <= 579) return {(lambda - 510) / 70.0, 1, 0};
    if (lambda <= 644) return {1, (645 - lambda) / 65.0, 0};
    if (lambda <= 780) return {1, 0, 0};
    return {};
}

// The eye's sensitivity falls off toward both ends of the visible range.
double IntensityFactor(int32_t lambda) {
    if (lambda >= 380 && lambda <= 419) return (lambda - 380) * 0.7 / 40 + 0.3;
    if (lambda >= 420 && lambda <= 700) return 1;
    if (lambda >= 701 && lambda <= 780) return (780 - lambda) * 0.7 / 80 + 0.3;
    return 0;
}

// Round(255 × base^0.8) for a base above 0, at most 255: the colour byte as it is defined.
int32_t PoweredByte(double base) {
    const int32_t value = RoundHalfEven(255 * std::pow(base, 0.8));
    return value > 255 ? 255 : value;
}

// Positive doubles are ordered as their bit patterns are.
uint64_t Bits(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

double FromBits(uint64_t bits) {
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The colour byte of any base without a power. Every redraw asks for over a thousand colours, more than
// half of them below full brightness, and the three powers of each took a third of a redraw's time.
//
// The byte only grows with the base (the library's power is accurate to about half a unit in its last
// place, far too little to turn it back), so the 255 bases at which it steps up describe it completely. They
// are found once, with PoweredByte itself, which makes every byte here exactly the formula's. To find
// the step below a base quickly, the bases are cut into buckets that share their binary exponent and
// the first 8 bits of their mantissa: a bucket spans at most 1/256 of its start, over which the byte
// moves by at most 255 × 0.8 / 256 < 1. So the byte at a bucket's start and one comparison with the
// next step give the byte of every base in the bucket.
class PowerSteps {
public:
    PowerSteps() {
        for (int32_t byte = 1; byte <= 255; ++byte)
            firstBase_[byte] = FromBits(LowestBitsReaching(byte));
        firstBucket_ = Bits(firstBase_[1]) >> BucketShift;
        const uint64_t lastBucket = Bits(firstBase_[255]) >> BucketShift;
        for (uint64_t bucket = firstBucket_; bucket <= lastBucket; ++bucket)
            bucketStartBytes_.push_back(static_cast<uint8_t>(PoweredByte(FromBits(bucket << BucketShift))));
    }

    int32_t Byte(double base) const {
        // 0, negative and undefined bases fail this comparison too; their byte is 0 as well.
        if (!(base >= firstBase_[1])) return 0;
        if (base >= firstBase_[255]) return 255;
        const int32_t start = bucketStartBytes_[(Bits(base) >> BucketShift) - firstBucket_];
        return base >= firstBase_[start + 1] ? start + 1 : start;
    }

private:
    // Keeps the sign, the exponent and the first 8 of the 52 mantissa bits.
    static constexpr int BucketShift = 52 - 8;

    // Halving over the bit patterns from 0 (byte 0) to 1 (byte 255).
    static uint64_t LowestBitsReaching(int32_t byte) {
        uint64_t below = 0;
        uint64_t reaching = Bits(1.0);
        while (reaching - below > 1) {
            const uint64_t middle = below + (reaching - below) / 2;
            if (PoweredByte(FromBits(middle)) >= byte)
                reaching = middle;
            else
                below = middle;
        }
        return reaching;
    }

    std::array<double, 256> firstBase_{}; // [byte]: the smallest base with at least that byte
    uint64_t firstBucket_ = 0;
    std::vector<uint8_t> bucketStartBytes_;
};

const PowerSteps& Steps() {
    static const PowerSteps steps;
    return steps;
}

constexpr int32_t VisibleFirst = 380;
constexpr int32_t VisibleLast = 780;

RgbBytes AdjustedBytes(const SpectralComponents& c, double factor) {
    const PowerSteps& steps = Steps();
    return {static_cast<uint8_t>(steps.Byte(c.Red * factor)),
            static_cast<uint8_t>(steps.Byte(c.Green * factor)),
            static_cast<uint8_t>(steps.Byte(c.Blue * factor))};
}

// One whole nm of the visible range: its components, and its colour at full brightness, which every
// column of the scale band and of a bar diagram in spectral colours asks for.
struct VisibleEntry {
    SpectralComponents components;
    RgbBytes fullColour;
};
using VisibleTable = std::array<VisibleEntry, VisibleLast - VisibleFirst + 1>;

const VisibleTable& Visible() {
    static const VisibleTable table = [] {
        VisibleTable entries;
        for (int32_t lambda = VisibleFirst; lambda <= VisibleLast; ++lambda) {
            const SpectralComponents c = ComponentsAt(lambda);
            entries[lambda - VisibleFirst] = {c, AdjustedBytes(c, c.Intensity)};
        }
        return entries;
    }();
    return table;
}

} // namespace

SpectralComponents ComponentsAt(int32_t lambda) {
    SpectralComponents components = VisibleComponents(lambda);
    components.Intensity = IntensityFactor(lambda);
    return components;
}

int32_t AdjustComponent(double component, double factor) {
    return Steps().Byte(component * factor);
}

RgbBytes WavelengthToRgb(int32_t lambda, double brightness) {
    if (lambda < VisibleFirst || lambda > VisibleLast) return {};
    const VisibleEntry& entry = Visible()[lambda - VisibleFirst];
    // A brightness that is not below 1 (undefined included) leaves the intensity as it is.
    if (!(brightness < 1)) return entry.fullColour;
    return AdjustedBytes(entry.components, entry.components.Intensity * brightness);
}

TColor PackColor(RgbBytes rgb) {
    return rgb.Red + 256u * rgb.Green + 65536u * rgb.Blue;
}

TColor WavelengthColor(int32_t lambda, double brightness) {
    return PackColor(WavelengthToRgb(lambda, brightness));
}
