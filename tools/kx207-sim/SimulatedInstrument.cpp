// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/SimulatedInstrument.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

namespace {
constexpr uint8_t VersionRequest = 254;
constexpr uint8_t SpectrumRequest = 255;
constexpr uint8_t HighestExposure = 100;
constexpr size_t VersionLength = 20;
constexpr size_t ShortFrameLength = 200;
constexpr auto LateByteDelay = std::chrono::milliseconds(150);
} // namespace

SimulatedInstrument::SimulatedInstrument(InstrumentOptions options)
    : options_(std::move(options)), random_(options_.seed) {
    if (options_.version.size() > VersionLength) options_.version.resize(VersionLength);
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

void SimulatedInstrument::SetFault(Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.fault = fault;
}

void SimulatedInstrument::SetAnswerDelay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(mutex_);
    answerDelay_ = delay;
}

void SimulatedInstrument::ServeReadings(const Readings& readings) {
    std::lock_guard<std::mutex> lock(mutex_);
    fixedReadings_ = readings;
}

void SimulatedInstrument::ServeLampSpectrum() {
    std::lock_guard<std::mutex> lock(mutex_);
    fixedReadings_.reset();
}

void SimulatedInstrument::SetFilter(Filter filter) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.filter = filter;
}

void SimulatedInstrument::SetCuvette(std::optional<DyeCuvette> cuvette) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.cuvette = cuvette;
}

void SimulatedInstrument::StartReaction(const ReactionOptions& reaction) {
    std::lock_guard<std::mutex> lock(mutex_);
    reaction_.emplace(reaction);
    reaction_->Start(Clock::now());
}

void SimulatedInstrument::SetLightBlocked(bool blocked) {
    std::lock_guard<std::mutex> lock(mutex_);
    blocked_ = blocked;
}

void SimulatedInstrument::SetLampBrighter(double factor) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.lampDrift.brighter = factor;
}

Scene SimulatedInstrument::SceneNow() const {
    const double seconds = std::chrono::duration<double>(Clock::now() - switchedOn_).count();
    return {options_.lamp,
            options_.filter,
            blocked_,
            options_.darkCurrent,
            options_.flicker,
            LampBrightness(options_.lampDrift, seconds),
            {}};
}

int SimulatedInstrument::Exposure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return options_.exposure;
}

std::vector<uint8_t> SimulatedInstrument::ReceivedBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

Readings SimulatedInstrument::LastReadings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastReadings_;
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

std::vector<uint8_t> SimulatedInstrument::EncodeFrame(const Readings& readings) {
    std::vector<uint8_t> frame;
    frame.reserve(256);
    for (int channel = 127; channel >= 0; --channel) {
        frame.push_back(static_cast<uint8_t>(readings[channel] / 255));
        frame.push_back(static_cast<uint8_t>(readings[channel] % 255));
    }
    return frame;
}

void SimulatedInstrument::Wake() {
    const uint64_t one = 1;
    while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void SimulatedInstrument::Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        if (stopRequested_) return;
        if (hangUpRequested_ && terminal_.Master() >= 0) {
            terminal_.HangUp();
            outputs_.clear();
            hungUp_.notify_all();
        }
        int timeoutMs = -1;
        if (!outputs_.empty()) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(outputs_.front().due - Clock::now());
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
            const auto now = Clock::now();
            for (ssize_t i = 0; i < count && terminal_.Master() >= 0; ++i) {
                received_.push_back(bytes[i]);
                Answer(bytes[i], now + answerDelay_);
            }
        }
        SendDue(Clock::now());
    }
}

void SimulatedInstrument::Answer(uint8_t command, Clock::time_point due) {
    switch (options_.fault) {
    case Fault::Silence:
        return;
    case Fault::Garbage: {
        std::uniform_int_distribution<int> length(1, 300), byte(0, 255);
        std::vector<uint8_t> burst(static_cast<size_t>(length(random_)));
        for (uint8_t& value : burst)
            value = static_cast<uint8_t>(byte(random_));
        Queue(due, std::move(burst));
        return;
    }
    default:
        break;
    }
    if (command <= HighestExposure) {
        options_.exposure = command;
    } else if (command == VersionRequest) {
        if (options_.fault != Fault::NoVersion)
            Queue(due, std::vector<uint8_t>(options_.version.begin(), options_.version.end()));
    } else if (command == SpectrumRequest) {
        if (options_.fault == Fault::HangUp) {
            terminal_.HangUp();
            outputs_.clear();
            hungUp_.notify_all();
            return;
        }
        Scene scene = SceneNow();
        if (options_.cuvette)
            scene.cuvette = CuvetteTransmission(*options_.cuvette);
        else if (reaction_)
            scene.cuvette = reaction_->Transmission(Clock::now());
        lastReadings_ = fixedReadings_ ? *fixedReadings_ : SceneReadings(scene, options_.exposure, random_);
        std::vector<uint8_t> frame = EncodeFrame(lastReadings_);
        if (options_.fault == Fault::ShortFrame) {
            frame.resize(ShortFrameLength);
        } else if (options_.fault == Fault::LateByte) {
            Queue(due + LateByteDelay, {frame.back()});
            frame.pop_back();
        }
        Queue(due, std::move(frame));
    }
}

void SimulatedInstrument::Queue(Clock::time_point due, std::vector<uint8_t> bytes) {
    const auto later =
        std::upper_bound(outputs_.begin(), outputs_.end(), due,
                         [](Clock::time_point time, const Output& output) { return time < output.due; });
    outputs_.insert(later, Output{due, std::move(bytes)});
}

void SimulatedInstrument::SendDue(Clock::time_point now) {
    while (!outputs_.empty() && outputs_.front().due <= now && terminal_.Master() >= 0) {
        const std::vector<uint8_t>& bytes = outputs_.front().bytes;
        size_t sent = 0;
        while (sent < bytes.size()) {
            const ssize_t count = ::write(terminal_.Master(), bytes.data() + sent, bytes.size() - sent);
            if (count > 0)
                sent += static_cast<size_t>(count);
            else if (count < 0 && errno == EINTR)
                continue;
            else
                break;
        }
        outputs_.pop_front();
    }
}
