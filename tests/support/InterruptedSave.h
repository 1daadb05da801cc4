// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// What the file held after each of a number of saves killed half way.
struct KilledSaves {
    int Old = 0;      // the complete old file
    int New = 0;      // the complete new file
    int Other = 0;    // anything else: empty, cut short, a mix of both
    int Unkilled = 0; // the saving child ended by itself (a save threw)
};

// `kills` times: puts `oldBytes` into `path`, runs `save(round)` for round 0, 1, 2, ... in a child
// process (even rounds write `newBytes`, odd ones `oldBytes`), kills the child with SIGKILL at a random
// moment within three saves' time after its first save has returned, so that the kill lands in the
// middle of a later save, and looks at the file.
KilledSaves KillSavesAndLook(const std::string& path, const std::string& oldBytes,
                             const std::string& newBytes, const std::function<void(int round)>& save,
                             int kills);
