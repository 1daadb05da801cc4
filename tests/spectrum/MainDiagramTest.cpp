// SPDX-License-Identifier: GPL-3.0-or-later
// The main diagram, its colour strip and the miniature strip, pixel by pixel.
#include "DiagramTestSupport.h"

#include "spectrum/DiagramPicture.h"
#include "spectrum/DiagramTexts.h"
#include "spectrum/SpectralColours.h"

#include <climits>
#include <cmath>

namespace {

class MainDiagram : public DiagramTest {
protected:
    MainDiagramTexts Draw() { return DrawMainDiagram(state, image, strip, miniature); }

    QImage diagramPicture = NewCanvasImage(509, 256);
    QImage stripPicture = NewCanvasImage(509, 45);
    QImage miniaturePicture = NewCanvasImage(128, 25);
    TCanvas image{diagramPicture};
    TCanvas strip{stripPicture};
    TCanvas miniature{miniaturePicture};
};

TEST_F(MainDiagram, GridLinesEvery50nmWithTheirWavelengths) {
    Measure({});
    state.Options.Gitter = true;
    Draw();
    for (const int x : {64, 145, 225, 306, 387, 467})
        EXPECT_TRUE(IsGridLine(image, x, 20)) << x;
    EXPECT_TRUE(ColumnIs(image, 0, 20, 63, clBlack)); // the 350 nm line lies at x = −16
    for (const int y : {0, 64, 128, 192})
        EXPECT_TRUE(RowIs(image, y, y == 0 ? 250 : 0, y == 0 ? 285 : 508, clGray)) << y;

    EXPECT_TRUE(ShowsGridText(image, 48, 1, QStringLiteral("400nm"), 8));

    // The 350 nm text stands wholly left of the picture: full bars keep their first columns.
    FullBars();
    Draw();
    EXPECT_TRUE(ColumnIs(image, 0, 1, 63, clYellow));
    EXPECT_TRUE(ColumnIs(image, 1, 1, 63, clYellow));
}

TEST_F(MainDiagram, PeakLabelsAboveTheTopsClearOfEachOtherAndOfTheGridTexts) {
    Measure({{120, 250}, {75, 200}, {81, 190}, {30, 150}}, 1);
    state.PeakLabels = true;
    std::vector<PlacedPeakLabel> labels = Draw().PeakLabels;
    ASSERT_EQ(labels.size(), 3u) << "561 nm would meet the label of 546 nm";
    EXPECT_EQ(labels[0].Text, "658nm");
    EXPECT_EQ(labels[0].Cell.topLeft(), QPoint(480 - 2 - labels[0].Cell.width(), 5)) << "no room above";
    EXPECT_EQ(labels[1].Text, "546nm");
    EXPECT_EQ(labels[1].Cell.bottom(), 255 - 200 - 2);
    EXPECT_EQ(labels[1].Cell.left(), 300 - labels[1].Cell.width() / 2);
    EXPECT_EQ(labels[2].Text, "434nm");
    for (const PlacedPeakLabel& label : labels)
        EXPECT_TRUE(ShowsGridText(image, label.Cell.left(), label.Cell.top(), label.Text, 8, clWhite));

    Measure({{16, 235}}, 1);
    state.Options.Gitter = true;
    labels = Draw().PeakLabels;
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].Cell.topLeft(), QPoint(67, 20)) << "beside the top, below the grid text";
    EXPECT_TRUE(ShowsGridText(image, 48, 1, QStringLiteral("400nm"), 8));

    Measure({{3, 200}}, 1);
    labels = Draw().PeakLabels;
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labels[0].Cell.topLeft(), QPoint(0, 255 - 200 - 1 - labels[0].Cell.height()))
        << "above the top near the edge, moved inside";

    Measure({{30, 40}, {100, 800}}, 4);
    EXPECT_EQ(Draw().PeakLabels.size(), 1u) << "a bump under 5 % of the larger scale";

    // A clipped top has no trustworthy wavelength; its lower neighbour keeps its own.
    Measure({{40, 250}, {75, 200}}, 1);
    state.Options.Gitter = false;
    for (const int clipped : {40, 41, 42}) {
        state.Saturated.reset();
        state.Saturated.set(size_t(clipped));
        labels = Draw().PeakLabels;
        ASSERT_EQ(labels.size(), 2u) << clipped;
        EXPECT_EQ(labels[0].Text, clipped == 42 ? QStringLiteral("459nm") : QStringLiteral("übersteuert"))
            << clipped;
        EXPECT_TRUE(
            ShowsGridText(image, labels[0].Cell.left(), labels[0].Cell.top(), labels[0].Text, 8, clWhite));
        EXPECT_EQ(labels[1].Text, "546nm") << clipped;
    }

    // A top at full scale still says so where its usual places are taken: in the first row below the
    // grid text at 400 nm right of the top, at the right edge left of it, below the label of an equal
    // top close by. An unclipped top there stays unnamed, as before.
    const int below = 1 + image.TextExtent(QStringLiteral("400nm")).height();
    const QSize word = image.TextExtent(QStringLiteral("übersteuert"));
    const struct {
        std::vector<int> Tops;
        bool Clipped;
        bool Grid;
        std::vector<QPoint> Places;
    } cases[] = {{{16}, true, true, {{67, below}}},
                 {{126}, true, true, {{504 - 2 - word.width(), below}}},
                 {{16}, false, true, {}},
                 {{60, 70}, true, false, {{243, 0}, {283, word.height()}}}};
    for (const auto& c : cases) {
        Measure({}, 4);
        state.Saturated.reset();
        for (const int top : c.Tops) {
            state.Values.Readings[size_t(top)] = 1023;
            if (c.Clipped) state.Saturated.set(size_t(top));
        }
        ComputeLevels(state.Values, state.Calibration, 0, LevelOptions{false, false, 4});
        state.Options.Gitter = c.Grid;
        labels = Draw().PeakLabels;
        ASSERT_EQ(labels.size(), c.Places.size()) << c.Tops[0];
        for (size_t i = 0; i < labels.size(); ++i) {
            EXPECT_EQ(labels[i].Text, "übersteuert");
            EXPECT_EQ(labels[i].Cell.topLeft(), c.Places[i]) << c.Tops[i];
            EXPECT_TRUE(ShowsGridText(image, c.Places[i].x(), c.Places[i].y(), labels[i].Text, 8, clWhite));
        }
    }
}

