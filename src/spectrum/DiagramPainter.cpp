// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DiagramPainter.h"

#include "spectrum/DiagramTexts.h"
#include "spectrum/SpectralColours.h"

#include <algorithm>
#include <cmath>

namespace {

// Coordinates are clamped to this distance before they reach the canvas: a point so far outside changes
// no visible pixel of a line toward it, and the canvas arithmetic stays clear of overflow.
constexpr int64_t FarOutside = int64_t(1) << 30;

int Coordinate(int64_t value) {
    return static_cast<int>(std::clamp(value, -FarOutside, FarOutside));
}

int TruncatedCoordinate(double value) {
    if (!(value > -FarOutside)) return static_cast<int>(-FarOutside);
    if (!(value < FarOutside)) return static_cast<int>(FarOutside);
    return static_cast<int>(value);
}

// Round half to even into 64 bits, for heights that twice the largest level can reach.
int64_t RoundedHeight(double value) {
    constexpr double limit = double(int64_t(1) << 53);
    return static_cast<int64_t>(std::clamp(std::nearbyint(value), -limit, limit));
}

void VerticalLine(TCanvas& canvas, int x, int fromY, int toY) {
    canvas.MoveTo(x, fromY);
    canvas.LineTo(x, toY);
}

// A curve or bar that would vanish against the black background is drawn gray.
void AvoidBlackPen(TCanvas& canvas) {
    if (canvas.PenColor() == clBlack) canvas.SetPenColor(clGray);
}

// One repaint of a diagram and its colour strip (and, in the main window, the miniature strip).
class DiagramPass {
public:
    DiagramPass(const DiagramState& state, const DiagramGeometry& geometry, TCanvas& image, TCanvas& strip,
                TCanvas* miniature)
        : state_(state), values_(state.Values), calibration_(state.Calibration), geometry_(geometry),
          image_(image), strip_(strip), miniature_(miniature),
          // The level computation never leaves a divisor below 1; values from elsewhere are held to it.
          divisor_(std::max(state.Values.ScaleDivisor, 1)) {
        const int columns = geometry_.ColumnsPerChannel;
        columnWavelengths_.resize(size_t(ChannelCount) * columns);
        columnColours_.resize(columnWavelengths_.size());
        for (int j = 0; j < ChannelCount; ++j)
            for (int k = 0; k < columns; ++k) {
                const size_t column = size_t(j) * columns + k;
                columnWavelengths_[column] =
                    RoundHalfEven(j * calibration_.NmPerChannel + calibration_.LambdaMin +
                                  k * calibration_.NmPerChannel / columns);
                columnColours_[column] = WavelengthColor(columnWavelengths_[column], 1);
            }
    }

    // Labels written by the last Run.
    std::vector<PlacedPeakLabel> PeakLabels;

    std::array<QString, 4> Run() {
        ClearAndSetPens();
        for (int j = 0; j < ChannelCount; ++j)
            DrawChannel(j);
        if (state_.Options.Gitter) DrawGrid();
        DrawScaleBand();
        if (state_.Comparison) DrawComparison(*state_.Comparison);
        image_.SetPenWidth(geometry_.MarkPenWidth);
        if (state_.Options.Min && !state_.NoExtremes) DrawMark(clGreen, values_.MinChannel);
        if (state_.Options.Max && !state_.NoExtremes) DrawMark(clRed, values_.MaxChannel);
        if (state_.Saturated.any()) DrawSaturation();
        if (state_.LinesShown && calibration_.NmPerChannel > 0) DrawSpectralLines();
        if (state_.ReferenceValue > 0) DrawReferenceLine();
        if (state_.Comparison && !state_.Comparison->Name.isEmpty())
            DrawComparisonName(state_.Comparison->Name);
        if (state_.PeakLabels) DrawPeakLabels();
        if (!state_.Notice.isEmpty()) DrawNotice();
        return state_.RangeLabels ? *state_.RangeLabels : RangeLabelTexts(divisor_);
    }

private:
    // Wavelength of column `k` (0 .. columns per channel − 1) of channel j, and its full-brightness colour.
    int32_t Wavelength(int j, int k) const {
        return columnWavelengths_[size_t(j) * geometry_.ColumnsPerChannel + k];
    }
    TColor FullColour(int j, int k) const {
        return columnColours_[size_t(j) * geometry_.ColumnsPerChannel + k];
    }
    int Column(int j, int k) const { return geometry_.ColumnsPerChannel * j + k; }
    // Height in rows of a bar standing for `level`.
    int64_t LevelHeight(double level) const {
        return RoundedHeight(geometry_.LevelFactor * level) / divisor_;
    }

