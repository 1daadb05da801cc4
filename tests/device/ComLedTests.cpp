// SPDX-License-Identifier: GPL-3.0-or-later
// The connection lamp TComLed, checked on its pixels.
#include "device/CPortCtl.h"

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

const QRgb Olive = qRgb(128, 128, 0);
const QRgb DarkRed = qRgb(128, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Gray = qRgb(128, 128, 128);

QImage Picture(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb Pixel(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

QImage Resource(const char* name) {
    TComLed loader(nullptr); // makes sure the lamp's resources are registered
    return QImage(QStringLiteral(":/device/") + QLatin1String(name), "XPM")
        .convertToFormat(QImage::Format_RGB32);
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

TEST(ComLed, DefaultsAndSize) {
    TComLed led(nullptr);
    EXPECT_EQ(led.width(), 25);
    EXPECT_EQ(led.height(), 25);
    EXPECT_EQ(led.LedSignal(), lsConn);
    EXPECT_EQ(led.Kind(), lkRedLight);
    EXPECT_EQ(led.State(), lsOff);
    EXPECT_EQ(led.RingDuration(), 1000);
    EXPECT_TRUE(led.GlyphOn().isNull());
    EXPECT_TRUE(led.GlyphOff().isNull());
}

TEST(ComLed, RedGlyphsAreFifteenPixelLampsOnOlive) {
    const QImage on = Resource("LEDREDON");
    const QImage off = Resource("LEDREDOFF");
    ASSERT_EQ(on.size(), QSize(15, 15));
    ASSERT_EQ(off.size(), QSize(15, 15));
    EXPECT_EQ(Pixel(on, 0, 14), Olive);
    EXPECT_EQ(Pixel(off, 0, 14), Olive);
    EXPECT_EQ(Pixel(on, 0, 0), Olive);
    EXPECT_EQ(Pixel(off, 7, 7), DarkRed);
    EXPECT_EQ(Pixel(on, 7, 7), Red);
}

TEST(ComLed, EveryStateAssignmentNotifiesAndRepaints) {
    TComLed led(nullptr);
    PaintCounter counter;
    led.installEventFilter(&counter);
    led.show();
    QApplication::processEvents();
    std::vector<TLedState> changes;
    led.OnChange = [&](TComLed& sender, TLedState state) {
        EXPECT_EQ(&sender, &led);
        changes.push_back(state);
    };
    const int paintsBefore = counter.paints;
    led.SetState(lsOn);
    QApplication::processEvents();
    led.SetState(lsOn);
    QApplication::processEvents();
    EXPECT_EQ(changes, (std::vector<TLedState>{lsOn, lsOn}));
    EXPECT_EQ(counter.paints, paintsBefore + 2);
}

TEST(ComLed, GlyphSitsAtFiveFiveWithOliveLeftOut) {
    TComLed led(nullptr);
    led.SetState(lsOn);
    const QImage picture = Picture(led);
    const QImage glyph = Resource("LEDREDON");
    const QRgb background = Pixel(picture, 0, 0);
    ASSERT_NE(background, Olive);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x) {
            const QRgb expected = Pixel(glyph, x, y) == Olive ? background : Pixel(glyph, x, y);
            ASSERT_EQ(Pixel(picture, 5 + x, 5 + y), expected) << x << "," << y;
        }
    for (int i = 0; i < 25; ++i) {
        EXPECT_EQ(Pixel(picture, i, 4), background);
        EXPECT_EQ(Pixel(picture, 4, i), background);
        EXPECT_EQ(Pixel(picture, i, 20), background);
        EXPECT_EQ(Pixel(picture, 20, i), background);
    }
}

TEST(ComLed, DisabledLampShowsTheOffGlyph) {
    TComLed led(nullptr);
    led.SetState(lsOn);
    EXPECT_EQ(Pixel(Picture(led), 12, 12), Red);
    led.setEnabled(false);
    EXPECT_EQ(Pixel(Picture(led), 12, 12), DarkRed);
    led.setEnabled(true);
    EXPECT_EQ(Pixel(Picture(led), 12, 12), Red);
    led.SetState(lsOff);
    EXPECT_EQ(Pixel(Picture(led), 12, 12), DarkRed);
}

TEST(ComLed, CustomKindWithoutGlyphsDrawsNothing) {
    TComLed led(nullptr);
    led.SetKind(lkCustom);
    led.SetState(lsOn);
    const QImage picture = Picture(led);
    const QRgb background = Pixel(picture, 0, 0);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x)
            ASSERT_EQ(Pixel(picture, x, y), background);
}

TEST(ComLed, CustomGlyphsAreTakenOnlyWithTheCustomKind) {
    QImage square(15, 15, QImage::Format_RGB32);
    square.fill(qRgb(0, 0, 255));
    square.setPixel(0, 14, qRgb(0, 255, 0)); // bottom-left: the transparent colour
    square.setPixel(7, 7, qRgb(0, 255, 0));
    TComLed led(nullptr);
    led.SetGlyphOn(square);
    EXPECT_TRUE(led.GlyphOn().isNull());
    led.SetKind(lkCustom);
    led.SetGlyphOn(square);
    led.SetGlyphOff(square);
    led.SetState(lsOn);
    const QImage picture = Picture(led);
    const QRgb background = Pixel(picture, 0, 0);
    EXPECT_EQ(Pixel(picture, 5, 5), qRgb(0, 0, 255));
    EXPECT_EQ(Pixel(picture, 12, 12), background);
    EXPECT_EQ(Pixel(picture, 5, 19), background);
}

TEST(ComLed, SmallControlDrawsFromItsCornerClipped) {
    TComLed led(nullptr);
    led.resize(10, 10);
    const QImage picture = Picture(led);
    // Row 0 of the glyph: olive, then grey rim from column 5.
    EXPECT_EQ(Pixel(picture, 5, 0), Gray);
    EXPECT_EQ(Pixel(picture, 0, 5), Gray);
}

TEST(ComLed, LampPositionCentresAndNeverGoesNegative) {
    EXPECT_EQ(TComLed::LampPosition(QRect(0, 0, 25, 25), QSize(15, 15)), QPoint(5, 5));
    EXPECT_EQ(TComLed::LampPosition(QRect(0, 0, 26, 24), QSize(15, 15)), QPoint(5, 4));
    EXPECT_EQ(TComLed::LampPosition(QRect(2, 3, 10, 10), QSize(15, 15)), QPoint(2, 3));
}

TEST(ComLed, RingHoldTimerFollowsRingDuration) {
    TComLed led(nullptr);
    led.SetRingDuration(250);
    EXPECT_EQ(led.RingDuration(), 250);
}