TEST_F(MainDiagram, AComparisonSpectrumStandsAtItsOwnWavelengths) {
    Measure({}, 1);
    state.Comparison = ComparisonCurve{};
    state.Comparison->Calibration.SetRange(400, 654); // 2 nm per channel: channel 50 at 500 nm
    state.Comparison->Levels[50] = 100;
    Draw();
    EXPECT_EQ(image.Pixel(225, 155), clFuchsia);
    EXPECT_EQ(image.Pixel(100, 255), clFuchsia);
    EXPECT_EQ(image.Pixel(63, 255), clYellow) << "the comparison starts at 400 nm";

    // Its name, sixty characters long, whole at the right edge below the grid texts.
    const QString name =
        QStringLiteral("Vergleich: Natriumdampflampe mit Gitter 2, Messung der Klasse 10b, Mon.");
    state.Comparison->Name = name.mid(11);
    state.Options.Gitter = true;
    Draw();
    const QSize cell = image.TextExtent(name);
    ASSERT_GE(509 - 2 - cell.width(), 0);
    EXPECT_TRUE(ShowsGridText(image, 509 - 2 - cell.width(), cell.height() + 2, name, 8, clFuchsia));
    EXPECT_TRUE(ShowsGridText(image, 467 - 16, 1, QStringLiteral("650nm"), 8));
}

TEST_F(MainDiagram, APictureNamesItsAxisAndComesAtTheSizeTheScreenShows) {
    FullBars();
    PictureOptions options;
    options.Caption = QStringLiteral("Probe");
    const QImage plain = DiagramPicture(state, options);
    // The title's extent right of the scale: its first and last rows with a white pixel.
    const auto titleRows = [&](const QImage& picture) {
        int top = -1, bottom = -1;
        for (int y = 0; y < 256; ++y)
            for (int x = plain.width(); x < picture.width(); ++x)
                if (picture.pixel(x, y) == qRgb(255, 255, 255)) {
                    if (top < 0) top = y;
                    bottom = y;
                }
        return std::make_pair(top, bottom);
    };
    EXPECT_EQ(titleRows(plain).first, -1);
    options.AxisTitle = QStringLiteral("Extinktion");
    const auto [shortTop, shortBottom] = titleRows(DiagramPicture(state, options));
    options.AxisTitle = QStringLiteral("Transmission in %");
    const QImage titled = DiagramPicture(state, options);
    const auto [top, bottom] = titleRows(titled);
    EXPECT_GT(bottom - top, shortBottom - shortTop) << "read upward, the longer title is the taller";
    EXPECT_NEAR(top, 255 - bottom, 3) << "centred on the diagram";
    EXPECT_EQ(titled.pixel(300, 100), qRgb(255, 255, 0));

    // A screen at 144 dpi shows everything half as large again, the diagram drawn as finely.
    options.Scale = 1.5;
    const QImage fine = DiagramPicture(state, options);
    EXPECT_EQ(fine.size(),
              QSize(std::nearbyint(titled.width() * 1.5), std::nearbyint(titled.height() * 1.5)));
    EXPECT_EQ(fine.pixel(450, 150), qRgb(255, 255, 0));
    EXPECT_EQ(fine.pixel(762, 150), qRgb(255, 255, 0)) << "the last bar column, 508 × 1.5";
    EXPECT_EQ(fine.pixel(765, 150), qRgb(0, 0, 0));
}

