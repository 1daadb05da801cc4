// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/StatusBar.h"

#include <algorithm>

TStatusBar::TStatusBar(QWidget* parent, const QRect& place, const QVector<int>& widths)
    : QWidget(parent), widths_(widths) {
    setGeometry(place);
    for (int i = 0; i < widths.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        panels_.push_back(panel);
        texts_.push_back(QString());
    }
    Layout();
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
    Layout();
}

QRect TStatusBar::PanelRect(int index) const {
    return panels_.at(index)->geometry();
}

void TStatusBar::Layout() {
    int left = 0;
    for (int i = 0; i < panels_.size(); ++i) {
        QLabel* panel = panels_[i];
        const int width = i + 1 == panels_.size() ? std::max(this->width() - left, 0)
                                                  : std::max(widths_[i], panel->sizeHint().width());
        panel->setGeometry(left, 0, width, height());
        left += width;
    }
}
