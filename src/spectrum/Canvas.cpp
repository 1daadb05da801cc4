// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/Canvas.h"

#include "spectrum/DesignFonts.h"
#include "spectrum/ScreenPicture.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Screen resolution the diagrams are laid out for: 96 dots per inch.
constexpr int DotsPerMeter = 3780;

// Pictures hold 0xAARRGGBB; the program's colours are 0x00BBGGRR.
uint32_t ToArgb(TColor color) {
    return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
}

TColor FromArgb(QRgb pixel) {
    return static_cast<TColor>(qRed(pixel)) | static_cast<TColor>(qGreen(pixel)) << 8 |
           static_cast<TColor>(qBlue(pixel)) << 16;
}

// Writes single pixels of one picture quickly, dropping those outside it.
class PixelWriter {
public:
    PixelWriter(QImage& image, uint32_t argb, TPenMode mode)
        : bits_(image.bits()), stride_(image.bytesPerLine()), width_(image.width()), height_(image.height()),
          argb_(argb), merge_(mode == TPenMode::Merge) {}

    void Plot(int64_t x, int64_t y) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        auto* pixel = reinterpret_cast<uint32_t*>(bits_ + y * stride_) + x;
        *pixel = merge_ ? (*pixel | argb_) : argb_;
    }

    // `count` pixels from (x, y) on in steps of (stepX, stepY). The caller keeps the run inside the picture
    // along its direction, so the first pixel tells whether the run lies across it.
    void Run(int64_t x, int64_t y, int stepX, int stepY, int64_t count) const {
        if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
        auto* pixel = reinterpret_cast<uint32_t*>(bits_ + y * stride_) + x;
        const int64_t step = stepY * stride_ / int64_t(sizeof(uint32_t)) + stepX;
        for (int64_t i = 0; i < count; ++i, pixel += step)
            *pixel = merge_ ? (*pixel | argb_) : argb_;
    }

private:
    uchar* bits_;
    int64_t stride_;
    int64_t width_;
    int64_t height_;
    uint32_t argb_;
    bool merge_;
};

} // namespace

QImage NewCanvasImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(DotsPerMeter);
    image.setDotsPerMeterY(DotsPerMeter);
    image.fill(Qt::black);
    return image;
}

TCanvas::TCanvas(QImage& image) : image_(&image) {
    if (image_->format() != QImage::Format_RGB32) *image_ = image_->convertToFormat(QImage::Format_RGB32);
    SetFontSize(fontPoints_);
}

TCanvas::~TCanvas() = default;

void TCanvas::SetFontSize(int points) {
    fontPoints_ = points;
    font_ = CanvasFont(points, 1);
}

void TCanvas::SetScreenScale(qreal scale) {
    if (qFuzzyCompare(scale, 1))
        screen_.reset();
    else if (!screen_ || !qFuzzyCompare(screen_->Scale(), scale))
        screen_ = std::make_unique<TScreenPicture>(*image_, scale);
}

void TCanvas::MoveTo(int x, int y) {
    penX_ = x;
    penY_ = y;
}

void TCanvas::LineTo(int x, int y) {
    const int64_t dx = int64_t(x) - penX_;
    const int64_t dy = int64_t(y) - penY_;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t majorStart = xMajor ? penX_ : penY_;
    const int64_t minorStart = xMajor ? penY_ : penX_;
    const int64_t majorDelta = xMajor ? dx : dy;
    const int64_t minorDelta = xMajor ? dy : dx;
    const int64_t majorSize = xMajor ? Width() : Height();
    const int majorDir = majorDelta < 0 ? -1 : 1;
    const int minorDir = minorDelta < 0 ? -1 : 1;
    const uint64_t steps = static_cast<uint64_t>(std::llabs(majorDelta));
    const uint64_t minorRun = static_cast<uint64_t>(std::llabs(minorDelta));
    if (screen_) screen_->Line(penX_, penY_, x, y, penColor_, penMode_, penWidth_);
    penX_ = x;
    penY_ = y;

    // Only the steps whose coordinate along the longer axis lies inside the picture can show, so a line
    // to a point far outside costs no more than one across the picture.
    int64_t first = majorDir > 0 ? -majorStart : majorStart - majorSize + 1;
    int64_t end = majorDir > 0 ? majorSize - majorStart : majorStart + 1;
    first = std::max<int64_t>(first, 0);
    end = std::min<int64_t>(end, static_cast<int64_t>(steps));
    if (first >= end) return;

    const PixelWriter writer(*image_, ToArgb(penColor_), penMode_);
    if (minorRun == 0) {
        // Straight lines, nearly all the diagrams draw, need no stepping across.
        const int64_t majorFirst = majorStart + majorDir * first;
        for (int64_t minor = minorStart - (penWidth_ - 1); minor <= minorStart; ++minor) {
            if (xMajor)
                writer.Run(majorFirst, minor, majorDir, 0, end - first);
            else
                writer.Run(minor, majorFirst, 0, majorDir, end - first);
        }
        return;
    }
    // After i steps the ideal line has moved i × minorRun / steps across; quotient and remainder of that
    // fraction are carried from step to step.
    const uint64_t product = static_cast<uint64_t>(first) * minorRun;
    uint64_t whole = product / steps;
    uint64_t remainder = product % steps;
    for (int64_t i = first; i < end; ++i) {
        const uint64_t offset = whole + (2 * remainder > steps ? 1 : 0);
        const int64_t major = majorStart + majorDir * i;
        const int64_t minor = minorStart + minorDir * static_cast<int64_t>(offset);
        if (xMajor)
            writer.Plot(major, minor);
        else
            writer.Plot(minor, major);
        if (penWidth_ == 2) {
            if (xMajor)
                writer.Plot(major, minor - 1);
            else
                writer.Plot(minor - 1, major);
        }
        remainder += minorRun;
        if (remainder >= steps) {
            remainder -= steps;
            ++whole;
        }
    }
}

