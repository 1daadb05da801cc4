#pragma once

#include <string>
#include <sys/types.h>

// Replaces the file at `path` with `bytes` so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, reach the disk, and are renamed over
// the target. An existing file keeps its mode; a new file gets `newFileMode`, less the umask when
// `applyUmask` is set. Throws std::system_error carrying errno when anything fails; the old file is
// then untouched.
void WriteFileAtomically(const std::string& path, const std::string& bytes, mode_t newFileMode = 0666,
                         bool applyUmask = true);
