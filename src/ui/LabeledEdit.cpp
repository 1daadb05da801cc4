// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LabeledEdit.h"

namespace {
constexpr int LabelSpacing = 3;
}

TLabeledEdit::TLabeledEdit(QWidget* parent, const QRect& place, const QString& caption,
                           LabelPosition position)
    : QLineEdit(parent), EditLabel(new QLabel(caption, parent)) {
    setGeometry(place);
    EditLabel->adjustSize();
    const QSize label = EditLabel->size();
    if (position == LabelPosition::Left)
        EditLabel->move(place.left() - LabelSpacing - label.width(),
                        place.top() + (place.height() - label.height()) / 2);
    else
        EditLabel->move(place.left(), place.top() - LabelSpacing - label.height());
}
