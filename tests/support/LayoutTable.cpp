// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/LayoutTable.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

// Whether typing changes the control's text (a spin edit types through the edit inside it).
bool Typable(const QWidget& control) {
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(&control))
        return !spin->isReadOnly() && !spin->findChild<QLineEdit*>()->isReadOnly();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) return !edit->isReadOnly();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&control)) return !memo->isReadOnly();
    return false;
}

} // namespace

QString CaptionOf(const QWidget& control) {
    if (const auto* label = qobject_cast<const QLabel*>(&control)) return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&control)) return button->text();
    if (const auto* box = qobject_cast<const QGroupBox*>(&control)) return box->title();
    if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(&control)) return spin->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(&control)) return edit->text();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(&control)) return memo->toPlainText();
    return {};
}

void ExpectPlaces(std::initializer_list<Place> places) {
    for (const Place& place : places)
        EXPECT_EQ(place.control->geometry(), place.expected) << place.name;
}

void ExpectFaces(std::initializer_list<Face> faces) {
    for (const Face& face : faces) {
        EXPECT_EQ(CaptionOf(*face.control), face.caption) << face.name;
        EXPECT_EQ(face.control->toolTip(), face.hint) << face.name;
        EXPECT_EQ(face.control->isEnabled(), face.enabled) << face.name;
        EXPECT_EQ(Typable(*face.control), face.typable) << face.name;
    }
}