TEST_F(MainDiagram, SpectralLinesMarkDiagramScaleBandAndMiniature) {
    Measure({});
    state.LinesShown = true;
    state.Lines = {546, 404, 380};
    Draw();
    for (const int x : {299, 70, 32}) {
        EXPECT_TRUE(ColumnIs(image, x, 1, 255, clWhite)) << x;
        EXPECT_EQ(image.Pixel(x, 0), clBlack) << x;
        EXPECT_EQ(image.Pixel(x + 1, 100), clBlack) << x;
        EXPECT_TRUE(ColumnIs(strip, x, 22, 43, clBlack)) << x;
        EXPECT_NE(strip.Pixel(x, 44), clBlack) << x;
        EXPECT_TRUE(ColumnIs(miniature, x / 4, 1, 24, clWhite)) << x;
    }
    EXPECT_NE(strip.Pixel(300, 30), clBlack);

    state.Calibration.SetRange(300, 1570); // 10 nm per channel: 299 and 1572 nm would land on x 0 and 508
    state.Lines = {299, 1572};
    Draw();
    EXPECT_TRUE(ColumnIs(image, 0, 0, 254, clBlack));
    EXPECT_TRUE(ColumnIs(image, 508, 0, 255, clBlack));
    state.Lines = {300, 1570};
    Draw();
    EXPECT_TRUE(ColumnIs(image, 0, 1, 255, clWhite));
    EXPECT_TRUE(ColumnIs(image, 508, 1, 255, clWhite));
}

TEST_F(MainDiagram, APictureOnWhiteHasBlackTextsEachScaleValueBesideItsGridRow) {
    Measure({{60, 200}}, 1);
    state.Options.Gitter = true;
    const QImage picture = DiagramPicture(state, PictureOptions{false, true, QStringLiteral("Probe")});
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    EXPECT_EQ(picture.pixel(450, 100), white);
    EXPECT_NE(picture.pixel(64, 200), white) << "a grid line";
    // The rows of the scale column that hold ink, as runs of rows.
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < 256; ++y) {
        bool inked = false;
        for (int x = 512; x < picture.width(); ++x) {
            inked |= picture.pixel(x, y) == black;
            EXPECT_TRUE(picture.pixel(x, y) == black || picture.pixel(x, y) == white) << x << "," << y;
        }
        if (inked && (runs.empty() || runs.back().second < y - 1)) runs.emplace_back(y, y);
        if (inked) runs.back().second = y;
    }
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_LE(runs[0].first, 3);
    for (int i = 1; i < 4; ++i)
        EXPECT_NEAR((runs[i].first + runs[i].second) / 2.0, 64 * i, 3) << i;
    EXPECT_GE(runs[4].second, 252);
}

TEST_F(MainDiagram, BarsFollowTheLevelsBetweenChannels) {
    Measure({{5, 100}, {6, 103}});
    state.Options.Balkendiagramm = true;
    Draw();
    const int heights[] = {100, 101, 102, 102, 103};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(RunFromBottom(image, 20 + i, clYellow), heights[i]) << 20 + i;
}

TEST_F(MainDiagram, ChannelsWithoutAValueAreGapsAndTheScaleIsTheViews) {
    Measure({{4, 100}, {5, 100}, {6, 100}, {7, 100}});
    state.NoValue.set(5);
    state.RangeLabels = std::array<QString, 4>{"100", "75", "50", "25"};
    state.Options.Balkendiagramm = true;
    EXPECT_EQ(Draw().RangeLabels[3], "25");
    EXPECT_EQ(RunFromBottom(image, 19, clYellow), 100);
    EXPECT_EQ(RunFromBottom(image, 17, clYellow), 100) << "no slope down toward the gap";
    for (const int x : {20, 23})
        EXPECT_TRUE(ColumnIs(image, x, 0, 255, clBlack)) << x;
    EXPECT_TRUE(ColumnIs(strip, 21, 0, 21, clBlack)) << "no light in the intensity band";

    state.Options.Balkendiagramm = false;
    Draw();
    EXPECT_EQ(image.Pixel(16, 155), clYellow) << "the point before the gap";
    for (const int x : {17, 20, 23})
        EXPECT_TRUE(ColumnIs(image, x, 0, 255, clBlack)) << "the curve breaks off at " << x;
    EXPECT_EQ(image.Pixel(24, 155), clYellow) << "and starts again at the next channel's own point";
}

