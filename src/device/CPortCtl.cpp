// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CPortCtl.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

namespace {

// The glyph pair of each built-in kind, by resource name.
const char* const KindGlyphNames[][2] = {
    {"LEDREDON", "LEDREDOFF"},       {"LEDGREENON", "LEDGREENOFF"},   {"LEDBLUEON", "LEDBLUEOFF"},
    {"LEDYELLOWON", "LEDYELLOWOFF"}, {"LEDPURPLEON", "LEDPURPLEOFF"}, {"LEDBULBON", "LEDBULBOFF"},
};

QImage LoadGlyph(const char* name) {
    return TComLed::MakeTransparent(QImage(QStringLiteral(":/device/") + QLatin1String(name), "XPM"));
}

} // namespace

TComLed::TComLed(QWidget* parent) : QWidget(parent) {
    // The lamp images sit in this static library, whose resource table is only linked when named.
    static const bool resourcesLinked = [] {
        Q_INIT_RESOURCE(device);
        return true;
    }();
    (void)resourcesLinked;
    resize(25, 25);
    ringHoldTimer_.setInterval(1000);
    ringHoldTimer_.setSingleShot(true);
    connect(&ringHoldTimer_, &QTimer::timeout, this, [this] { SetState(lsOff); });
}

void TComLed::SetKind(TLedKind value) {
    if (value == kind_) return;
    kind_ = value;
    LoadKindGlyphs();
    update();
}

void TComLed::SetGlyphOn(const QImage& value) {
    if (kind_ != lkCustom) return;
    glyphOn_ = MakeTransparent(value);
    update();
}

void TComLed::SetGlyphOff(const QImage& value) {
    if (kind_ != lkCustom) return;
    glyphOff_ = MakeTransparent(value);
    update();
}

void TComLed::SetState(TLedState value) {
    state_ = value;
    DoChange(value);
    update();
}

void TComLed::DoChange(TLedState state) {
    if (OnChange) OnChange(*this, state);
}

QPoint TComLed::LampPosition(const QRect& client, const QSize& glyph) {
    return {client.left() + std::max(0, (client.width() - glyph.width()) / 2),
            client.top() + std::max(0, (client.height() - glyph.height()) / 2)};
}

QImage TComLed::MakeTransparent(const QImage& image) {
    if (image.isNull()) return {};
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = result.pixel(0, result.height() - 1);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (line[x] == transparent) line[x] = qRgba(0, 0, 0, 0);
    }
    return result;
}

void TComLed::paintEvent(QPaintEvent*) {
    if (glyphOn_.isNull() || glyphOff_.isNull()) LoadKindGlyphs();
    const QImage& glyph = isEnabled() && state_ == lsOn ? glyphOn_ : glyphOff_;
    QPainter painter(this);
    painter.drawImage(LampPosition(rect(), glyph.size()), glyph);
}

void TComLed::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

void TComLed::LoadKindGlyphs() {
    if (kind_ == lkCustom) return;
    glyphOn_ = LoadGlyph(KindGlyphNames[kind_][0]);
    glyphOff_ = LoadGlyph(KindGlyphNames[kind_][1]);
}
