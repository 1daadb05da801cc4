// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

// Ordinary users, whom file permissions stop. The suite runs as the superuser in CI, whom they don't,
// so these tests drop privileges in a child process.
namespace Unprivileged {

// Runs `body` in a child process as an ordinary user: "nobody" (in no group, or in the instrument
// group dialout when `inInstrumentGroup`) when the tests run as the superuser, the test's own user
// otherwise. Test failures inside count as failures of the calling test.
void Run(const std::function<void()>& body, bool inInstrumentGroup = false);

// Hands `path` to the user Run runs as, so that it can write there (nothing to do without privileges).
void Give(const std::string& path);

// Whether Run can run as a user in or outside dialout, as asked: always for the superuser, otherwise only
// as the test's own user is.
bool CanRun(bool inInstrumentGroup);

} // namespace Unprivileged