TEST_F(MainDiagram, NothingMeasured) {
    Measure({});
    Draw();
    EXPECT_TRUE(RowIs(image, 255, 0, 507, clYellow));
    EXPECT_EQ(image.Pixel(508, 255), clBlack); // the curve's last point
    EXPECT_TRUE(RowIs(image, 254, 0, 508, clBlack));
    for (int x = 0; x < 509; ++x) {
        EXPECT_TRUE(ColumnIs(strip, x, 0, 21, clBlack)) << x;
        EXPECT_TRUE(ColumnIs(strip, x, 22, 44,
                             WavelengthColor(ChannelWavelength(state.Calibration, x / 4, x % 4), 1)))
            << x;
    }
    EXPECT_EQ(strip.Pixel(300, 30), 0x00FF96u); // 546 nm
    for (int x = 0; x < 128; ++x)
        EXPECT_TRUE(ColumnIs(miniature, x, 0, 24, clBlack)) << x;

    state.Options.Balkendiagramm = true;
    Draw();
    EXPECT_TRUE(RowIs(image, 255, 0, 508, clBlack));
}

TEST_F(MainDiagram, CurveLeavesAndReentersThroughTheTopEdge) {
    Measure({{10, 300}}, 1);
    Draw();
    EXPECT_EQ(image.Pixel(39, 0), clYellow);
    EXPECT_EQ(image.Pixel(41, 0), clYellow);
    EXPECT_TRUE(ColumnIs(image, 40, 0, 255, clBlack));
}

TEST_F(MainDiagram, IntensityBandAndMiniatureShowTheSpectrumsBrightness) {
    Measure({{75, 1000}});
    Draw();
    EXPECT_TRUE(ColumnIs(strip, 300, 0, 21, 0x00FF96u));    // 546 nm at full brightness
    EXPECT_TRUE(ColumnIs(strip, 301, 0, 21, 0x00CB7Au));    // 547 nm at three quarters
    EXPECT_TRUE(ColumnIs(miniature, 75, 0, 24, 0x00FF9Cu)); // 548 nm, three quarters on to channel 76
    EXPECT_TRUE(ColumnIs(strip, 296, 0, 21, clBlack));
}

TEST_F(MainDiagram, BlackPensBecomeGray) {
    Measure({});
    state.Options.Spektralfarben = true;
    Draw();
    EXPECT_TRUE(RowIs(image, 255, 0, 27, clGray));     // segments ending below 380 nm
    EXPECT_TRUE(RowIs(image, 255, 28, 31, 0x610061u)); // the segment ending at channel 8, 380 nm

    state.Calibration.SetRange(700, 827);
    Measure({{80, 10}, {81, 10}});
    state.Options.Balkendiagramm = true;
    Draw();
    EXPECT_EQ(RunFromBottom(image, 320, 0x000061u), 10); // 780 nm
    EXPECT_EQ(RunFromBottom(image, 324, clGray), 10);    // 781 nm

    state.Options.Spektralfarben = false;
    state.CurveColor = clBlack;
    Draw();
    EXPECT_EQ(RunFromBottom(image, 320, clGray), 10);
    state.Options.Balkendiagramm = false;
    Draw();
    EXPECT_TRUE(RowIs(image, 255, 0, 300, clGray));
}

TEST_F(MainDiagram, ExtremeMarksWithMaximumOverMinimum) {
    Measure({{2, 0}, {3, 50}});
    state.Values.MinChannel = 2;
    state.Options.Min = state.Options.Max = true;
    Draw();
    EXPECT_TRUE(ColumnIs(image, 8, 1, 255, clGreen));
    EXPECT_TRUE(ColumnIs(image, 12, 1, 255, clRed));
    EXPECT_TRUE(ColumnIs(strip, 8, 0, 43, clGreen));
    EXPECT_TRUE(ColumnIs(strip, 12, 0, 43, clRed));
    EXPECT_NE(strip.Pixel(12, 44), clRed);
    state.Values.MinChannel = 3;
    Draw();
    EXPECT_TRUE(ColumnIs(image, 12, 1, 255, clRed));
    EXPECT_TRUE(ColumnIs(strip, 12, 0, 43, clRed));
}

