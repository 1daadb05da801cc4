// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/SimulatedInstrument.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

SimulatedInstrument::SimulatedInstrument(InstrumentOptions options) : InstrumentModel(std::move(options)) {
    wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
    thread_ = std::thread([this] { Serve(); });
}

SimulatedInstrument::~SimulatedInstrument() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopRequested_ = true;
    }
    Wake();
    thread_.join();
    ::close(wake_);
}

termios SimulatedInstrument::LineSettings() const {
    return terminal_.LineSettings();
}

void SimulatedInstrument::HangUp() {
    std::unique_lock<std::mutex> lock(mutex_);
    hangUpRequested_ = true;
    Wake();
    hungUp_.wait(lock, [this] { return terminal_.Master() < 0; });
}

void SimulatedInstrument::Wake() {
    const uint64_t one = 1;
    while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void SimulatedInstrument::Unplug() {
    terminal_.HangUp();
    outputs_.Clear();
    hungUp_.notify_all();
}

void SimulatedInstrument::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopRequested_) return;
        if (hangUpRequested_ && terminal_.Master() >= 0) Unplug();
        int timeoutMs = -1;
        if (const auto due = outputs_.NextDue()) {
            const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Clock::now());
            timeoutMs = static_cast<int>(std::max<int64_t>(0, wait.count()));
        }
        pollfd waits[2] = {{wake_, POLLIN, 0}, {terminal_.Master(), POLLIN, 0}};
        lock.unlock();
        poll(waits, 2, timeoutMs);
        lock.lock();
        uint64_t wakes;
        while (::read(wake_, &wakes, sizeof wakes) > 0) {
        }
        if (waits[1].revents & POLLIN) {
            uint8_t bytes[4096];
            const ssize_t count = ::read(terminal_.Master(), bytes, sizeof bytes);
            if (count > 0) {
                Reply reply = Receive(bytes, count, Clock::now());
                if (reply.hungUp)
                    Unplug();
                else
                    outputs_.Add(std::move(reply.outputs));
            }
        }
        SendDue(Clock::now());
    }
}

void SimulatedInstrument::SendDue(Clock::time_point now) {
    const std::vector<uint8_t> bytes = outputs_.TakeDue(now);
    size_t sent = 0;
    while (sent < bytes.size() && terminal_.Master() >= 0) {
        const ssize_t count = ::write(terminal_.Master(), bytes.data() + sent, bytes.size() - sent);
        if (count > 0)
            sent += static_cast<size_t>(count);
        else if (count < 0 && errno == EINTR)
            continue;
        else
            break;
    }
}
