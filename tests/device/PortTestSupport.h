// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/CPort.h"

#include <functional>
#include <optional>
#include <string>

// Opens `port` on `path` with the line settings of the program (115200 bit/s, 8N1, no flow control).
void OpenLikeProgram(TComPort& port, const std::string& path);
// Waits (without running events) until `count` bytes are queued at the port; false after `timeoutMs`.
bool WaitForQueued(TComPort& port, long count, int timeoutMs = 10000);
// Runs the event loop of the user-interface thread for `ms` milliseconds, idle in between.
void RunEventsFor(int ms);
// Runs it until `done` holds; false when it still does not after `timeoutMs`.
bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// Writes all bytes to a non-blocking descriptor (the instrument's side of a pseudo-terminal).
void WriteAll(int fd, const std::string& bytes);
// One exchange as the program makes it: send `command`, pause `pauseMs`, take up to `count` bytes.
std::string Exchange(TComPort& port, unsigned char command, long count, int pauseMs = 100);
// Sends `command` and returns the answer once `expected` bytes have come (or 2 s have passed), with
// whatever follows within 30 ms, so that a slow machine does not cut answers short.
std::string Answer(TComPort& port, unsigned char command, long expected);
// Polls `done` every millisecond; false when it is still false after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 10000);
// The EComPort that `operation` raises, or nothing when it raises none.
std::optional<EComPort> ComErrorOf(const std::function<void()>& operation);
// Threads of this process.
int ThreadCount();
// CPU time this process has used, in milliseconds.
double ProcessCpuMs();
