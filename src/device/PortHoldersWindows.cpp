// SPDX-License-Identifier: GPL-3.0-or-later
// Earlier users of a COM port on Windows: the system refuses a second opener itself, so there is
// nothing to look for and no lock file to keep.
#include "device/PortHolders.h"
#include "device/SerialPlatform.h"

namespace {
std::string lockFolder;
}

const std::string& SerialLockFolder() {
    return lockFolder;
}

void SetSerialLockFolder(const std::string& folder) {
    lockFolder = folder;
}

bool HeldByAnotherProcess(int) {
    return false;
}

int DeviceLockFile::Acquire(const std::string&) {
    return 0;
}

void DeviceLockFile::Release() {}