    void ClearAndSetPens() {
        image_.SetBrushColor(clBlack);
        image_.FillRect(0, 0, geometry_.Width, geometry_.Height);
        image_.SetPenWidth(1);
        image_.SetPenColor(state_.CurveColor);
        image_.SetPenMode(TPenMode::Copy);
        strip_.SetPenMode(TPenMode::Copy);
        if (miniature_) miniature_->SetPenMode(TPenMode::Copy);
    }

    void DrawChannel(int j) {
        const int columns = geometry_.ColumnsPerChannel;
        const int32_t maxReading = values_.MaxReading;
        // A channel without a value is a gap: dark in the strips, no bar, the curve broken.
        const bool gap = state_.NoValue[size_t(j)];
        const bool last = j == ChannelCount - 1 || state_.NoValue[size_t(j) + 1];
        const double level = gap ? 0 : values_.Levels[j];
        const double rise = last ? 0 : double(values_.Levels[j + 1]) - level;

        // Intensity band: the spectrum's brightness, interpolated between neighbouring channels.
        double brightness = maxReading >= 1 ? level / maxReading : 0;
        if (brightness > 1) brightness = 1;
        const double brightnessStep = maxReading >= 1 ? rise / columns / maxReading : 0;
        for (int k = 0; k < columns; ++k) {
            strip_.SetPenColor(WavelengthColor(Wavelength(j, k), brightness + k * brightnessStep));
            VerticalLine(strip_, Column(j, k), 0, geometry_.StripHeight / 2);
        }
        if (miniature_) {
            miniature_->SetPenColor(WavelengthColor(ChannelWavelength(calibration_, j, 3), brightness));
            VerticalLine(*miniature_, j, 0, MiniatureHeight);
        }

        const double levelStep = rise / columns;
        const int height = geometry_.Height;
        if (gap) return;
        if (state_.Options.Balkendiagramm) {
            for (int k = 0; k < columns; ++k) {
                if (state_.Options.Spektralfarben) image_.SetPenColor(FullColour(j, k));
                AvoidBlackPen(image_);
                const int64_t barHeight = LevelHeight(level + k * levelStep);
                VerticalLine(image_, Column(j, k), height, Coordinate(height - 1 - barHeight));
            }
            return;
        }
        if (state_.Options.Spektralfarben) image_.SetPenColor(FullColour(j, 0));
        AvoidBlackPen(image_);
        const int y = Coordinate(height - 1 - int64_t(geometry_.LevelFactor) * values_.Levels[j] / divisor_);
        if (j == 0 || state_.NoValue[size_t(j) - 1])
            image_.MoveTo(Column(j, 0), y);
        else
            image_.LineTo(Column(j, 0), y);
        // Before a gap no segment will end here, so the channel's own point is painted by itself.
        if (j < ChannelCount - 1 && state_.NoValue[size_t(j) + 1]) image_.LineTo(Column(j, 0) + 1, y);
    }

    void DrawGrid() {
        image_.SetPenColor(clGray);
        image_.SetFontColor(clGray);
        image_.SetFontSize(geometry_.GridFontSize);
        // Without a rising wavelength axis there is no place for the wavelength lines.
        if (calibration_.NmPerChannel > 0) DrawWavelengthGrid();
        const int rowStep = geometry_.Height / 4;
        for (int i = 0; i < 4; ++i) {
            image_.MoveTo(0, i * rowStep);
            image_.LineTo(geometry_.Width, i * rowStep);
        }
    }

