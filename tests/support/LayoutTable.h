// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>
#include <initializer_list>

class QWidget;

// Tables of what a window's controls look like, checked row by row.

// One control of a fixed layout and the place and size it must have.
struct Place {
    const char* name;
    QWidget* control;
    QRect expected;
};
// Expects each control at its place.
void ExpectPlaces(std::initializer_list<Place> places);

// One control as the user meets it: the caption it shows, its hint, whether it takes clicks and
// keys, and whether its text can be typed into.
struct Face {
    const char* name;
    QWidget* control;
    QString caption;
    QString hint;
    bool enabled;
    bool typable;
};
// Expects each control to show its face.
void ExpectFaces(std::initializer_list<Face> faces);

// The caption a control shows: a label's or button's text, a group box's title, an edit's text;
// empty for other controls.
QString CaptionOf(const QWidget& control);
