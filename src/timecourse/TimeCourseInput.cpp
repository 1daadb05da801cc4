// SPDX-License-Identifier: GPL-3.0-or-later
// The time-course window's checks of typed wavelengths and fit ranges.
#include "timecourse/TimeCourseDlg.h"

#include "ui/CheckedTyping.h"

#include <QLineEdit>

QString TTimeCourseForm::WavelengthCheck(const QLineEdit* field, const QString& text) const {
    if (text.trimmed().isEmpty()) return {};
    const std::optional<double> nm = TypedNumber(text);
    const WavelengthCalibration& calibration =
        series_ ? series_->Calibration : mainWindow_.SharedState().Calibration;
    if (!nm) return QStringLiteral("„%1“ ist keine Wellenlänge.").arg(text.trimmed());
    if (*nm < calibration.LambdaMin || *nm > calibration.LambdaMax)
        return QStringLiteral("Kalibriert sind %1–%2 nm.")
            .arg(calibration.LambdaMin)
            .arg(calibration.LambdaMax);
    for (const QLineEdit* other : WavelengthEdits)
        if (other != field && TypedNumber(other->text()) == nm)
            return QStringLiteral("%1 nm ist schon gewählt.").arg(text.trimmed());
    return {};
}

QString TTimeCourseForm::RangeCheck(const QLineEdit* field, const QString& text) const {
    if (text.trimmed().isEmpty()) return {};
    const std::optional<double> t = TypedNumber(text);
    if (!t || *t < 0) return QStringLiteral("„%1“ ist keine Zeit.").arg(text.trimmed());
    // An empty start is the first point, an empty end the last.
    const double from = field == FromEdit ? *t : TypedNumber(FromEdit->text()).value_or(0);
    const std::optional<double> to = field == ToEdit ? t : TypedNumber(ToEdit->text());
    if (to && !(from < *to)) return QStringLiteral("Der Bereich ist leer: „von“ muss vor „bis“ liegen.");
    return {};
}
