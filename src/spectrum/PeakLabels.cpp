// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/PeakLabels.h"

#include <algorithm>
#include <cmath>

namespace {

// Pixels between a label and the top it names; beside a top the gap also clears a mark two pixels wide.
constexpr int Gap = 1;
constexpr int SideGap = 2;

} // namespace

QString PeakLabelText(const Peak& peak) {
    return QString::number(peak.Wavelength) + QStringLiteral("nm");
}

std::vector<PlacedPeakLabel> PlacePeakLabels(const std::vector<Peak>& peaks, const DiagramGeometry& geometry,
                                             int32_t divisor,
                                             const std::function<QSize(const QString&)>& extent,
                                             const std::vector<QRect>& taken) {
    const QRect diagram(0, 0, geometry.Width, geometry.Height);
    std::vector<QRect> occupied = taken;
    std::vector<PlacedPeakLabel> labels;
    for (const Peak& peak : peaks) {
        const QString text = PeakLabelText(peak);
        const QSize size = extent(text);
        const int x = static_cast<int>(std::floor(peak.Channel * geometry.ColumnsPerChannel));
        const int64_t row =
            geometry.Height - 1 - int64_t(geometry.LevelFactor) * peak.Level / std::max(divisor, 1);
        const int top = static_cast<int>(std::max<int64_t>(row, 0));
        const int centred = std::clamp(x - size.width() / 2, 0, std::max(geometry.Width - size.width(), 0));
        const QRect candidates[] = {
            QRect(QPoint(centred,
                         static_cast<int>(std::max<int64_t>(row - Gap - size.height(), -size.height()))),
                  size),
            QRect(QPoint(x + 1 + SideGap, top), size),
            QRect(QPoint(x - SideGap - size.width(), top), size),
        };
        for (const QRect& cell : candidates) {
            const bool free = std::none_of(occupied.begin(), occupied.end(),
                                           [&](const QRect& other) { return other.intersects(cell); });
            if (!diagram.contains(cell) || !free) continue;
            labels.push_back({text, cell});
            occupied.push_back(cell);
            break;
        }
    }
    return labels;
}
