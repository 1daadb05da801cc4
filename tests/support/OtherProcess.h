// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>

// Another program that holds a device open: a child process that opens `path` (with no other
// descriptor of it, not even inherited ones) and waits until it is ended.
class PortHolder {
public:
    explicit PortHolder(const std::string& path);
    // Ends the child if it still runs.
    ~PortHolder();
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    // True once the child has the device open.
    bool Holding() const { return holding_; }
    pid_t Pid() const { return child_; }
    // Ends the child and waits for its end.
    void End();

private:
    pid_t child_ = -1;
    bool holding_ = false;
};
