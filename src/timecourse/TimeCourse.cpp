// SPDX-License-Identifier: GPL-3.0-or-later
#include "timecourse/TimeCourse.h"

#include <algorithm>
#include <cmath>
#include <limits>

TimeCourse::TimeCourse(const TimedSeries& series) : series_(series), evaluator_(series) {}

void TimeCourse::Recompute(SeriesQuantity quantity, const std::vector<double>& wavelengths,
                           double halfWidth) {
    quantity_ = quantity;
    wavelengths_ = wavelengths;
    halfWidth_ = halfWidth;
    points_.clear();
    curves_.assign(wavelengths.size(), {});
    // A series loaded from a file starts with its first point; SpectraAdded reads it all.
    SpectraAdded();
}

void TimeCourse::SpectraAdded() {
    const std::vector<SeriesSpectrum>& spectra = series_.Spectra;
    size_t next = points_.empty() ? 0 : points_.back().First + points_.back().Count;
    // The last point may have taken another spectrum of its own interval: it is read anew.
    if (!points_.empty() && next < spectra.size() && spectra[next].Point == points_.back().Point) {
        next = points_.back().First;
        points_.pop_back();
        for (std::vector<CoursePoint>& curve : curves_)
            curve.pop_back();
    }
    while (next < spectra.size()) {
        SeriesPointSpectra point{spectra[next].Point, next, 0, 0};
        double timeSum = 0;
        while (next < spectra.size() && spectra[next].Point == point.Point) {
            timeSum += spectra[next].Time;
            ++point.Count;
            ++next;
        }
        point.Time = timeSum / double(point.Count);
        AddPoint(point);
    }
}

void TimeCourse::AddPoint(const SeriesPointSpectra& point) {
    points_.push_back(point);
    for (size_t w = 0; w < curves_.size(); ++w)
        curves_[w].push_back(
            {point.Time, evaluator_.PointValue(point, wavelengths_[w], halfWidth_, quantity_)});
}

bool TimeCourse::WithoutDark() const {
    return quantity_ != SeriesQuantity::Intensity &&
           std::any_of(curves_.begin(), curves_.end(), [](const std::vector<CoursePoint>& curve) {
               return std::any_of(curve.begin(), curve.end(), [](const CoursePoint& point) {
                   return point.Value.Value && !point.Value.DarkSubtracted;
               });
           });
}

TimeCourse::CourseFit TimeCourse::Fit(size_t curve, const KineticFitRequest& request) const {
    std::vector<double> times, values, uncertainties;
    int bounds = 0, gaps = 0;
    std::string gapReason;
    bool withoutDark = false;
    if (curve < curves_.size())
        for (const CoursePoint& point : curves_[curve]) {
            if (point.Time < request.From || point.Time > request.To) continue;
            // A bound says where the value is not, not where it is: taken for a value it would flatten
            // the start of a decay.
            if (point.Value.Value && point.Value.Bound) {
                ++bounds;
            } else if (!point.Value.Value) {
                ++gaps;
                gapReason = point.Value.Reason;
            } else {
                times.push_back(point.Time);
                values.push_back(*point.Value.Value);
                uncertainties.push_back(point.Value.Uncertainty);
                withoutDark |= !point.Value.DarkSubtracted;
            }
        }
    return {FitKinetics(times, values, request, uncertainties), bounds, gaps, gapReason, withoutDark};
}

std::string TimeCourse::CourseFit::LeftOutText() const {
    const auto points = [](int count) {
        return count == 1 ? std::string("1 Punkt") : std::to_string(count) + " Punkte";
    };
    std::string text;
    if (Bounds > 0)
        text = points(Bounds) + " ausgelassen: nur eine Schranke (mehr Extinktion, als das Licht auflöst).";
    if (Gaps > 0)
        text += (text.empty() ? "" : " ") + points(Gaps) + " ohne Wert ausgelassen: " + GapReason + ".";
    return text;
}

