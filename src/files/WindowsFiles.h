// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the Windows platform files share: the program's UTF-8 paths as the system's wide ones, and the
// system's error numbers as the errno values the program reports.

#include <string>

// `path` (UTF-8, either slash) as a wide path with backslashes; in the long form "\\?\" made from the
// full path where the path, with a temporary file's name added, would reach the system's path limit.
std::wstring WidePath(const std::string& path);
// `text` (UTF-8) as wide text.
std::wstring WideText(const std::string& text);
// Wide text as UTF-8.
std::string Utf8Text(const std::wstring& text);
// The errno value nearest to a GetLastError number (EIO for those without one).
int ErrnoOfSystemError(unsigned long error);
