// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "spectrum/SpectrumModel.h"

#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>
#include <map>
#include <memory>

class TScreenPicture;

// How the pen meets the pixels already there.
enum class TPenMode {
    Copy,  // the pen colour replaces the pixel
    Merge, // the pen colour is OR-ed into the pixel
};

// A new off-screen picture of the given size in the layout the canvas paints (32-bit RGB, 96 dpi), black.
QImage NewCanvasImage(int width, int height);

// Drawing on an off-screen picture that the caller owns and keeps alive, in the classic canvas manner:
// a pen (colour, mode, width), a brush for fills and text backgrounds, a font, and a current position
// that persists between calls. Pixels that fall outside the picture are dropped.
//
// Lines: LineTo paints from the current position toward the end point, the start point included and
// the end point never, then makes the end point the current position. The pixels are those of the
// Bresenham line: one pixel per step along the longer axis (the x axis when both are equally long);
// where the ideal line passes exactly halfway between two pixels, the one on the start point's side is
// taken. A line to the current position itself paints nothing. A pen of width 2 paints each of those
// pixels and its neighbour one step back across the line: the pixel to the left (x − 1) on lines that
// run mostly vertically, the pixel above (y − 1) on lines that run mostly horizontally.
class TCanvas {
public:
    explicit TCanvas(QImage& image);
    ~TCanvas();

    int Width() const { return image_->width(); }
    int Height() const { return image_->height(); }

    void SetPenColor(TColor color) { penColor_ = color; }
    TColor PenColor() const { return penColor_; }
    void SetPenMode(TPenMode mode) { penMode_ = mode; }
    TPenMode PenMode() const { return penMode_; }
    // Width 1 or 2; any other value counts as 1.
    void SetPenWidth(int width) { penWidth_ = width == 2 ? 2 : 1; }
    int PenWidth() const { return penWidth_; }
    void SetBrushColor(TColor color) { brushColor_ = color; }
    void SetFontColor(TColor color) { fontColor_ = color; }
    // Font size in points at 96 dpi; the canvas starts with 8 points. The face is the design font of
    // that size (DesignFonts.h), unsmoothed, so glyph pixels have exactly the font colour.
    void SetFontSize(int points);
    int FontSize() const { return fontPoints_; }

    // Makes (x, y) the current position without painting.
    void MoveTo(int x, int y);
    // Paints the line from the current position to (x, y) as described above.
    void LineTo(int x, int y);
    // Fills left ≤ x < right, top ≤ y < bottom with the brush colour.
    void FillRect(int left, int top, int right, int bottom);
    // Writes `text` with its cell's top left corner at (x, y): the cell filled with the brush colour,
    // the glyphs in the font colour, without smoothing. The current position does not move.
    void TextOut(int x, int y, const QString& text);
    // Width and height of the cell TextOut fills for `text` in the current font.
    QSize TextExtent(const QString& text) const;

    // Takes every drawing step again on a picture `scale` times finer, for a scaled screen (none at 1);
    // it starts as the picture enlarged.
    void SetScreenScale(qreal scale);
    // That finer picture, or nothing on a screen of the layout's own resolution.
    const TScreenPicture* Screen() const { return screen_.get(); }

    // Colour of the pixel at (x, y); ClrInvalid outside the picture.
    TColor Pixel(int x, int y) const;
    static constexpr TColor ClrInvalid = 0xFFFFFFFF;

private:
    // The filled cell of `text` in the current font and colours, made once and kept.
    const QImage& TextCell(const QString& text);

    QImage* image_;
    TColor penColor_ = clBlack;
    TPenMode penMode_ = TPenMode::Copy;
    int penWidth_ = 1;
    TColor brushColor_ = clWhite;
    TColor fontColor_ = clBlack;
    int fontPoints_ = 8;
    QFont font_;
    int penX_ = 0;
    int penY_ = 0;
    static constexpr size_t MaxTextCells = 64;
    std::map<QString, QImage> textCells_;
    std::unique_ptr<TScreenPicture> screen_;
};
