// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QLineEdit>

// A one-line edit with its caption label, 3 pixels apart, on its left or above it.
class TLabeledEdit : public QLineEdit {
    Q_OBJECT
public:
    enum class LabelPosition { Left, Above };

    TLabeledEdit(QWidget* parent, const QRect& place, const QString& caption, LabelPosition position);

    QLabel* EditLabel;
};
