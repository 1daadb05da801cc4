// SPDX-License-Identifier: GPL-3.0-or-later
// The large diagram and its colour strip: twice the size, wide marks, no miniature strip.
#include "DiagramTestSupport.h"

#include "spectrum/SpectralColours.h"

#include <climits>

namespace {

class BigDiagram : public DiagramTest {
protected:
    BigDiagramTexts Draw() { return DrawBigDiagram(state, image, strip); }

    QImage diagramPicture = NewCanvasImage(1021, 512);
    QImage stripPicture = NewCanvasImage(1021, 45);
    TCanvas image{diagramPicture};
    TCanvas strip{stripPicture};
};

TEST_F(BigDiagram, LevelsStandTwiceAsHighAsInTheMainDiagram) {
    Measure({{0, 100}, {127, 100}});
    for (int c = 0; c < 128; ++c)
        state.Values.Levels[c] = 100;
    const BigDiagramTexts texts = Draw();
    EXPECT_TRUE(RowIs(image, 311, 0, 1015, clYellow));
    EXPECT_EQ(image.Pixel(1016, 311), clBlack);
    EXPECT_TRUE(RowIs(image, 310, 0, 1020, clBlack));
    EXPECT_EQ(texts.RangeLabels, (std::array<QString, 4>{"256", "192", "128", "64"}));
    EXPECT_EQ(texts.LambdaMin, "360nm");
    EXPECT_EQ(texts.LambdaMax, "675nm");

    QImage mainPictures[] = {NewCanvasImage(509, 256), NewCanvasImage(509, 45), NewCanvasImage(128, 25)};
    TCanvas main[] = {TCanvas(mainPictures[0]), TCanvas(mainPictures[1]), TCanvas(mainPictures[2])};
    EXPECT_EQ(DrawMainDiagram(state, main[0], main[1], main[2]).RangeLabels, texts.RangeLabels);
    EXPECT_EQ(main[0].Pixel(100, 155), clYellow);
}

TEST_F(BigDiagram, PeakLabelsInTheLargerFontAboveTheTops) {
    Measure({{75, 200}}, 1);
    state.PeakLabels = true;
    const std::vector<PlacedPeakLabel> labels = Draw().PeakLabels;
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].Cell.bottom(), 511 - 400 - 2);
    EXPECT_TRUE(ShowsGridText(image, labels[0].Cell.left(), labels[0].Cell.top(), "546nm", 12, clWhite));
}

TEST_F(BigDiagram, BarsInEighthSteps) {
    Measure({{5, 100}, {6, 104}});
    state.Options.Balkendiagramm = true;
    Draw();
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(RunFromBottom(image, 40 + i, clYellow), 200 + i) << 40 + i;
}

TEST_F(BigDiagram, GridLinesAndLargerTexts) {
    Measure({});
    state.Options.Gitter = true;
    Draw();
    for (const int x : {129, 290, 451, 612, 774, 935})
        EXPECT_TRUE(IsGridLine(image, x, 30)) << x;
    for (const int y : {128, 256, 384})
        EXPECT_TRUE(RowIs(image, y, 0, 1020, clGray)) << y;

    EXPECT_TRUE(ShowsGridText(image, 113, 1, QStringLiteral("400nm"), 12));

    FullBars();
    Draw();
    EXPECT_TRUE(ColumnIs(image, 0, 1, 127, clYellow)) << "the 350 nm text stands wholly left of the picture";
}

TEST_F(BigDiagram, MarksLinesAndReferenceAreTwoPixelsWide) {
    Measure({{10, 0}, {20, 300}}, 2);
    state.Values.MinChannel = 10;
    state.Options.Min = state.Options.Max = true;
    state.LinesShown = true;
    state.Lines = {546};
    state.ReferenceValue = 200;
    Draw();
    EXPECT_TRUE(ColumnIs(image, 79, 1, 310, clGreen));
    EXPECT_TRUE(ColumnIs(image, 80, 1, 310, clGreen));
    EXPECT_EQ(image.Pixel(81, 100), clBlack);
    EXPECT_TRUE(ColumnIs(image, 159, 1, 310, clRed));
    EXPECT_TRUE(ColumnIs(image, 160, 1, 310, clRed));
    // The strip shows no marks.
    EXPECT_EQ(strip.Pixel(80, 30), WavelengthColor(ChannelWavelength(state.Calibration, 10, 0), 1));
    EXPECT_EQ(strip.Pixel(160, 10), WavelengthColor(ChannelWavelength(state.Calibration, 20, 0), 1));

    EXPECT_TRUE(ColumnIs(image, 598, 1, 511, clWhite));
    EXPECT_TRUE(ColumnIs(image, 599, 1, 511, clWhite));
    EXPECT_EQ(image.Pixel(600, 100), clBlack);
    EXPECT_TRUE(ColumnIs(strip, 599, 22, 43, clBlack));
    EXPECT_NE(strip.Pixel(598, 30), clBlack);

    EXPECT_TRUE(RowIs(image, 311, 0, 1020, clWhite));
    EXPECT_TRUE(RowIs(image, 312, 0, 1020, clWhite));
    EXPECT_EQ(image.Pixel(300, 313), clBlack);

    // The next pass starts again with a one-pixel pen for the curve.
    state.Options = {};
    state.LinesShown = false;
    state.ReferenceValue = 0;
    Draw();
    EXPECT_EQ(image.Pixel(300, 510), clBlack);
    EXPECT_EQ(image.Pixel(300, 511), clYellow);
}

TEST_F(BigDiagram, StripColumnsInEighthSteps) {
    Measure({{75, 1000}});
    Draw();
    EXPECT_TRUE(ColumnIs(strip, 600, 0, 44, 0x00FF96u)); // 546 nm at full brightness
    EXPECT_TRUE(ColumnIs(strip, 602, 22, 44, WavelengthColor(547, 1)));
    EXPECT_TRUE(ColumnIs(strip, 602, 0, 21, WavelengthColor(547, 0.75)));
}

TEST_F(BigDiagram, HugeLevelsFillTheWholeHeight) {
    state.Values.Levels.fill(INT32_MAX);
    state.Values.MaxReading = INT32_MAX;
    state.Values.ScaleDivisor = INT32_MAX / 256 + 1;
    state.Options.Balkendiagramm = true;
    Draw();
    EXPECT_TRUE(ColumnIs(image, 0, 1, 511, clYellow)); // 511 rows, as in the main diagram's 255
    state.Calibration.SetRange(600, 500);
    state.Options.Gitter = true;
    Draw();
    EXPECT_TRUE(RowIs(image, 128, 0, 1020, clGray));
}

} // namespace
