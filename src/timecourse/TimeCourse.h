// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "files/LabTableFile.h"
#include "series/BandValue.h"
#include "series/KineticFit.h"
#include "series/TimedSeries.h"

#include <optional>
#include <string>
#include <vector>

// How the values are plotted against time, so that the class sees which order gives a straight line.
enum class CoursePlot {
    Value,       // A itself
    LogAboveEnd, // ln(A − A∞): straight for a first-order decay
    Reciprocal,  // 1/A: straight for a second-order decay
};

// One point of a time course: its time and the value there, or no value and why.
struct CoursePoint {
    double Time = 0;
    BandValue Value;
};

// The time course of a series: the chosen quantity in a band around each watched wavelength, one
// point per interval (the mean of its spectra), kept up to date as the series grows.
class TimeCourse {
public:
    // Reads `series`, which must outlive this object; follows it through SpectraAdded().
    explicit TimeCourse(const TimedSeries& series);

    // Reads every point anew: `quantity` in the bands of ± halfWidth nm around `wavelengths`.
    void Recompute(SeriesQuantity quantity, const std::vector<double>& wavelengths, double halfWidth);
    // Takes the spectra appended to the series since the last call; the last point, which may have
    // grown, is read anew.
    void SpectraAdded();

    SeriesQuantity Quantity() const { return quantity_; }
    const std::vector<double>& Wavelengths() const { return wavelengths_; }
    // One curve per watched wavelength, points in time order.
    const std::vector<std::vector<CoursePoint>>& Curves() const { return curves_; }
    // Whether a transmission or absorbance shown (a value or a bound) comes from spectra whose dark was
    // not subtracted: the darker the sample, the more its absorbance then falls short.
    bool WithoutDark() const;

    // The fit of `request` to the curve `curve`, over the points in its range that have a value, each
    // weighed by its uncertainty; bounds and gaps are left out.
    struct CourseFit {
        FitOutcome<KineticFit> Outcome;
        int Bounds = 0, Gaps = 0; // points of the range left out
        std::string GapReason;    // the last gap's
        bool WithoutDark = false; // a point fitted lacks the dark's subtraction
        // What was left out and why, e.g. "3 Punkte ausgelassen: nur eine Schranke (mehr Extinktion, als
        // das Licht auflöst)."; empty when nothing was.
        std::string LeftOutText() const;
    };
    CourseFit Fit(size_t curve, const KineticFitRequest& request) const;

private:
    void AddPoint(const SeriesPointSpectra& point);

    const TimedSeries& series_;
    SeriesEvaluator evaluator_;
    SeriesQuantity quantity_ = SeriesQuantity::Absorbance;
    std::vector<double> wavelengths_;
    double halfWidth_ = 0;
    std::vector<SeriesPointSpectra> points_;
    std::vector<std::vector<CoursePoint>> curves_;
};

// A point's value as it is read, e.g. "0,512", "> 2,1" for a bound, or the reason it has none.
std::string PointText(const BandValue& value, SeriesQuantity quantity);

// `value` as `plot` shows it, with `endValue` the A∞ of ln(A − A∞); none where the plot has none
// (a logarithm of A ≤ A∞, 1/A of A ≤ 0).
std::optional<double> Plotted(double value, CoursePlot plot, double endValue);

// The time course as a table for a spreadsheet: t in s, the quantity and its uncertainty at each
// wavelength (a bound written as one, "> 2,1"), and the fitted
// values of curve `fitCurve` inside the fit's range [from, to], when a fit is given. `header` is its
// first line.
NumberTable CourseTable(const TimeCourse& course, std::vector<QString> header, const KineticFit* fit,
                        size_t fitCurve, double from, double to);
// `text` with the signs a Windows-1252 table can't hold spelled in letters it can: "k′" as "k'", "A₀" as
// "A0", "A∞" as "A(Ende)".
QString TableSpelling(QString text);
