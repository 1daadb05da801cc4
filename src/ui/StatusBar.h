// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QVector>
#include <QWidget>

// A status bar of sunken panels with fixed widths; the last panel takes the rest of the bar.
class TStatusBar : public QWidget {
    Q_OBJECT
public:
    TStatusBar(QWidget* parent, const QRect& place, const QVector<int>& widths);

    // The text as it was set; the panel shows it on one line.
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString& text);
    QRect PanelRect(int index) const;

private:
    QVector<QLabel*> panels_;
    QStringList texts_;
};
