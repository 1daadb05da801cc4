// SPDX-License-Identifier: GPL-3.0-or-later
#include "PortTestSupport.h"

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <thread>
#include <unistd.h>

void OpenLikeProgram(TComPort& port, const std::string& path) {
    port.SetBaudRate(br115200);
    port.SetPort(path);
    port.SetConnected(true);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool WaitForQueued(TComPort& port, long count, int timeoutMs) {
    return WaitUntil([&] { return port.ReceiveQueueCount() >= count; }, timeoutMs);
}

void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RunEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        RunEventsFor(1);
    }
    return true;
}

void WriteAll(int fd, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + sent, bytes.size() - sent);
        if (count < 0) throw std::runtime_error("write to pseudo-terminal failed");
        sent += static_cast<size_t>(count);
    }
}

std::string Exchange(TComPort& port, unsigned char command, long count, int pauseMs) {
    port.SendBytes(&command, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    std::string answer;
    port.ReceiveText(answer, count);
    return answer;
}

std::string Answer(TComPort& port, unsigned char command, long expected) {
    port.SendBytes(&command, 1);
    std::string answer, part;
    // Reading (rather than asking for the queue count) also pushes bytes the kernel has not yet handed on.
    WaitUntil([&] {
        port.ReceiveText(part, 4096);
        answer += part;
        return static_cast<long>(answer.size()) >= expected;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    port.ReceiveText(part, 4096);
    return answer + part;
}

std::optional<EComPort> ComErrorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const EComPort& error) {
        return error;
    }
    return std::nullopt;
}

int ThreadCount() {
    // ThreadSanitizer starts a helper thread of its own along with the first thread of the process;
    // one short-lived thread before the first count makes sure the helper is counted every time.
    static const bool helperStarted = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)helperStarted;
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

double ProcessCpuMs() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return time.tv_sec * 1000.0 + time.tv_nsec / 1e6;
}
