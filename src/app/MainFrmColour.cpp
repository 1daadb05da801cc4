// SPDX-License-Identifier: GPL-3.0-or-later
// The curve colour command.
#include "app/MainFrm.h"

#include <QColorDialog>

namespace {

QColor ToQColor(TColor color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
    return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
           static_cast<TColor>(color.blue()) << 16;
}

} // namespace

QColorDialog* TMainForm::ColorDialog() {
    if (!colorDialog_) {
        colorDialog_ = new QColorDialog(ToQColor(clYellow), this);
        colorDialog_->setOption(QColorDialog::DontUseNativeDialog);
        // The sixteen places for the user's own colours start out white.
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);
    }
    return colorDialog_;
}

void TMainForm::FarbeClick() {
    QColorDialog* dialog = ColorDialog();
    dialog->setCurrentColor(ToQColor(CurveColor));
    if (dialog->exec() != QDialog::Accepted) return;
    CurveColor = FromQColor(dialog->currentColor());
    DrawSpectrum();
}