    // Lines every 50 nm, from the hundred at or below the axis start, each with its wavelength as text.
    void DrawWavelengthGrid() {
        const int64_t lambdaMin = calibration_.LambdaMin;
        const int64_t count = (int64_t(calibration_.LambdaMax) - lambdaMin) / 50 + 1;
        const int64_t start = lambdaMin / 100 * 100;
        const auto column = [&](int64_t i) {
            return TruncatedCoordinate(double(start + 50 * i - lambdaMin) / calibration_.NmPerChannel *
                                       geometry_.ColumnsPerChannel);
        };
        for (int64_t i = 1; i <= count; ++i) {
            const int x = column(i);
            // Columns only grow, so once a text would start beyond the right edge nothing further shows.
            if (x - 16 >= geometry_.Width) break;
            // On an axis tens of thousands of nm long, several lines share a column and only the last of
            // them covers the others; finding it by halving keeps even an absurdly long axis quick.
            int64_t last = count;
            while (i < last) {
                const int64_t middle = i + (last - i + 1) / 2;
                if (column(middle) == x)
                    i = middle;
                else
                    last = middle - 1;
            }
            VerticalLine(image_, x, geometry_.Height, 0);
            const QString text = QString::number(start + 50 * i) + QStringLiteral("nm");
            image_.TextOut(x - 16, 1, text);
            gridTexts_.emplace_back(QPoint(x - 16, 1), image_.TextExtent(text));
        }
    }

    // Scale band: every strip column in the full-brightness colour of its wavelength.
    void DrawScaleBand() {
        for (int j = 0; j < ChannelCount; ++j)
            for (int k = 0; k < geometry_.ColumnsPerChannel; ++k) {
                strip_.SetPenColor(FullColour(j, k));
                VerticalLine(strip_, Column(j, k), geometry_.StripHeight / 2, geometry_.StripHeight);
            }
    }

    void DrawMark(TColor color, int32_t channel) {
        const int x = Coordinate(int64_t(geometry_.ColumnsPerChannel) * channel);
        image_.SetPenColor(color);
        VerticalLine(image_, x, geometry_.Height, 0);
        if (geometry_.MarksOnStrip) {
            strip_.SetPenColor(color);
            VerticalLine(strip_, x, 0, geometry_.StripHeight - 1);
        }
    }

    void DrawSpectralLines() {
        image_.SetPenColor(clWhite);
        image_.SetPenMode(TPenMode::Merge);
        strip_.SetPenColor(clBlack);
        if (miniature_) {
            miniature_->SetPenColor(clWhite);
            miniature_->SetPenMode(TPenMode::Merge);
        }
        for (const int32_t lambda : state_.Lines) {
            if (lambda < calibration_.LambdaMin || lambda > calibration_.LambdaMax) continue;
            const int x =
                TruncatedCoordinate(geometry_.ColumnsPerChannel * (double(lambda) - calibration_.LambdaMin) /
                                    calibration_.NmPerChannel);
            VerticalLine(image_, x, geometry_.Height, 0);
            VerticalLine(strip_, x, geometry_.StripHeight / 2, geometry_.StripHeight - 1);
            if (miniature_) VerticalLine(*miniature_, x / geometry_.ColumnsPerChannel, MiniatureHeight, 0);
        }
    }

    // The reference line lies on the row a click on that level would be made on.
    void DrawReferenceLine() {
        image_.SetPenColor(clWhite);
        image_.SetPenMode(TPenMode::Merge);
        const int y =
            Coordinate(geometry_.Height - int64_t(geometry_.LevelFactor) * state_.ReferenceValue / divisor_);
        image_.MoveTo(0, y);
        image_.LineTo(geometry_.Width, y);
    }

    // The comparison spectrum as a thin curve, each channel at its own wavelength on this axis.
    void DrawComparison(const ComparisonCurve& comparison) {
        if (!(calibration_.NmPerChannel > 0)) return;
        image_.SetPenWidth(1);
        image_.SetPenColor(clFuchsia);
        image_.SetPenMode(TPenMode::Copy);
        for (int c = 0; c < ChannelCount; ++c) {
            const double lambda = c * comparison.Calibration.NmPerChannel + comparison.Calibration.LambdaMin;
            const int x = TruncatedCoordinate((lambda - calibration_.LambdaMin) / calibration_.NmPerChannel *
                                              geometry_.ColumnsPerChannel);
            const int y = Coordinate(geometry_.Height - 1 -
                                     int64_t(geometry_.LevelFactor) * comparison.Levels[c] / divisor_);
            if (c == 0)
                image_.MoveTo(x, y);
            else
                image_.LineTo(x, y);
        }
    }

    // The comparison's name, whole, at the right edge below the row of the grid texts; the peak labels
    // keep clear of it.
    void DrawComparisonName(const QString& name) {
        image_.SetFontSize(geometry_.GridFontSize);
        image_.SetFontColor(clFuchsia);
        image_.SetBrushColor(clBlack);
        const QString text = QStringLiteral("Vergleich: ") + name;
        const QSize size = image_.TextExtent(text);
        const QPoint at(std::max(geometry_.Width - size.width() - 2, 0), size.height() + 2);
        image_.TextOut(at.x(), at.y(), text);
        gridTexts_.emplace_back(at, size);
    }

