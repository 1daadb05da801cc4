// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProbeWindows.h"

#include "app/Program.h"

ProbeWindows::ProbeWindows(std::optional<std::string> port) {
    MainFormContext context{settings_.path().toStdString()};
    context.CreateRegistry = [port] { return std::make_unique<TFixedPortRegistry>(port); };
    CreateWindows(context);
}

ProbeWindows::~ProbeWindows() {
    DestroyWindows();
}