TEST_F(MainDiagram, ReferenceLineOnTheRowOfItsLevel) {
    Measure({}, 4);
    state.ReferenceValue = 512;
    Draw();
    EXPECT_TRUE(RowIs(image, 128, 0, 508, clWhite));
    EXPECT_TRUE(RowIs(image, 127, 0, 508, clBlack));
    EXPECT_TRUE(RowIs(image, 129, 0, 508, clBlack));
    Measure({}, 2);
    Draw();
    EXPECT_TRUE(RowIs(image, 0, 0, 508, clWhite));
}

TEST_F(MainDiagram, TextsForTheControls) {
    Measure({{64, 900}}, 1);
    state.Values.MinChannel = 63;
    MainDiagramTexts texts = Draw();
    EXPECT_EQ(texts.RangeLabels, (std::array<QString, 4>{"256", "192", "128", "64"}));
    EXPECT_EQ(texts.MinPos, "516nm");
    EXPECT_EQ(texts.MaxPos, "519nm");
    state.Values.ScaleDivisor = 4;
    texts = Draw();
    EXPECT_EQ(texts.RangeLabels, (std::array<QString, 4>{"1024", "768", "512", "256"}));
    state.Values.ScaleDivisor = 0; // never left by the level computation; drawn as 1
    EXPECT_EQ(Draw().RangeLabels[0], "256");
}

TEST(DiagramTexts, LargeValuesKeepTheirDigits) {
    EXPECT_EQ(PositionText(99999.4), "99999nm");
    EXPECT_EQ(PositionText(99999.7), "1E5nm");
    EXPECT_EQ(PositionText(123456), "1.2346E5nm");
    EXPECT_EQ(PositionText(4294967295.0), "4.295E9nm");
    EXPECT_EQ(PositionText(-0.3), "0nm");
    EXPECT_EQ(PositionText(-360.2), "-360nm");
}

TEST_F(MainDiagram, EachPassRepaintsEveryPixel) {
    Measure({{40, 700}, {90, 300}});
    state.Options = {true, true, true, true, true};
    state.LinesShown = true;
    state.Lines = {400, 500, 600};
    state.ReferenceValue = 200;
    Draw();
    state = {};
    Measure({{20, 100}});
    Draw();

    QImage freshPictures[] = {NewCanvasImage(509, 256), NewCanvasImage(509, 45), NewCanvasImage(128, 25)};
    TCanvas fresh[] = {TCanvas(freshPictures[0]), TCanvas(freshPictures[1]), TCanvas(freshPictures[2])};
    DrawMainDiagram(state, fresh[0], fresh[1], fresh[2]);
    EXPECT_EQ(diagramPicture, freshPictures[0]);
    EXPECT_EQ(stripPicture, freshPictures[1]);
    EXPECT_EQ(miniaturePicture, freshPictures[2]);
}

TEST_F(MainDiagram, HugeValuesStayInsideThePicture) {
    state.Values.Levels.fill(INT32_MAX);
    state.Values.MaxReading = INT32_MAX;
    state.Values.ScaleDivisor = INT32_MAX / 256 + 1;
    state.Values.MinChannel = INT32_MIN;
    state.Values.MaxChannel = INT32_MAX;
    state.Options = {true, false, false, true, true};
    state.ReferenceValue = INT32_MAX;
    EXPECT_EQ(Draw().RangeLabels[0], "2147483648");
    EXPECT_TRUE(ColumnIs(image, 0, 2, 255, clYellow)); // a bar of 255 rows
    EXPECT_EQ(image.Pixel(0, 0), clBlack);
    EXPECT_TRUE(RowIs(image, 1, 0, 508, clWhite));
}

TEST_F(MainDiagram, UnusableCalibrationsStillDraw) {
    state.Options.Gitter = true;
    state.LinesShown = true;
    state.Lines = {INT32_MIN, 0, 500, INT32_MAX};
    // No rising axis: no wavelength lines and no spectral lines.
    for (const auto& [lambdaMin, lambdaMax] : {std::pair{500, 500}, std::pair{600, 500}}) {
        state.Calibration.SetRange(lambdaMin, lambdaMax);
        Measure({});
        EXPECT_EQ(Draw().MinPos, QString::number(lambdaMin) + "nm");
        EXPECT_TRUE(RowIs(image, 100, 0, 508, clBlack));
    }
    state.Calibration.SetRange(INT32_MIN, INT32_MAX);
    EXPECT_EQ(Draw().MinPos, "-2.1475E9nm");
    for (const int x : {0, 254, 507}) // the last one just short of 508 in floating point
        EXPECT_TRUE(ColumnIs(image, x, 20, 255, clWhite)) << x;
}

} // namespace
