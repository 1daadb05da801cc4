#include "support/InterruptedSave.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
