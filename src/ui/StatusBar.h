// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QVector>
#include <QWidget>

// A status bar of sunken panels with fixed widths; the last panel takes the rest of the bar. A panel whose
// text is wider than its width grows to the text, the panels after it moving right and the last one
// giving way, so that no text is cut short.
class TStatusBar : public QWidget {
    Q_OBJECT
public:
    TStatusBar(QWidget* parent, const QRect& place, const QVector<int>& widths);

    // The text as it was set; the panel shows it on one line.
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    QRect PanelRect(int index) const;

private:
    void Layout();

    QVector<int> widths_;
    QVector<QLabel*> panels_;
    QStringList texts_;
};