void TCanvas::FillRect(int left, int top, int right, int bottom) {
    if (screen_) screen_->FillRect(left, top, right, bottom, brushColor_);
    const int x0 = std::max(left, 0);
    const int x1 = std::min(right, Width());
    const int y0 = std::max(top, 0);
    const int y1 = std::min(bottom, Height());
    if (x0 >= x1 || y0 >= y1) return;
    uchar* bits = image_->bits();
    const qsizetype stride = image_->bytesPerLine();
    auto* first = reinterpret_cast<uint32_t*>(bits + y0 * stride) + x0;
    std::fill(first, first + (x1 - x0), ToArgb(brushColor_));
    for (int y = y0 + 1; y < y1; ++y)
        std::memcpy(reinterpret_cast<uint32_t*>(bits + y * stride) + x0, first,
                    size_t(x1 - x0) * sizeof(uint32_t));
}

QSize TCanvas::TextExtent(const QString& text) const {
    const QFontMetrics metrics(font_, image_);
    return {metrics.horizontalAdvance(text), metrics.height()};
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    const QImage& cell = TextCell(text);
    if (screen_)
        screen_->TextOut(x, y, cell.size(), QFontMetrics(font_, image_).ascent(), text, fontPoints_,
                         fontColor_, brushColor_);
    // A cell entirely outside leaves the picture as it is.
    if (int64_t(x) + cell.width() <= 0 || int64_t(y) + cell.height() <= 0 || x >= Width() || y >= Height())
        return;
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = static_cast<int>(std::min<int64_t>(int64_t(x) + cell.width(), Width()));
    const int y1 = static_cast<int>(std::min<int64_t>(int64_t(y) + cell.height(), Height()));
    for (int row = y0; row < y1; ++row)
        std::memcpy(reinterpret_cast<uint32_t*>(image_->scanLine(row)) + x0,
                    reinterpret_cast<const uint32_t*>(cell.constScanLine(row - y)) + (x0 - x),
                    size_t(x1 - x0) * sizeof(uint32_t));
}

const QImage& TCanvas::TextCell(const QString& text) {
    // The diagrams write the same few texts on every redraw; laying out and rasterising them once
    // keeps a redraw cheap. The cell is exactly what painting in place would give.
    const QString key = QString::number(fontPoints_) + QLatin1Char(':') + QString::number(fontColor_) +
                        QLatin1Char(':') + QString::number(brushColor_) + QLatin1Char(':') + text;
    auto found = textCells_.find(key);
    if (found != textCells_.end()) return found->second;
    if (textCells_.size() >= MaxTextCells) textCells_.clear();
    const QFontMetrics metrics(font_, image_);
    QImage cell = NewCanvasImage(std::max(1, metrics.horizontalAdvance(text)), std::max(1, metrics.height()));
    cell.fill(ToArgb(brushColor_));
    if (metrics.horizontalAdvance(text) > 0) {
        QPainter painter(&cell);
        painter.setFont(font_);
        painter.setPen(QColor::fromRgb(ToArgb(fontColor_)));
        painter.drawText(0, metrics.ascent(), text);
    }
    return textCells_.emplace(key, std::move(cell)).first->second;
}

TColor TCanvas::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return ClrInvalid;
    return FromArgb(image_->pixel(x, y));
}
