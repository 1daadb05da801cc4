#include "spectrum/SpectralColours.h"

#include <cmath>

namespace {

struct Components {
    double Red = 0;
    double Green = 0;
    double Blue = 0;
};

// Piecewise-linear approximation of the visible spectrum; the differences are whole numbers divided as reals.
Components VisibleComponents(int32_t lambda) {
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

} // namespace

int32_t AdjustComponent(double component, double factor) {
    if (component == 0) return 0;
    const double base = component * factor;
    // A negative or undefined base has no real power; it can only come from a brightness below 0.
    if (!(base > 0)) return 0;
    const int32_t value = RoundHalfEven(255 * std::pow(base, 0.8));
    return value > 255 ? 255 : value;
}

RgbBytes WavelengthToRgb(int32_t lambda, double brightness) {
    const Components c = VisibleComponents(lambda);
    double factor = IntensityFactor(lambda);
    if (brightness < 1) factor *= brightness;
    return {static_cast<uint8_t>(AdjustComponent(c.Red, factor)),
            static_cast<uint8_t>(AdjustComponent(c.Green, factor)),
            static_cast<uint8_t>(AdjustComponent(c.Blue, factor))};
}

TColor PackColor(RgbBytes rgb) {
    return rgb.Red + 256u * rgb.Green + 65536u * rgb.Blue;
}

TColor WavelengthColor(int32_t lambda, double brightness) {
    return PackColor(WavelengthToRgb(lambda, brightness));
}
