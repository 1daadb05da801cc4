// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DesignStyle.h"

#include <QStyleFactory>
#include <algorithm>

namespace {

constexpr int CheckBoxSize = 13;
// Half the width of a digit of the design font.
constexpr int CheckBoxLabelSpacing = 3;

} // namespace

TDesignStyle::TDesignStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

int TDesignStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
        return CheckBoxSize;
    case PM_CheckBoxLabelSpacing:
        return CheckBoxLabelSpacing;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize TDesignStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                     const QWidget* widget) const {
    if (type != CT_CheckBox) return QProxyStyle::sizeFromContents(type, option, contents, widget);
    const int captionFrame = contents.isEmpty() ? 0 : CheckBoxLabelSpacing + 2;
    return {CheckBoxSize + captionFrame + contents.width(), std::max(CheckBoxSize, contents.height() + 4)};
}
