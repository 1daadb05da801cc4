// SPDX-License-Identifier: GPL-3.0-or-later
#include "concentrationdlg/ConcentrationCharts.h"

#include <QPainter>
#include <QString>
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

QString Comma(double value, int significant) {
    return QString::fromStdString(DecimalText(value, significant));
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
    for (double x : xTicks) {
        const QString text = Comma(x, 3);
        painter.drawText(QPointF(plot.X(x) - metrics.horizontalAdvance(text) / 2.0, plot.area.bottom() + 14),
                         text);
    }
    for (double y : yTicks) {
        const QString text = Comma(y, 3);
        painter.drawText(QPointF(plot.area.left() - 4 - metrics.horizontalAdvance(text), plot.Y(y) + 4),
                         text);
    }
    painter.drawText(QRect(plot.area.left(), plot.area.bottom() + 16, plot.area.width(), 16),
                     Qt::AlignHCenter, xTitle);
    painter.save();
    painter.translate(12, plot.area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-plot.area.height() / 2, -10, plot.area.height(), 16), Qt::AlignHCenter, yTitle);
    painter.restore();
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
    const std::vector<double> xTicks = AxisTicks(cMax, 5), yTicks = AxisTicks(aMax, 5);
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
    const std::vector<double> yTicks = AxisTicks(slopeMax, 4);
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
    return picture;
}
