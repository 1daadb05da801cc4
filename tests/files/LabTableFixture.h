// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/LabTableFile.h"

#include "CsvSpectrumFileFixture.h"

#include <cmath>
#include <limits>

inline LabTable SampleTable() {
    LabTable table;
    table.Name = QStringLiteral("Hg-Lampe; Übung \"3\"");
    table.Moment = QStringLiteral("07.12.2026 19:30");
    table.Exposure = 40;
    table.Calibration.SetRange(380, 700);
    const Readings readings = SampleReadings();
    std::copy(readings.begin(), readings.end(), table.Readings.begin());
    return table;
}

// Every column a measurement can add, with fractions, a negative value and values that are no numbers.
inline void TakeEveryColumn(LabTable& table) {
    std::array<double, ChannelCount> dark{}, reference{}, transmission{}, extinction{};
    for (int c = 0; c < ChannelCount; ++c) {
        dark[c] = 12.25 + c;
        reference[c] = 500 + c / 4.0;
        transmission[c] = 100.0 * table.Readings[c] / reference[c];
        extinction[c] = -std::log10(transmission[c] / 100);
    }
    transmission[1] = std::numeric_limits<double>::quiet_NaN();
    extinction[0] = std::numeric_limits<double>::infinity();
    extinction[2] = -0.0004;
    table.Dark = dark;
    table.Reference = reference;
    table.TransmissionPercent = transmission;
    table.Extinction = extinction;
}
