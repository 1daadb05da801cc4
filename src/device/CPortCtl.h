// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The connection lamp TComLed. This program never links it to a port, and that mode is not
// built: the lamp shows what `State` is set to.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <functional>

enum TComLedSignal { lsConn, lsCTS, lsDSR, lsRLSD, lsRing, lsRx, lsTx };
enum TLedKind { lkRedLight, lkGreenLight, lkBlueLight, lkYellowLight, lkPurpleLight, lkBulb, lkCustom };
enum TLedState { lsOff, lsOn };

// A windowless 25 x 25 lamp, off or on, drawn as one of two 15 x 15 glyphs.
class TComLed : public QWidget {
    Q_OBJECT
public:
    explicit TComLed(QWidget* parent);

    // The line signal a linked lamp would follow; stored only.
    TComLedSignal LedSignal() const { return ledSignal_; }
    void SetLedSignal(TComLedSignal value) { ledSignal_ = value; }
    // A different kind loads its glyph pair by name (lkCustom loads none) and repaints. Only the red
    // pair (LEDREDON, LEDREDOFF) is among the resources; the other built-in kinds show nothing.
    TLedKind Kind() const { return kind_; }
    void SetKind(TLedKind value);
    // Taken only with lkCustom, made transparent by the bottom-left pixel's colour.
    const QImage& GlyphOn() const { return glyphOn_; }
    void SetGlyphOn(const QImage& value);
    const QImage& GlyphOff() const { return glyphOff_; }
    void SetGlyphOff(const QImage& value);
    TLedState State() const { return state_; }
    // Every assignment, also of the current value, notifies OnChange and repaints.
    void SetState(TLedState value);
    // Milliseconds a ring keeps the lamp on.
    int RingDuration() const { return ringHoldTimer_.interval(); }
    void SetRingDuration(int value) { ringHoldTimer_.setInterval(value); }

    std::function<void(TComLed& sender, TLedState state)> OnChange;

    // Top-left corner of a glyph centred in `client`, never left of or above the client's corner.
    static QPoint LampPosition(const QRect& client, const QSize& glyph);
    // A copy of `image` whose pixels of the bottom-left pixel's colour are transparent.
    static QImage MakeTransparent(const QImage& image);

protected:
    // The state-changed notification.
    virtual void DoChange(TLedState state);
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void LoadKindGlyphs();

    TComLedSignal ledSignal_ = lsConn;
    TLedKind kind_ = lkRedLight;
    TLedState state_ = lsOff;
    QImage glyphOn_;
    QImage glyphOff_;
    QTimer ringHoldTimer_;
};
