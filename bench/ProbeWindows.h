// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>
#include <optional>
#include <string>

// The program's five windows, created as the program creates them, on a settings folder of their own so
// that a measurement never touches the machine's settings, with the instrument found on `port` (none:
// no instrument). The application object must exist first. Destroying this destroys the windows.
class ProbeWindows {
public:
    explicit ProbeWindows(std::optional<std::string> port);
    ~ProbeWindows();
    ProbeWindows(const ProbeWindows&) = delete;
    ProbeWindows& operator=(const ProbeWindows&) = delete;

private:
    QTemporaryDir settings_;
};
