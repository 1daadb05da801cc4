// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/SpectrumFileDialog.h"

class QComboBox;

// The save dialog of a picture of the diagram, with the picture's size and background to choose.
class TPictureFileDialog : public TSpectrumFileDialog {
    Q_OBJECT
public:
    explicit TPictureFileDialog(QWidget* parent);

    // "wie auf dem Bildschirm" (0) or "doppelt so groß" (1).
    QComboBox* SizeBox;
    // "schwarz" (0) or "weiß" (1).
    QComboBox* BackgroundBox;
};
