// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/InterruptedSave.h"

#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs the saves in a child and kills it `delay` after its first save; false when the child ended
// any other way.
bool KillWhileSaving(const std::function<void(int round)>& save, std::chrono::microseconds delay) {
    int firstSaved[2];
    if (pipe(firstSaved) != 0) return false;
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        close(firstSaved[0]);
        try {
            for (int round = 0;; ++round) {
                save(round);
                if (round == 0) (void)write(firstSaved[1], "s", 1);
            }
        } catch (...) {
        }
        // Leaves without the parent's exit handlers and test reports.
        _exit(1);
    }
    close(firstSaved[1]);
    char byte;
    const bool saved = read(firstSaved[0], &byte, 1) == 1;
    close(firstSaved[0]);
    if (saved) std::this_thread::sleep_for(delay);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return saved && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

} // namespace

KilledSaves KillSavesAndLook(const std::string& path, const std::string& oldBytes,
                             const std::string& newBytes, const std::function<void(int round)>& save,
                             int kills) {
    // The kills spread over the time of three saves, however long the disk takes to flush one.
    const auto start = std::chrono::steady_clock::now();
    save(0);
    save(1);
    const auto saveTime = (std::chrono::steady_clock::now() - start) / 2;
    std::mt19937 random(207);
    std::uniform_int_distribution<long> delayUs(
        0, 3 * std::chrono::duration_cast<std::chrono::microseconds>(saveTime).count());
    KilledSaves outcomes;
    for (int kill = 0; kill < kills; ++kill) {
        TempFolder::Write(path, oldBytes);
        if (!KillWhileSaving(save, std::chrono::microseconds(delayUs(random)))) ++outcomes.Unkilled;
        const std::string after = TempFolder::Read(path);
        if (after == oldBytes)
            ++outcomes.Old;
        else if (after == newBytes)
            ++outcomes.New;
        else
            ++outcomes.Other;
    }
    return outcomes;
}
