// SPDX-License-Identifier: GPL-3.0-or-later
// On Linux the instrument's keys are read from sysfs.
#include "device/DeviceRegistry.h"

std::unique_ptr<TRegistryReader> CreateSystemRegistry() {
    return std::make_unique<TSysfsRegistry>();
}
