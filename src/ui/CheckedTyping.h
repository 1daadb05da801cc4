// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QRect;
class QWidget;

// Why a typed text is refused, in German; empty when it is taken.
using TypingCheck = std::function<QString(const QString& text)>;

// Checks what the user typed into `field` when the typing ends. A refused text gives way to the
// field's last good one (whatever the program last put there or the user last had accepted) and
// `hint` shows the reason until the next accepted entry; an accepted text runs `accepted`.
void CheckTyping(QLineEdit* field, QLabel* hint, const TypingCheck& check,
                 const std::function<void()>& accepted);

// The label beside a window's fields that shows why a typed value was refused.
QLabel* NewHintLabel(QWidget* parent, const QRect& place);

// A typed number with a decimal comma or point; none when the text holds no finite number.
std::optional<double> TypedNumber(const QString& text);
