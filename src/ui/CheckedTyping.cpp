// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CheckedTyping.h"

#include "ui/Controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QVariant>
#include <cmath>

namespace {
const char* const LastGood = "lastGoodText";
}

void CheckTyping(QLineEdit* field, QLabel* hint, const TypingCheck& check,
                 const std::function<void()>& accepted) {
    field->setProperty(LastGood, field->text());
    // What the program puts into the field is good; only the user's typing is checked.
    QObject::connect(field, &QLineEdit::textChanged, field, [field] {
        if (!field->isModified()) field->setProperty(LastGood, field->text());
    });
    QObject::connect(field, &QLineEdit::editingFinished, field, [field, hint, check, accepted] {
        const QString reason = check(field->text());
        if (!reason.isEmpty()) {
            field->setText(field->property(LastGood).toString());
            hint->setText(reason);
            return;
        }
        field->setModified(false);
        field->setProperty(LastGood, field->text());
        hint->clear();
        accepted();
    });
}

QLabel* NewHintLabel(QWidget* parent, const QRect& place) {
    QLabel* hint = NewFixedLabel(parent, place, QString());
    hint->setStyleSheet(QStringLiteral("color: #b00000"));
    return hint;
}

std::optional<double> TypedNumber(const QString& text) {
    bool ok = false;
    const double value = QString(text).trimmed().replace(u',', u'.').toDouble(&ok);
    if (ok && std::isfinite(value)) return value;
    return std::nullopt;
}
