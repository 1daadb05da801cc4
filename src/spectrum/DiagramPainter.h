// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/Canvas.h"
#include "spectrum/DiagramGeometry.h"
#include "spectrum/PeakLabels.h"
#include "spectrum/SpectrumModel.h"

#include <QString>
#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <vector>

// The colour of a comparison spectrum's curve, a colour the spectrum itself never has.
constexpr TColor clFuchsia = 0xFF00FF;

// A saved spectrum drawn over the live one: its levels, computed as the live ones are, and the
// wavelengths of its own channels; its name, where it has one, is written in its colour at the top right.
struct ComparisonCurve {
    std::array<int32_t, ChannelCount> Levels{};
    WavelengthCalibration Calibration;
    QString Name;
};

// The comparison curve of saved `readings` under their own `calibration`: their levels as the live
// spectrum's are computed, with the same zero offset and sensitivity correction.
ComparisonCurve MakeComparisonCurve(const std::array<int32_t, ChannelCount>& readings,
                                    const WavelengthCalibration& calibration, int32_t zeroOffset,
                                    bool korrektur);

// The display check boxes of the main window that change the picture.
struct DisplayOptions {
    bool Balkendiagramm = false; // bars instead of a curve
    bool Spektralfarben = false; // curve or bars in the colours of the spectrum
    bool Gitter = false;         // grid with wavelength texts
    bool Min = false;            // mark at the minimum
    bool Max = false;            // mark at the maximum
};

// Everything a diagram shows.
struct DiagramState {
    SpectrumValues Values; // as the last level computation left them
    WavelengthCalibration Calibration;
    DisplayOptions Options;
    TColor CurveColor = clYellow;
    bool LinesShown = false;
    std::vector<int32_t> Lines;        // wavelengths of the spectral-line overlay, in list order
    int32_t ReferenceValue = 0;        // level of the reference line; 0 means none
    std::bitset<ChannelCount> NoValue; // channels without a value, drawn as gaps
    std::optional<std::array<QString, 4>> RangeLabels; // the scale beside the diagram, when not in Digits
    bool PeakLabels = false; // the wavelengths of the highest peaks written above them
    std::optional<ComparisonCurve> Comparison;
    std::bitset<ChannelCount> Saturated; // channels at full scale, marked red along the diagram's top
    bool NoExtremes = false;             // no channel has a value: no marks, "—" for their wavelengths
    QString Notice; // lines written inside the diagram: why it shows no values, and the way back
};

// Texts of the main window's controls that go with a freshly painted diagram.
struct MainDiagramTexts {
    std::array<QString, 4> RangeLabels; // top to bottom
    QString MinPos;                     // wavelength of the minimum, e.g. "516nm"
    QString MaxPos;                     // wavelength of the maximum
    std::vector<PlacedPeakLabel> PeakLabels;
};

// Texts of the large window's controls that go with a freshly painted diagram.
struct BigDiagramTexts {
    std::array<QString, 4> RangeLabels; // top to bottom, the same values as the main window's
    QString LambdaMin;                  // wavelength of channel 0, e.g. "360nm"
    QString LambdaMax;                  // wavelength of channel 127
    std::vector<PlacedPeakLabel> PeakLabels;
};

// Repaints every pixel of the main diagram (509 × 256), its colour strip (509 × 45) and the miniature
// strip (128 × 25) from `state`. The canvases keep their pens between calls.
MainDiagramTexts DrawMainDiagram(const DiagramState& state, TCanvas& image, TCanvas& spektralImage,
                                 TCanvas& image2);

// Repaints every pixel of the large diagram (1021 × 512) and its colour strip (1021 × 45) from `state`:
// the same picture at twice the size, with two-pixel marks and lines and no miniature strip.
BigDiagramTexts DrawBigDiagram(const DiagramState& state, TCanvas& image, TCanvas& spektralImage);
