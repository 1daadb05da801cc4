// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <string_view>

// Text of Windows-1252 bytes, one character per byte. The five bytes the code page leaves undefined
// become the control characters of the same number, so every text read converts back to the same bytes.
QString FromWindows1252(std::string_view bytes);

// Windows-1252 bytes of `text`; a character the code page cannot hold becomes '?'.
std::string ToWindows1252(const QString& text);
