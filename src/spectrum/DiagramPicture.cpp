// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DiagramPicture.h"

#include "spectrum/DiagramTexts.h"
#include "spectrum/ScreenPicture.h"

#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {

// Pixels between the diagram and the texts beside and under it.
constexpr int Spacing = 3;

// On a white sheet the diagram's black background becomes white and its white lines and texts black.
void SwapBlackAndWhite(QImage& image) {
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (row[x] == black)
                row[x] = white;
            else if (row[x] == white)
                row[x] = black;
    }
}

void Paste(QImage& target, int x, int y, const QImage& part) {
    QPainter painter(&target);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(x, y, part);
}

// A canvas's picture at the screen's scale: its finer copy where there is one.
QImage OnScreen(const TCanvas& canvas, const QImage& picture) {
    return canvas.Screen() ? canvas.Screen()->Image() : picture;
}

// `text` in `ink` on `background`, turned to read upward.
QImage UpwardText(const QString& text, int points, TColor ink, TColor background) {
    QImage measure = NewCanvasImage(1, 1);
    TCanvas measuring(measure);
    measuring.SetFontSize(points);
    const QSize size = measuring.TextExtent(text);
    QImage line = NewCanvasImage(std::max(size.width(), 1), std::max(size.height(), 1));
    TCanvas canvas(line);
    canvas.SetFontSize(points);
    canvas.SetBrushColor(background);
    canvas.SetFontColor(ink);
    canvas.TextOut(0, 0, text);
    return line.transformed(QTransform().rotate(270));
}

} // namespace

QString PictureCaption(const QString& name, const QDateTime& when) {
    const QString moment = when.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    return name.trimmed().isEmpty() ? moment : name.trimmed() + QStringLiteral(", ") + moment;
}

QImage DiagramPicture(const DiagramState& state, const PictureOptions& options) {
    const DiagramGeometry& geometry = options.Double ? BigDiagram : MainDiagram;
    const qreal scale = options.Scale > 1 ? options.Scale : 1;
    QImage diagram = NewCanvasImage(geometry.Width, geometry.Height);
    QImage strip = NewCanvasImage(geometry.Width, geometry.StripHeight);
    TCanvas diagramCanvas(diagram);
    TCanvas stripCanvas(strip);
    diagramCanvas.SetScreenScale(scale);
    stripCanvas.SetScreenScale(scale);
    std::array<QString, 4> rangeLabels;
    if (options.Double) {
        rangeLabels = DrawBigDiagram(state, diagramCanvas, stripCanvas).RangeLabels;
    } else {
        QImage miniature = NewCanvasImage(MiniatureWidth, MiniatureHeight);
        TCanvas miniatureCanvas(miniature);
        rangeLabels = DrawMainDiagram(state, diagramCanvas, stripCanvas, miniatureCanvas).RangeLabels;
    }
    QImage fineDiagram = OnScreen(diagramCanvas, diagram);
    if (options.WhiteBackground) {
        SwapBlackAndWhite(diagram);
        SwapBlackAndWhite(fineDiagram);
    }

    const TColor background = options.WhiteBackground ? clWhite : clBlack;
    const TColor ink = options.WhiteBackground ? clBlack : clWhite;
    QImage measure = NewCanvasImage(1, 1);
    TCanvas texts(measure);
    texts.SetFontSize(geometry.GridFontSize);
    const QString scaleTexts[] = {rangeLabels[0], rangeLabels[1], rangeLabels[2], rangeLabels[3],
                                  QStringLiteral("0")};
    int scaleWidth = 0;
    for (const QString& text : scaleTexts)
        scaleWidth = std::max(scaleWidth, texts.TextExtent(text).width());
    const int lineHeight = texts.TextExtent(QStringLiteral("0")).height();
    const int stripTop = geometry.Height + lineHeight + 2 * Spacing;
    const int captionTop = stripTop + geometry.StripHeight + Spacing;
    const int height = captionTop + lineHeight + Spacing;
    const QImage title = UpwardText(options.AxisTitle, geometry.GridFontSize, ink, background);
    const int titleLeft = geometry.Width + Spacing + scaleWidth + Spacing;
    int width = titleLeft + (options.AxisTitle.isEmpty() ? 0 : title.width() + Spacing);
    // A long name widens the picture rather than being cut.
    width = std::max(width, texts.TextExtent(options.Caption).width());

    QImage picture = NewCanvasImage(width, height);
    picture.fill(options.WhiteBackground ? Qt::white : Qt::black);
    Paste(picture, 0, 0, diagram);
    Paste(picture, 0, stripTop, strip);
    if (!options.AxisTitle.isEmpty())
        Paste(picture, titleLeft, std::max((geometry.Height - title.height()) / 2, 0), title);
    TCanvas canvas(picture);
    // The parts pasted so far start the finer picture enlarged; what follows is drawn finely.
    canvas.SetScreenScale(scale);
    canvas.SetFontSize(geometry.GridFontSize);
    canvas.SetBrushColor(background);
    canvas.SetFontColor(ink);
    // Each scale value beside the grid row it stands for, as beside the window's diagram.
    for (int i = 0; i < 5; ++i) {
        const int row = i * geometry.Height / 4;
        canvas.TextOut(geometry.Width + Spacing,
                       std::clamp(row - lineHeight / 2, 0, geometry.Height - lineHeight), scaleTexts[i]);
    }
    const QString lambdaMin = QString::number(state.Calibration.LambdaMin) + QStringLiteral("nm");
    const QString lambdaMax = QString::number(state.Calibration.LambdaMax) + QStringLiteral("nm");
    canvas.TextOut(0, geometry.Height + Spacing, lambdaMin);
    canvas.TextOut(geometry.Width - canvas.TextExtent(lambdaMax).width(), geometry.Height + Spacing,
                   lambdaMax);
    canvas.TextOut(0, captionTop, options.Caption);
    if (!canvas.Screen()) return picture;

    QImage fine = canvas.Screen()->Image();
    const auto edge = [scale](int coordinate) { return int(std::nearbyint(coordinate * scale)); };
    Paste(fine, 0, 0, fineDiagram);
    Paste(fine, 0, edge(stripTop), OnScreen(stripCanvas, strip));
    return fine;
}
