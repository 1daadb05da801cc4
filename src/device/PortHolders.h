// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Finding out whether another program already uses a serial device, for SerialDevice::Open. A tty's
// exclusive mode and an advisory lock stop only programs that open the device later; these look for
// programs that were there first.

#include <string>

// True when another process has the device of the open descriptor `fd` open, as far as this user may
// look into other processes. The process holding the other end of a pseudo-terminal is the device
// itself (the instrument simulator keeps its end and one descriptor of the port open), not a rival.
bool HeldByAnotherProcess(int fd);

// The UUCP lock file of one device ("LCK..ttyUSB0" holding the owner's process id in ten columns):
// a live owner's file is honoured, a dead owner's file removed, and our own made for as long as we
// keep the device open.
class DeviceLockFile {
public:
    DeviceLockFile() = default;
    ~DeviceLockFile() { Release(); }
    DeviceLockFile(const DeviceLockFile&) = delete;
    DeviceLockFile& operator=(const DeviceLockFile&) = delete;

    // EBUSY when a living process other than this one owns the lock; otherwise 0, with the lock file
    // made where the folder lets this user write.
    int Acquire(const std::string& devicePath);
    // Removes the lock file made by Acquire, if it is still ours.
    void Release();

private:
    std::string path_; // set while we own a lock file
};
