// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DiagramTexts.h"

#include "spectrum/SpectrumModel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

std::array<QString, 4> RangeLabelTexts(int32_t scaleDivisor) {
    // A peak near the largest level gives a divisor whose full scale no longer fits 32 bits.
    const int64_t full = int64_t(DiagramHeight) * scaleDivisor;
    return {QString::number(full), QString::number(full / 4 * 3), QString::number(full / 2),
            QString::number(full / 4)};
}

QString PositionText(double nanometres) {
    // Five significant digits decide the form: a value that needs a sixth digit before the point
    // has no room in fixed notation and is shown with an exponent instead.
    char scientific[40];
    std::snprintf(scientific, sizeof scientific, "%.4E", nanometres);
    const char* exponentMark = std::strchr(scientific, 'E');
    const int exponent = exponentMark ? std::atoi(exponentMark + 1) : 0;
    if (exponent < 5) {
        char fixed[40];
        std::snprintf(fixed, sizeof fixed, "%.0f", nanometres);
        // A small negative value rounds to a whole 0, which carries no sign.
        const QString text = std::strcmp(fixed, "-0") == 0 ? QStringLiteral("0") : QString::fromLatin1(fixed);
        return text + QStringLiteral("nm");
    }
    std::string mantissa(scientific, static_cast<size_t>(exponentMark - scientific));
    while (mantissa.back() == '0')
        mantissa.pop_back();
    if (mantissa.back() == '.') mantissa.pop_back();
    return QString::fromStdString(mantissa) + QStringLiteral("E") + QString::number(exponent) +
           QStringLiteral("nm");
}
