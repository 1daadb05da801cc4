// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentrationdlg/ConcentrationCharts.h"

#include <QPainter>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {

const QColor Background(255, 255, 255);
const QColor Frame(0, 0, 0);
const QColor Grid(225, 225, 225);
const QColor Holds(40, 160, 60);
const QColor Bends(235, 130, 20);
const QColor NoLine(170, 170, 170);
const QColor Proposal(255, 240, 150);
const QColor Band(200, 220, 255);
const QColor LineColour(30, 60, 200);
const QColor LeftOut(200, 30, 30);

// A tick's value with as many decimals as its step needs: "0,5", "150", "0,015".
QString TickText(double value, double step) {
    const int decimals = std::clamp(-static_cast<int>(std::floor(std::log10(step) + 1e-9)), 0, 12);
    return QString::number(value, 'f', decimals).replace(u'.', u',');
}

// The plot area inside the picture and the scales from values to pixels.
struct Plot {
    QRect area;
    double xMin, xMax, yMax;
    double X(double x) const { return area.left() + (x - xMin) / (xMax - xMin) * area.width(); }
    double Y(double y) const { return area.bottom() - y / yMax * area.height(); }
};

// Frame, grid, tick labels and axis titles.
void DrawAxes(QPainter& painter, const Plot& plot, const std::vector<double>& xTicks,
              const std::vector<double>& yTicks, const QString& xTitle, const QString& yTitle) {
    painter.setPen(Grid);
    for (double x : xTicks)
        painter.drawLine(QPointF(plot.X(x), plot.area.top()), QPointF(plot.X(x), plot.area.bottom()));
    for (double y : yTicks)
        painter.drawLine(QPointF(plot.area.left(), plot.Y(y)), QPointF(plot.area.right(), plot.Y(y)));
    painter.setPen(Frame);
    painter.drawRect(plot.area);
    const QFontMetrics metrics = painter.fontMetrics();
    const double xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1;
    const double yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1;
    for (double x : xTicks) {
        const QString text = TickText(x, xStep);
        painter.drawText(QPointF(plot.X(x) - metrics.horizontalAdvance(text) / 2.0, plot.area.bottom() + 14),
                         text);
    }
    for (double y : yTicks) {
        const QString text = TickText(y, yStep);
        painter.drawText(QPointF(plot.area.left() - 4 - metrics.horizontalAdvance(text), plot.Y(y) + 4),
                         text);
    }
    painter.drawText(QRect(plot.area.left(), plot.area.bottom() + 16, plot.area.width(), 16),
                     Qt::AlignHCenter, xTitle);
    // The window's font is a bitmap font whose glyphs don't turn: the title is written level and its
    // picture turned.
    QImage title(plot.area.height(), 16, QImage::Format_RGB32);
    title.fill(Background);
    QPainter titlePainter(&title);
    titlePainter.setFont(painter.font());
    titlePainter.setPen(Frame);
    titlePainter.drawText(title.rect(), Qt::AlignCenter, yTitle);
    titlePainter.end();
    painter.drawImage(QPoint(2, plot.area.top()), title.transformed(QTransform().rotate(-90)));
}

QImage Blank(QSize size) {
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Background);
    return picture;
}

} // namespace

std::vector<double> AxisTicks(double highest, int count) {
    if (!(highest > 0) || !std::isfinite(highest)) highest = 1;
    const double rough = highest / std::max(count, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough) {
            step = factor * power;
            break;
        }
    std::vector<double> ticks;
    for (int i = 0; i * step < highest + step * 0.999 && ticks.size() < 50; ++i)
        ticks.push_back(i * step);
    return ticks;
}

