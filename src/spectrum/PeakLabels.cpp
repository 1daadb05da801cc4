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
    if (peak.Saturated) return QStringLiteral("übersteuert");
    return QString::number(peak.Wavelength) + QStringLiteral("nm");
}

std::vector<PlacedPeakLabel> PlacePeakLabels(const std::vector<Peak>& peaks, const DiagramGeometry& geometry,
                                             int32_t divisor,
                                             const std::function<QSize(const QString&)>& extent,
                                             const std::vector<QRect>& taken) {
    const QRect diagram(0, 0, geometry.Width, geometry.Height);
    std::vector<PlacedPeakLabel> labels;
    const auto meets = [](const std::vector<QRect>& boxes, const QRect& cell) {
        return std::any_of(boxes.begin(), boxes.end(),
                           [&](const QRect& box) { return box.intersects(cell); });
    };
    std::vector<QRect> written;
    for (const Peak& peak : peaks) {
        const QString text = PeakLabelText(peak);
        const QSize size = extent(text);
        const int x = static_cast<int>(std::floor(peak.Channel * geometry.ColumnsPerChannel));
        const int64_t row =
            geometry.Height - 1 - int64_t(geometry.LevelFactor) * peak.Level / std::max(divisor, 1);
        const int beside = static_cast<int>(std::max<int64_t>(row, 0));
        const int above = static_cast<int>(std::max<int64_t>(row - Gap - size.height(), -size.height()));
        const int centred = std::clamp(x - size.width() / 2, 0, std::max(geometry.Width - size.width(), 0));
        std::vector<QRect> candidates = {QRect(QPoint(centred, above), size),
                                         QRect(QPoint(x + 1 + SideGap, beside), size),
                                         QRect(QPoint(x - SideGap - size.width(), beside), size)};
        // A top at full scale is where a class needs the word: where the usual places are taken, its
        // label moves down beside the top, right or else left, to the first row where it fits.
        if (peak.Saturated)
            for (int y = beside + 1; y + size.height() <= geometry.Height; ++y) {
                candidates.emplace_back(QPoint(x + 1 + SideGap, y), size);
                candidates.emplace_back(QPoint(x - SideGap - size.width(), y), size);
            }
        for (const QRect& cell : candidates) {
            if (!diagram.contains(cell) || meets(taken, cell)) continue;
            // Two labels in each other's way: the higher peak keeps its label.
            if (meets(written, cell)) {
                if (peak.Saturated) continue;
                break;
            }
            labels.push_back({text, cell});
            written.push_back(cell);
            break;
        }
    }
    return labels;
}
