// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowPlacement.h"

#include "app/IniFile.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {
const std::string WindowSection = "Fenster";
}

bool LiesOnAScreen(QPoint topLeft, QSize frameSize) {
    const QRect window(topLeft, frameSize);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(window))
            return true;
    return false;
}

bool EdgeAccepted(int value, int windowExtent, int screenExtent) {
    return 5 - windowExtent < value && value < screenExtent;
}

void PlaceFromSettings(QWidget& window, const TIniFile& iniFile, const std::string& leftKey,
                       const std::string& topKey) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize frame = window.frameGeometry().size();
    QPoint place = window.pos();
    const int left = iniFile.ReadInteger(WindowSection, leftKey, 0);
    if (EdgeAccepted(left, frame.width(), screen.width()))
        place.setX(left);
    const int top = iniFile.ReadInteger(WindowSection, topKey, 0);
    if (EdgeAccepted(top, frame.height(), screen.height()))
        place.setY(top);
    if (LiesOnAScreen(place, frame))
        window.move(place);
}

void StorePlace(const QWidget& window, TIniFile& iniFile, const std::string& leftKey, const std::string& topKey) {
    iniFile.WriteInteger(WindowSection, leftKey, window.pos().x());
    iniFile.WriteInteger(WindowSection, topKey, window.pos().y());
}
