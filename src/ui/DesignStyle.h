// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProxyStyle>

// The look of every control: the toolkit's own Fusion style, whatever the desktop prefers, so
// that each control needs the same room everywhere; check boxes measured as the fixed layouts
// expect them: a 13-pixel box, the caption 3 pixels to its right, and a one-pixel focus frame
// around the caption.
class TDesignStyle : public QProxyStyle {
    Q_OBJECT
public:
    TDesignStyle();

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override;
};
