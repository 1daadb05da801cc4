// SPDX-License-Identifier: GPL-3.0-or-later
#include "chart/Chart.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int TickLength = 4;
constexpr int Gap = 3;
constexpr int MarkerHalf = 2;
// The least room between two tick labels, in pixels, along each axis.
constexpr int XTickSpacing = 70;
constexpr int YTickSpacing = 28;

int TextHeight(const TCanvas& canvas) {
    return canvas.TextExtent(QStringLiteral("0")).height();
}

void DrawEnvelope(TCanvas& canvas, const ChartFrame& frame, const ColumnEnvelope& envelope) {
    const std::vector<ColumnEnvelope::Column>& columns = envelope.Columns();
    int previousX = -1, previousY = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        const ColumnEnvelope::Column& column = columns[i];
        if (!column.Used) continue;
        const int x = frame.Plot().left() + int(i);
        if (column.JoinsPrevious && previousX >= 0) {
            canvas.MoveTo(previousX, previousY);
            canvas.LineTo(x, frame.PixelY(column.First));
        }
        // The column's whole span; the lower end of a line is never painted, so one row further.
        const int top = frame.PixelY(column.Max);
        canvas.MoveTo(x, top);
        canvas.LineTo(x, frame.PixelY(column.Min) + 1);
        previousX = x;
        previousY = frame.PixelY(column.Last);
    }
}

void DrawMarkers(TCanvas& canvas, const ChartFrame& frame, const ChartTrace& trace) {
    canvas.SetBrushColor(trace.Color);
    for (size_t i = 0; i < std::min(trace.X.size(), trace.Y.size()); ++i) {
        if (!std::isfinite(trace.X[i]) || !std::isfinite(trace.Y[i])) continue;
        const int x = frame.PixelX(trace.X[i]), y = frame.PixelY(trace.Y[i]);
        if (!frame.Plot().contains(x, y)) continue;
        canvas.FillRect(x - MarkerHalf, y - MarkerHalf, x + MarkerHalf + 1, y + MarkerHalf + 1);
    }
}

void DrawFit(TCanvas& canvas, const ChartFrame& frame, const ChartFit& fit) {
    const int from = std::max(frame.PixelX(std::min(fit.From, fit.To)), frame.Plot().left());
    const int to = std::min(frame.PixelX(std::max(fit.From, fit.To)), frame.Plot().right());
    bool joined = false;
    for (int x = from; x <= to; ++x) {
        const double value = fit.At(frame.ValueX(x));
        if (!std::isfinite(value)) {
            joined = false;
            continue;
        }
        const int y = frame.PixelY(value);
        if (joined)
            canvas.LineTo(x, y);
        else
            canvas.MoveTo(x, y);
        joined = true;
    }
}

void DrawAxes(TCanvas& canvas, const ChartFrame& frame, const ChartContent& content) {
    const QRect& plot = frame.Plot();
    const int textHeight = TextHeight(canvas);
    canvas.SetPenWidth(1);
    canvas.SetPenColor(content.Grid);
    const AxisTicks& xTicks = frame.XTicks();
    const AxisTicks& yTicks = frame.YTicks();
    for (int i = 0; i < xTicks.Count; ++i) {
        canvas.MoveTo(frame.PixelX(xTicks.At(i)), plot.top());
        canvas.LineTo(frame.PixelX(xTicks.At(i)), plot.bottom() + 1);
    }
    for (int i = 0; i < yTicks.Count; ++i) {
        canvas.MoveTo(plot.left(), frame.PixelY(yTicks.At(i)));
        canvas.LineTo(plot.right() + 1, frame.PixelY(yTicks.At(i)));
    }
    canvas.SetPenColor(content.Frame);
    canvas.MoveTo(plot.left(), plot.top());
    canvas.LineTo(plot.right(), plot.top());
    canvas.LineTo(plot.right(), plot.bottom());
    canvas.LineTo(plot.left(), plot.bottom());
    canvas.LineTo(plot.left(), plot.top());

    canvas.SetBrushColor(content.Background);
    canvas.SetFontColor(content.Frame);
    for (int i = 0; i < xTicks.Count; ++i) {
        const int x = frame.PixelX(xTicks.At(i));
        canvas.MoveTo(x, plot.bottom() + 1);
        canvas.LineTo(x, plot.bottom() + 1 + TickLength);
        const QString label = TickLabel(xTicks.At(i), xTicks.Decimals);
        canvas.TextOut(x - canvas.TextExtent(label).width() / 2, plot.bottom() + TickLength + Gap, label);
    }
    for (int i = 0; i < yTicks.Count; ++i) {
        const int y = frame.PixelY(yTicks.At(i));
        canvas.MoveTo(plot.left() - 1, y);
        canvas.LineTo(plot.left() - 1 - TickLength, y);
        const QString label = TickLabel(yTicks.At(i), yTicks.Decimals);
        canvas.TextOut(plot.left() - TickLength - Gap - canvas.TextExtent(label).width(), y - textHeight / 2,
                       label);
    }
    const QString& xTitle = content.X.Title;
    canvas.TextOut(plot.center().x() - canvas.TextExtent(xTitle).width() / 2,
                   plot.bottom() + TickLength + 2 * Gap + textHeight, xTitle);
    canvas.TextOut(Gap, Gap, content.Y.Title);
}