std::optional<double> Plotted(double value, CoursePlot plot, double endValue) {
    switch (plot) {
    case CoursePlot::Value:
        return value;
    case CoursePlot::LogAboveEnd:
        if (value > endValue) return std::log(value - endValue);
        return std::nullopt;
    case CoursePlot::Reciprocal:
        if (value > 0) return 1 / value;
        return std::nullopt;
    }
    return std::nullopt;
}

namespace {

QString NmText(double nm) {
    return QString::number(nm).replace(u'.', u',');
}

const int Decimals[] = {4, 2, 1}; // per quantity, in the table

} // namespace

std::string PointText(const BandValue& value, SeriesQuantity quantity) {
    if (!value.Value) return value.Reason;
    if (value.Bound) return BoundText(*value.Value, quantity);
    // The uncertainty to two significant digits and the value to its place; without one, a digit less
    // than the table shows.
    const int decimals = value.Uncertainty > 0
                             ? std::clamp(1 - int(std::floor(std::log10(value.Uncertainty))), 0, 8)
                             : Decimals[int(quantity)] - 1;
    const double scale = std::pow(10.0, decimals);
    const auto text = [&](double x) {
        return QString::number(std::nearbyint(x * scale) / scale, 'f', decimals).replace(u'.', u',');
    };
    return (value.Uncertainty > 0 ? text(*value.Value) + QStringLiteral(" ± ") + text(value.Uncertainty)
                                  : text(*value.Value))
        .toStdString();
}

NumberTable CourseTable(const TimeCourse& course, std::vector<QString> header, const KineticFit* fit,
                        size_t fitCurve, double from, double to) {
    static const char* const Quantities[] = {"Extinktion", "Transmission %", "Intensität Digits"};
    const int quantity = int(course.Quantity());
    NumberTable table;
    table.Header = std::move(header);
    table.Heads.push_back(QStringLiteral("t in s"));
    table.Decimals.push_back(2);
    const std::vector<double>& wavelengths = course.Wavelengths();
    for (double nm : wavelengths) {
        table.Heads.push_back(
            QStringLiteral("%1 %2 nm").arg(QString::fromUtf8(Quantities[quantity]), NmText(nm)));
        table.Heads.push_back(QStringLiteral("u %1 nm").arg(NmText(nm)));
        table.Decimals.push_back(Decimals[quantity]);
        table.Decimals.push_back(Decimals[quantity] + 1);
    }
    const bool fitted = fit && fitCurve < wavelengths.size();
    if (fitted) {
        table.Heads.push_back(QStringLiteral("Anpassung %1 nm").arg(NmText(wavelengths[fitCurve])));
        table.Decimals.push_back(4);
    }
    const std::vector<std::vector<CoursePoint>>& curves = course.Curves();
    const size_t rows = curves.empty() ? 0 : curves[0].size();
    for (size_t i = 0; i < rows; ++i) {
        const double t = curves[0][i].Time;
        std::vector<double> row{t};
        std::vector<QString> texts{QString()};
        for (const std::vector<CoursePoint>& curve : curves) {
            const BandValue& value = curve[i].Value;
            row.push_back(value.Value.value_or(std::numeric_limits<double>::quiet_NaN()));
            // A bound has no uncertainty; a gap leaves both cells empty.
            row.push_back(value.Value && !value.Bound ? value.Uncertainty
                                                      : std::numeric_limits<double>::quiet_NaN());
            texts.push_back(value.Value && value.Bound
                                ? QString::fromStdString(BoundText(*value.Value, course.Quantity()))
                                : QString());
            texts.emplace_back();
        }
        table.Texts.push_back(std::move(texts));
        if (fitted)
            row.push_back(t >= from && t <= to ? fit->At(t) : std::numeric_limits<double>::quiet_NaN());
        table.Rows.push_back(std::move(row));
    }
    return table;
}

QString TableSpelling(QString text) {
    return text.replace(QStringLiteral("′"), QStringLiteral("'"))
        .replace(QStringLiteral("₀"), QStringLiteral("0"))
        .replace(QStringLiteral("∞"), QStringLiteral("(Ende)"));
}
