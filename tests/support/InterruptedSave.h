#pragma once

#include <chrono>
#include <functional>

// Runs `save(round)` for round 0, 1, 2, ... without end in a child process, and kills the child with
// SIGKILL `delay` after its first save has returned, so that the kill lands in the middle of a later
// save. Returns false when the child ended any other way (a save that threw, for one).
bool KillWhileSaving(const std::function<void(int round)>& save, std::chrono::microseconds delay);
