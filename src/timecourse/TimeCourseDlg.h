// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "chart/Chart.h"
#include "series/KineticFit.h"
#include "timecourse/TimeCourse.h"
#include "ui/Form.h"
#include "ui/MainWindowLink.h"

#include <QDialog>
#include <QImage>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TImageView;

// The fits the window offers, in the order of its list.
enum class CourseModel { FirstOrderEndFree, FirstOrderEndZero, ZerothOrder, SecondOrder };

// The request of `model` over the times `from` … `to` in s.
KineticFitRequest FitRequest(CourseModel model, double from, double to);
// The fit's parameters as the window lists them, one per line, e.g. "k′ = 0,00467 ± 0,00002 1/s".
QString FitText(const KineticFit& fit, bool minutes);

// The time-course window "Zeitverlauf": the chosen quantity at up to three wavelengths against time,
// live while a series runs, with the fits of a reaction's order over a chosen range.
class TTimeCourseForm : public TForm<QDialog>, public WavelengthPicker {
    Q_OBJECT
public:
    // The window speaks to the main window only through `mainWindow`.
    explicit TTimeCourseForm(MainWindowLink& mainWindow);
    ~TTimeCourseForm() override;

    static constexpr int ClientWidth = 780;
    static constexpr int ClientHeight = 540;
    static constexpr int CurveCount = 3;

    void FormCreate() override;
    void FormDestroy() override;
    void FormHide() override;

    // Shows `series` (nothing when null), which must stay until the next call; reads it all anew.
    void ShowSeries(const TimedSeries* series);
    // The series shown has grown.
    void SpectraAdded();
    // The line under the diagram that says how the series stands.
    void SetSeriesState(const QString& text);
    // While "Im Spektrum wählen" waits for a click in the main diagram: takes `nm` as the next
    // wavelength and answers true; otherwise false, and the click is the main window's.
    bool PickWavelength(int nm) override;
    void StopPicking() override;
    // The wavelengths typed or picked, in nm, and the band's half width.
    std::vector<double> Wavelengths() const;
    int BandHalfWidth() const;

    // The fit last made, if it still fits the curves shown.
    const std::optional<KineticFit>& Fit() const { return fit_; }
    // The time course as shown: its quantity, curves and fit, for the table export.
    const TimeCourse* Course() const { return course_.get(); }
    bool Minutes() const;
    // The time course as a table for a spreadsheet: `header` and the fit's parameters as its first line.
    NumberTable Table(std::vector<QString> header) const;
    // The diagram with the fit's parameters beside it, as saved by "Bild des Zeitverlaufs speichern".
    QImage CoursePicture() const;

    QComboBox* QuantityBox;
    QComboBox* TimeUnitBox;
    QComboBox* PlotBox;
    std::array<QLineEdit*, CurveCount> WavelengthEdits;
    QPushButton* PickButton;
    // "Jetzt mischen", shown while a series waits for it.
    QPushButton* MixButton;
    QSpinBox* BandEdit;
    TImageView* Image;
    QLabel* ReadoutLabel;
    QLabel* StateLabel;
    // How many points have no value, and why.
    QLabel* GapLabel;
    QGroupBox* FitGroup;
    QComboBox* CurveBox;
    QComboBox* ModelBox;
    QLineEdit* FromEdit;
    QLineEdit* ToEdit;
    QPushButton* FitButton;
    QLabel* ResultLabel;
    // Why the last wavelength typed was refused; empty after an accepted one.
    QLabel* InputLabel;

    void FitButtonClick();
    void ImageMouseMove(Qt::MouseButtons buttons, int x, int y);
    void ImageMouseDown(Qt::MouseButtons buttons, int x, int y);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Reads the series anew for the chosen quantity and wavelengths, then redraws.
    void Recompute();
    // Draws the diagram from the curves as they are.
    void DrawCourse();
    // Drops the fit: it belonged to other values.
    void ClearFit(const QString& why = {});
    // Shows the fit's parameters in the time unit chosen, after what it must say first.
    void ShowFit();
    // Seconds per unit of the time axis.
    double TimeScale() const;
    std::optional<double> TimeField(const QLineEdit* field) const;
    // Why `text` can't stand in the wavelength `field` or the fit range's `field`; empty when it can.
    QString WavelengthCheck(const QLineEdit* field, const QString& text) const;
    QString RangeCheck(const QLineEdit* field, const QString& text) const;
    void WriteSettings();

    MainWindowLink& mainWindow_;
    const TimedSeries* series_ = nullptr;
    std::unique_ptr<TimeCourse> course_;
    std::array<ColumnEnvelope, CurveCount> envelopes_;
    std::optional<KineticFit> fit_;
    QString fitNote_; // lines shown before the fit's parameters, each ending in a line break
    // The curve and the range in s the fit was made for.
    size_t fitCurve_ = 0;
    double fitFrom_ = 0, fitTo_ = 0;
    // How the last drawing mapped values to pixels, for the readout and the dragging.
    std::optional<ChartFrame> frame_;
    std::optional<double> dragFrom_;
    // Whether the window was shown in this run: only then are its choices and place kept.
    bool used_ = false;
};

extern TTimeCourseForm* TimeCourseForm;
