// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>
#include <string>

// No text file of the program comes near this; a larger file (picked by mistake in the open dialog's
// preview, say) is read only this far, so it can neither fill the memory nor hold the window up.
constexpr size_t MaxTextFileBytes = size_t(16) << 20;

// The bytes of the regular file at `path`, up to the read that brings `maxLines` line ends; 0 or an
// errno value. Anything but a regular file (a folder, a device) is refused without being opened.
int ReadFileBytes(const std::string& path, qsizetype maxLines, std::string& bytes);
