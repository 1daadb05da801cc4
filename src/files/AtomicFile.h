// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <sys/types.h>

// Replaces the file at `path` with `bytes` so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, reach the disk, and are renamed over
// the target. A symbolic link is followed, so its target gets the bytes and the link stays. An existing
// file keeps its mode, and its owner and group as far as the writer may give them; a new file gets
// `newFileMode`, less the umask when `applyUmask` is set. An existing file the user may not write is
// refused (EACCES); one in a folder where no temporary file can be made is written in place. Throws
// std::system_error carrying errno when anything fails; the old file is then untouched, except after a
// failed write in place.
void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t newFileMode = 0666,
                         bool applyUmask = true);
