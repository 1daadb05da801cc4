// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/StatusBar.h"

TStatusBar::TStatusBar(QWidget* parent, const QRect& place, const QVector<int>& widths) : QWidget(parent) {
    setGeometry(place);
    int left = 0;
    for (int i = 0; i < widths.size(); ++i) {
        const bool last = i + 1 == widths.size();
        const int width = last ? place.width() - left : widths[i];
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setGeometry(left, 0, width, place.height());
        panel->setIndent(2);
        panels_.push_back(panel);
        texts_.push_back(QString());
        left += width;
    }
}

QString TStatusBar::PanelText(int index) const {
    return texts_.at(index);
}

void TStatusBar::SetPanelText(int index, const QString& text) {
    texts_[index] = text;
    // A panel is one line: line ends in a text (an instrument's version ends in CR LF) are not shown.
    QString shown = text;
    shown.remove(QLatin1Char('\r')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    panels_.at(index)->setText(shown.trimmed());
}

QRect TStatusBar::PanelRect(int index) const {
    return panels_.at(index)->geometry();
}
