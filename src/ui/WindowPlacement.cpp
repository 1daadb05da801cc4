// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/WindowPlacement.h"

#include "settings/SettingsTable.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

bool LiesOnAScreen(QPoint topLeft, QSize frameSize) {
    const QRect window(topLeft, frameSize);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->geometry().intersects(window)) return true;
    return false;
}

bool EdgeAccepted(int value, int windowExtent, int screenExtent) {
    return 5 - windowExtent < value && value < screenExtent;
}

void PlaceFromSettings(QWidget& window, const TIniFile& iniFile, const Settings::PlaceEntry& stored) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize frame = window.frameGeometry().size();
    QPoint place = window.pos();
    const int left = Settings::Read(iniFile, Settings::Left(stored));
    if (EdgeAccepted(left, frame.width(), screen.width())) place.setX(left);
    const int top = Settings::Read(iniFile, Settings::Top(stored));
    if (EdgeAccepted(top, frame.height(), screen.height())) place.setY(top);
    if (LiesOnAScreen(place, frame)) window.move(place);
}

void StorePlace(const QWidget& window, TIniFile& iniFile, const Settings::PlaceEntry& place) {
    Settings::Write(iniFile, Settings::Left(place), window.pos().x());
    Settings::Write(iniFile, Settings::Top(place), window.pos().y());
}
