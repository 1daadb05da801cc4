// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/OtherProcess.h"

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

PortHolder::PortHolder(const std::string& path) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return;
    const char* device = path.c_str();
    child_ = fork();
    if (child_ == 0) {
        dup2(ready[1], 3);
        closefrom(4);
        const char opened = ::open(device, O_RDWR | O_NOCTTY) >= 0;
        (void)!::write(3, &opened, 1);
        for (;;)
            pause();
    }
    ::close(ready[1]);
    char opened = 0;
    holding_ = child_ > 0 && ::read(ready[0], &opened, 1) == 1 && opened;
    ::close(ready[0]);
}

PortHolder::~PortHolder() {
    End();
}

void PortHolder::End() {
    if (child_ <= 0) return;
    kill(child_, SIGKILL);
    waitpid(child_, nullptr, 0);
    child_ = -1;
    holding_ = false;
}