    // A red band along the top over each saturated channel: no number there can be trusted.
    void DrawSaturation() {
        image_.SetBrushColor(clRed);
        const int band = 3 * geometry_.MarkPenWidth;
        for (int j = 0; j < ChannelCount; ++j)
            if (state_.Saturated[size_t(j)]) image_.FillRect(Column(j, 0), 0, Column(j + 1, 0), band);
        image_.SetBrushColor(clBlack);
    }

    // Each line centred, the first a third down the diagram, white on black over whatever lies there.
    void DrawNotice() {
        image_.SetFontSize(geometry_.GridFontSize);
        image_.SetFontColor(clWhite);
        image_.SetBrushColor(clBlack);
        int y = geometry_.Height / 3;
        for (const QString& line : state_.Notice.split(QLatin1Char('\n'))) {
            const QSize cell = image_.TextExtent(line);
            image_.TextOut((geometry_.Width - cell.width()) / 2, y, line);
            y += cell.height();
        }
    }

    // White on the diagram's black, in the font of the grid texts, clear of them and of each other.
    void DrawPeakLabels() {
        image_.SetFontSize(geometry_.GridFontSize);
        image_.SetFontColor(clWhite);
        // A scale of its own marks a transmission or absorbance, whose peaks are bands.
        const std::vector<Peak> peaks =
            FindPeaks(values_.Levels, calibration_, DiagramHeight * divisor_,
                      {state_.NoValue, state_.RangeLabels.has_value(), state_.Saturated});
        PeakLabels = PlacePeakLabels(
            peaks, geometry_, divisor_, [this](const QString& text) { return image_.TextExtent(text); },
            gridTexts_);
        for (const PlacedPeakLabel& label : PeakLabels)
            image_.TextOut(label.Cell.left(), label.Cell.top(), label.Text);
    }

    const DiagramState& state_;
    const SpectrumValues& values_;
    const WavelengthCalibration& calibration_;
    const DiagramGeometry& geometry_;
    TCanvas& image_;
    TCanvas& strip_;
    TCanvas* miniature_;
    const int32_t divisor_;
    std::vector<int32_t> columnWavelengths_;
    std::vector<TColor> columnColours_;
    std::vector<QRect> gridTexts_;
};

} // namespace

ComparisonCurve MakeComparisonCurve(const std::array<int32_t, ChannelCount>& readings,
                                    const WavelengthCalibration& calibration, int32_t zeroOffset,
                                    bool korrektur) {
    SpectrumValues values;
    values.Readings = readings;
    ComputeLevels(values, calibration, zeroOffset, LevelOptions{korrektur, true, 1});
    return {values.Levels, calibration, QString()};
}

MainDiagramTexts DrawMainDiagram(const DiagramState& state, TCanvas& image, TCanvas& spektralImage,
                                 TCanvas& image2) {
    MainDiagramTexts texts;
    DiagramPass pass(state, MainDiagram, image, spektralImage, &image2);
    texts.RangeLabels = pass.Run();
    texts.PeakLabels = std::move(pass.PeakLabels);
    const WavelengthCalibration& calibration = state.Calibration;
    texts.MinPos =
        state.NoExtremes
            ? QStringLiteral("—")
            : PositionText(state.Values.MinChannel * calibration.NmPerChannel + calibration.LambdaMin);
    texts.MaxPos =
        state.NoExtremes
            ? QStringLiteral("—")
            : PositionText(state.Values.MaxChannel * calibration.NmPerChannel + calibration.LambdaMin);
    return texts;
}

BigDiagramTexts DrawBigDiagram(const DiagramState& state, TCanvas& image, TCanvas& spektralImage) {
    BigDiagramTexts texts;
    DiagramPass pass(state, BigDiagram, image, spektralImage, nullptr);
    texts.RangeLabels = pass.Run();
    texts.PeakLabels = std::move(pass.PeakLabels);
    texts.LambdaMin = QString::number(state.Calibration.LambdaMin) + QStringLiteral("nm");
    texts.LambdaMax = QString::number(state.Calibration.LambdaMax) + QStringLiteral("nm");
    return texts;
}
