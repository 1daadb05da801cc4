#include "app/StatusBar.h"

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
        left += width;
    }
}

QString TStatusBar::PanelText(int index) const { return panels_.at(index)->text(); }

void TStatusBar::SetPanelText(int index, const QString& text) { panels_.at(index)->setText(text); }

QRect TStatusBar::PanelRect(int index) const { return panels_.at(index)->geometry(); }
