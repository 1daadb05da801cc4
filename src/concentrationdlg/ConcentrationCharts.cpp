// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentrationdlg/ConcentrationCharts.h"

#include "chart/Chart.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr TColor InLineColour = clWhite;
constexpr TColor LeftOutColour = clRed;
constexpr TColor SampleColour = 0xFFFF00; // cyan
constexpr TColor LineColour = clYellow;
constexpr TColor HoldsColour = 0x00C000;
constexpr TColor BendsColour = 0x0080FF;    // orange
constexpr TColor ProposalColour = 0x006060; // dark yellow
constexpr TColor BandColour = 0x603000;     // dark blue

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

// A trace that only names a colour in the legend.
ChartTrace LegendEntry(const QString& name, TColor colour) {
    ChartTrace trace;
    trace.Name = name;
    trace.Color = colour;
    trace.Markers = true;
    return trace;
}

} // namespace

void DrawCalibrationChart(TCanvas& canvas, const ConcentrationSeries& series,
                          const CalibrationResult& result) {
    ChartContent content;
    ChartTrace inLine = LegendEntry(QStringLiteral("Standards"), InLineColour);
    ChartTrace leftOut = LegendEntry(QStringLiteral("herausgenommen"), LeftOutColour);
    ChartTrace samples = LegendEntry(QStringLiteral("Proben"), SampleColour);
    double cMax = 0, aMax = 0;
    for (const StandardPoint& point : result.Standards) {
        cMax = std::max(cMax, point.Concentration);
        if (!point.A.Value) continue;
        aMax = std::max(aMax, *point.A.Value);
        ChartTrace& trace = point.Reason == Exclusion::None ? inLine : leftOut;
        trace.X.push_back(point.Concentration);
        trace.Y.push_back(*point.A.Value);
    }
    for (const SampleResult& sample : result.Samples) {
        if (!sample.Concentration) continue;
        samples.X.push_back(*sample.Concentration / series.Rows[sample.Row].Dilution);
        samples.Y.push_back(*sample.A.Value);
    }
    // Room beyond the largest point, so that none sits on the frame, and above it for the legend.
    content.X = {QStringLiteral("Konzentration c in ") + Text(UnitText(series.Unit)), 0,
                 cMax > 0 ? cMax * 1.05 : 1};
    content.Y = {QStringLiteral("Extinktion A"), 0, aMax > 0 ? aMax * 1.35 : 1};
    content.Traces = {inLine, leftOut, samples};
    if (result.Line) {
        const LineFit line = *result.Line;
        // The line ends where it leaves the diagram at the top.
        const double top = line.Slope > 0 ? (content.Y.High - line.Intercept) / line.Slope : content.X.High;
        content.Fits.push_back({QStringLiteral("Gerade"), LineColour, 0, std::clamp(top, 0.0, content.X.High),
                                [line](double c) { return line.At(c); }});
    }
    const ChartFrame frame = DrawChart(canvas, content);
    canvas.SetFontColor(LeftOutColour);
    for (const StandardPoint& point : result.Standards) {
        if (!point.A.Value || point.Reason == Exclusion::None) continue;
        const QString reason = Text(ExclusionText(point.Reason, point.A.Why));
        const int x = frame.PixelX(point.Concentration), y = frame.PixelY(*point.A.Value);
        canvas.TextOut(std::max(frame.Plot().left() + 2, x - 6 - canvas.TextExtent(reason).width()), y + 4,
                       reason);
    }
}

QImage CalibrationPicture(const QImage& chart, const ConcentrationSeries& series,
                          const CalibrationResult& result) {
    const QString lines[] = {result.Line ? Text(LineText(*result.Line, series.Unit))
                                         : QStringLiteral("Keine Gerade"),
                             Text(BandText(series.Band))};
    QImage measured = chart;
    const TCanvas measure(measured);
    const int lineHeight = measure.TextExtent(lines[0]).height() + 2;
    int width = chart.width();
    for (const QString& line : lines)
        width = std::max(width, measure.TextExtent(line).width() + 8);
    QImage picture(width, chart.height() + 2 * lineHeight + 6, chart.format());
    picture.fill(Qt::black);
    QPainter(&picture).drawImage(0, 0, chart);
    TCanvas canvas(picture);
    canvas.SetBrushColor(clBlack);
    canvas.SetFontColor(clWhite);
    for (int i = 0; i < 2; ++i)
        canvas.TextOut(4, chart.height() + 2 + i * lineHeight, lines[i]);
    return picture;
}

void DrawLinearityMap(TCanvas& canvas, const ConcentrationSeries& series, const LinearityMap& map) {
    double slopeMax = 0;
    for (const MapChannel& channel : map.Channels)
        if (channel.Line) slopeMax = std::max(slopeMax, channel.Line->Slope);
    const WavelengthCalibration& calibration = series.Calibration;
    ChartContent content;
    content.X = {QStringLiteral("Wellenlänge in nm"), double(calibration.LambdaMin),
                 double(calibration.LambdaMax)};
    content.Y = {QStringLiteral("Steigung in ") + Text(SlopeUnitText(series.Unit)), 0,
                 slopeMax > 0 ? slopeMax * 1.08 : 1};
    content.Traces = {LegendEntry(QStringLiteral("Gerade hält (keine Krümmung, A ≤ 1,5)"), HoldsColour),
                      LegendEntry(QStringLiteral("hält nicht (gekrümmt oder A über 1,5)"), BendsColour),
                      LegendEntry(QStringLiteral("Vorschlag"), 0x00E0E0),
                      LegendEntry(QStringLiteral("Auswertebereich"), 0xFF9040)};
    const ChartFrame frame = DrawChart(canvas, content);
    const QRect& plot = frame.Plot();
    const auto shade = [&](double from, double to, TColor colour) {
        const double half = calibration.NmPerChannel / 2;
        canvas.SetBrushColor(colour);
        canvas.FillRect(std::max(plot.left() + 1, frame.PixelX(from - half)), plot.top() + 1,
                        std::min(plot.right(), frame.PixelX(to + half)), plot.bottom());
    };
    shade(series.Band.FromNm, series.Band.ToNm, BandColour);
    if (map.Proposal.Channels) shade(map.Proposal.FromNm, map.Proposal.ToNm, ProposalColour);
    const int width = std::max(1, plot.width() / ChannelCount - 1);
    for (int c = 0; c < ChannelCount; ++c) {
        const MapChannel& channel = map.Channels[c];
        if (!channel.Line || !(channel.Line->Slope > 0)) continue;
        const int x = frame.PixelX(calibration.LambdaMin + c * calibration.NmPerChannel);
        canvas.SetBrushColor(channel.Linear() ? HoldsColour : BendsColour);
        canvas.FillRect(x - width / 2, frame.PixelY(channel.Line->Slope), x - width / 2 + width,
                        plot.bottom());
    }
}