QImage CalibrationPicture(const ConcentrationSeries& series, const CalibrationResult& result, QSize size) {
    QImage picture = Blank(size);
    QPainter painter(&picture);
    double cMax = 0, aMax = 0;
    for (const StandardPoint& point : result.Standards) {
        cMax = std::max(cMax, point.Concentration);
        if (point.A.Value) aMax = std::max(aMax, *point.A.Value);
    }
    for (const SampleResult& sample : result.Samples)
        if (sample.A.Value) aMax = std::max(aMax, *sample.A.Value);
    // A little room beyond the largest point, so that none sits on the frame.
    const std::vector<double> xTicks = AxisTicks(cMax * 1.05, 5), yTicks = AxisTicks(aMax * 1.05, 5);
    const Plot plot{QRect(56, 8, size.width() - 70, size.height() - 48), 0, xTicks.back(), yTicks.back()};
    const QString unit = QString::fromStdString(UnitText(series.Unit));
    DrawAxes(painter, plot, xTicks, yTicks, QStringLiteral("Konzentration c in ") + unit,
             QStringLiteral("Extinktion A"));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(plot.area);
    if (result.Line) {
        painter.setPen(QPen(LineColour, 1.5));
        const double end = plot.xMax;
        painter.drawLine(QPointF(plot.X(0), plot.Y(result.Line->Intercept)),
                         QPointF(plot.X(end), plot.Y(result.Line->Intercept + result.Line->Slope * end)));
    }
    for (const StandardPoint& point : result.Standards) {
        if (!point.A.Value) continue;
        const QPointF at(plot.X(point.Concentration), plot.Y(*point.A.Value));
        if (point.Reason == Exclusion::None) {
            painter.setPen(Frame);
            painter.setBrush(Frame);
            painter.drawEllipse(at, 3.5, 3.5);
        } else {
            painter.setPen(QPen(LeftOut, 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(at, 5, 5);
            painter.drawText(at + QPointF(-8 - painter.fontMetrics().horizontalAdvance(
                                                   QString::fromStdString(ExclusionText(point.Reason))),
                                          -8),
                             QString::fromStdString(ExclusionText(point.Reason)));
        }
    }
    painter.setPen(QPen(LineColour, 1.5));
    for (const SampleResult& sample : result.Samples) {
        if (!sample.A.Value || !result.Line) continue;
        const double c = (*sample.A.Value - result.Line->Intercept) / result.Line->Slope;
        const QPointF at(plot.X(c), plot.Y(*sample.A.Value));
        painter.drawLine(at + QPointF(-5, -5), at + QPointF(5, 5));
        painter.drawLine(at + QPointF(-5, 5), at + QPointF(5, -5));
    }
    return picture;
}

QImage MapPicture(const ConcentrationSeries& series, const LinearityMap& map, QSize size) {
    QImage picture = Blank(size);
    QPainter painter(&picture);
    double slopeMax = 0;
    for (const MapChannel& channel : map.Channels)
        if (channel.Line) slopeMax = std::max(slopeMax, channel.Line->Slope);
    const WavelengthCalibration& calibration = series.Calibration;
    const std::vector<double> yTicks = AxisTicks(slopeMax * 1.05, 4);
    std::vector<double> xTicks;
    for (int nm = (calibration.LambdaMin + 49) / 50 * 50; nm <= calibration.LambdaMax; nm += 50)
        xTicks.push_back(nm);
    const Plot plot{QRect(56, 8, size.width() - 70, size.height() - 48), double(calibration.LambdaMin),
                    double(calibration.LambdaMax), yTicks.back()};
    const auto shade = [&](double from, double to, const QColor& colour) {
        const double half = calibration.NmPerChannel / 2;
        painter.fillRect(QRectF(QPointF(plot.X(from - half), plot.area.top()),
                                QPointF(plot.X(to + half), plot.area.bottom())),
                         colour);
    };
    shade(series.Band.FromNm, series.Band.ToNm, Band);
    if (map.Proposal.Channels) shade(map.Proposal.FromNm, map.Proposal.ToNm, Proposal);
    const QString slopeUnit = QString::fromStdString(SlopeUnitText(series.Unit));
    DrawAxes(painter, plot, xTicks, yTicks, QStringLiteral("Wellenlänge in nm"),
             QStringLiteral("Steigung in ") + slopeUnit);
    const double width = std::max(1.0, plot.area.width() / double(ChannelCount) - 1);
    for (int c = 0; c < ChannelCount; ++c) {
        const MapChannel& channel = map.Channels[c];
        const double nm = calibration.LambdaMin + c * calibration.NmPerChannel;
        const double slope = channel.Line ? std::max(0.0, channel.Line->Slope) : 0;
        const QColor colour = !channel.Line ? NoLine : channel.Linear() ? Holds : Bends;
        const double top = channel.Line ? plot.Y(std::min(slope, plot.yMax)) : plot.area.bottom() - 3;
        painter.fillRect(QRectF(plot.X(nm) - width / 2, top, width, plot.area.bottom() - top), colour);
    }
    // The legend, top left inside the plot.
    const std::pair<QColor, QString> legend[] = {
        {Holds, QStringLiteral("Gerade hält (R² ≥ 0,999, A ≤ 1,5)")},
        {Bends, QStringLiteral("hält nicht (R² < 0,999 oder A über 1,5)")},
        {Proposal, QStringLiteral("Vorschlag")},
        {Band, QStringLiteral("Auswertebereich")}};
    int x = plot.area.left() + 8;
    for (const auto& [colour, text] : legend) {
        painter.fillRect(QRect(x, plot.area.top() + 6, 10, 10), colour);
        painter.setPen(Frame);
        painter.drawText(QPoint(x + 14, plot.area.top() + 15), text);
        x += 14 + painter.fontMetrics().horizontalAdvance(text) + 16;
    }
    return picture;
}