void DrawLegend(TCanvas& canvas, const ChartFrame& frame, const ChartContent& content) {
    std::vector<std::pair<QString, TColor>> entries;
    for (const ChartTrace& trace : content.Traces)
        if (!trace.Name.isEmpty()) entries.emplace_back(trace.Name, trace.Color);
    for (const ChartFit& fit : content.Fits)
        if (!fit.Name.isEmpty()) entries.emplace_back(fit.Name, fit.Color);
    int widest = 0;
    for (const auto& entry : entries)
        widest = std::max(widest, canvas.TextExtent(entry.first).width());
    const int textHeight = TextHeight(canvas);
    int y = frame.Plot().top() + Gap + 1;
    canvas.SetBrushColor(content.Background);
    for (const auto& [name, colour] : entries) {
        canvas.SetFontColor(colour);
        canvas.TextOut(frame.Plot().right() - Gap - widest, y, name);
        y += textHeight;
    }
}

} // namespace

ChartFrame::ChartFrame(const TCanvas& canvas, const ChartAxis& x, const ChartAxis& y) : x_(x), y_(y) {
    const int textHeight = TextHeight(canvas);
    // Below the y axis's title, with room for the upper half of the top tick's label, which is centred
    // on the plot's top edge.
    const int top = textHeight + 2 * Gap + textHeight / 2;
    const int bottom = canvas.Height() - 1 - (TickLength + 3 * Gap + 2 * textHeight);
    yTicks_ = ChooseTicks(y.Low, y.High, std::max(2, (bottom - top) / YTickSpacing + 1));
    int labelWidth = 0;
    for (int i = 0; i < yTicks_.Count; ++i)
        labelWidth =
            std::max(labelWidth, canvas.TextExtent(TickLabel(yTicks_.At(i), yTicks_.Decimals)).width());
    const int left = labelWidth + TickLength + 2 * Gap;
    // Room on the right for half of the last x label.
    const int right = canvas.Width() - 1 - 3 * textHeight / 2;
    plot_ = QRect(QPoint(left, top), QPoint(std::max(right, left + 1), std::max(bottom, top + 1)));
    xTicks_ = ChooseTicks(x.Low, x.High, std::max(2, plot_.width() / XTickSpacing + 1));
    // The ticks may have widened a range of no width: map with theirs.
    x_.Low = xTicks_.Low;
    x_.High = xTicks_.High;
    y_.Low = yTicks_.Low;
    y_.High = yTicks_.High;
}

int ChartFrame::PixelX(double x) const {
    const double share = (x - x_.Low) / (x_.High - x_.Low);
    return plot_.left() + int(std::nearbyint(std::clamp(share, -1.0, 2.0) * (plot_.width() - 1)));
}

int ChartFrame::PixelY(double y) const {
    const double share = std::clamp((y - y_.Low) / (y_.High - y_.Low), 0.0, 1.0);
    return plot_.bottom() - int(std::nearbyint(share * (plot_.height() - 1)));
}

double ChartFrame::ValueX(int pixel) const {
    return x_.Low + double(pixel - plot_.left()) / (plot_.width() - 1) * (x_.High - x_.Low);
}

double ChartFrame::ValueY(int pixel) const {
    return y_.Low + double(plot_.bottom() - pixel) / (plot_.height() - 1) * (y_.High - y_.Low);
}

void ChartFrame::ResetEnvelope(ColumnEnvelope& envelope) const {
    envelope.Reset(x_.Low, x_.High, plot_.width());
}

ChartFrame DrawChart(TCanvas& canvas, const ChartContent& content) {
    const ChartFrame frame(canvas, content.X, content.Y);
    canvas.SetBrushColor(content.Background);
    canvas.FillRect(0, 0, canvas.Width(), canvas.Height());
    DrawAxes(canvas, frame, content);
    for (const ChartTrace& trace : content.Traces) {
        canvas.SetPenColor(trace.Color);
        if (trace.Markers)
            DrawMarkers(canvas, frame, trace);
        else if (trace.Envelope)
            DrawEnvelope(canvas, frame, *trace.Envelope);
    }
    canvas.SetPenWidth(2);
    for (const ChartFit& fit : content.Fits) {
        canvas.SetPenColor(fit.Color);
        if (fit.At) DrawFit(canvas, frame, fit);
    }
    canvas.SetPenWidth(1);
    DrawLegend(canvas, frame, content);
    return frame;
}
