// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/DiagramPicture.h"

#include "spectrum/DiagramTexts.h"

#include <QPainter>
#include <algorithm>

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

} // namespace

QString PictureCaption(const QString& name, const QDateTime& when) {
    const QString moment = when.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    return name.trimmed().isEmpty() ? moment : name.trimmed() + QStringLiteral(", ") + moment;
}

QImage DiagramPicture(const DiagramState& state, const PictureOptions& options) {
    const DiagramGeometry& geometry = options.Double ? BigDiagram : MainDiagram;
    QImage diagram = NewCanvasImage(geometry.Width, geometry.Height);
    QImage strip = NewCanvasImage(geometry.Width, geometry.StripHeight);
    TCanvas diagramCanvas(diagram);
    TCanvas stripCanvas(strip);
    std::array<QString, 4> rangeLabels;
    if (options.Double) {
        rangeLabels = DrawBigDiagram(state, diagramCanvas, stripCanvas).RangeLabels;
    } else {
        QImage miniature = NewCanvasImage(MiniatureWidth, MiniatureHeight);
        TCanvas miniatureCanvas(miniature);
        rangeLabels = DrawMainDiagram(state, diagramCanvas, stripCanvas, miniatureCanvas).RangeLabels;
    }
    if (options.WhiteBackground) SwapBlackAndWhite(diagram);

    const TColor background = options.WhiteBackground ? clWhite : clBlack;
    const TColor ink = options.WhiteBackground ? clBlack : clWhite;
    QImage measure = NewCanvasImage(1, 1);
    TCanvas texts(measure);
    texts.SetFontSize(geometry.GridFontSize);
    const QString scale[] = {rangeLabels[0], rangeLabels[1], rangeLabels[2], rangeLabels[3],
                             QStringLiteral("0")};
    int scaleWidth = 0;
    for (const QString& text : scale)
        scaleWidth = std::max(scaleWidth, texts.TextExtent(text).width());
    const int lineHeight = texts.TextExtent(QStringLiteral("0")).height();
    const int stripTop = geometry.Height + lineHeight + 2 * Spacing;
    const int captionTop = stripTop + geometry.StripHeight + Spacing;

    QImage picture =
        NewCanvasImage(geometry.Width + Spacing + scaleWidth + Spacing, captionTop + lineHeight + Spacing);
    picture.fill(options.WhiteBackground ? Qt::white : Qt::black);
    {
        QPainter painter(&picture);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, diagram);
        painter.drawImage(0, stripTop, strip);
    }
    TCanvas canvas(picture);
    canvas.SetFontSize(geometry.GridFontSize);
    canvas.SetBrushColor(background);
    canvas.SetFontColor(ink);
    // Each scale value beside the grid row it stands for, as beside the window's diagram.
    for (int i = 0; i < 5; ++i) {
        const int row = i * geometry.Height / 4;
        canvas.TextOut(geometry.Width + Spacing,
                       std::clamp(row - lineHeight / 2, 0, geometry.Height - lineHeight), scale[i]);
    }
    const QString lambdaMin = QString::number(state.Calibration.LambdaMin) + QStringLiteral("nm");
    const QString lambdaMax = QString::number(state.Calibration.LambdaMax) + QStringLiteral("nm");
    canvas.TextOut(0, geometry.Height + Spacing, lambdaMin);
    canvas.TextOut(geometry.Width - canvas.TextExtent(lambdaMax).width(), geometry.Height + Spacing,
                   lambdaMax);
    canvas.TextOut(0, captionTop, options.Caption);
    return picture;
}
