// SPDX-License-Identifier: GPL-3.0-or-later
#include "kx207-sim/InstrumentModel.h"

#include <algorithm>

namespace {
constexpr uint8_t VersionRequest = 254;
constexpr uint8_t SpectrumRequest = 255;
constexpr uint8_t HighestExposure = 100;
constexpr size_t VersionLength = 20;
constexpr size_t ShortFrameLength = 200;
constexpr auto LateByteDelay = std::chrono::milliseconds(150);
} // namespace

InstrumentModel::InstrumentModel(InstrumentOptions options)
    : options_(std::move(options)), random_(options_.seed) {
    if (options_.version.size() > VersionLength) options_.version.resize(VersionLength);
}

InstrumentModel::Reply InstrumentModel::Receive(const uint8_t* bytes, long count, Clock::time_point now) {
    std::lock_guard<std::mutex> lock(mutex_);
    Reply reply;
    for (long i = 0; i < count; ++i) {
        received_.push_back(bytes[i]);
        if (!Answer(bytes[i], now + answerDelay_, reply)) break;
    }
    return reply;
}

void InstrumentModel::SetFault(Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.fault = fault;
}

void InstrumentModel::SetAnswerDelay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> lock(mutex_);
    answerDelay_ = delay;
}

void InstrumentModel::ServeReadings(const Readings& readings) {
    std::lock_guard<std::mutex> lock(mutex_);
    fixedReadings_ = readings;
}

void InstrumentModel::ServeLampSpectrum() {
    std::lock_guard<std::mutex> lock(mutex_);
    fixedReadings_.reset();
}

void InstrumentModel::SetLamp(Lamp lamp) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.lamp = lamp;
}

void InstrumentModel::SetFilter(Filter filter) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.filter = filter;
}

void InstrumentModel::SetCuvette(std::optional<DyeCuvette> cuvette) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.cuvette = cuvette;
}

void InstrumentModel::StartReaction(const ReactionOptions& reaction) {
    std::lock_guard<std::mutex> lock(mutex_);
    reaction_.emplace(reaction);
    reaction_->Start(Clock::now());
}

void InstrumentModel::EndReaction() {
    std::lock_guard<std::mutex> lock(mutex_);
    reaction_.reset();
}

void InstrumentModel::SetLightBlocked(bool blocked) {
    std::lock_guard<std::mutex> lock(mutex_);
    blocked_ = blocked;
}

void InstrumentModel::SetLampBrighter(double factor) {
    std::lock_guard<std::mutex> lock(mutex_);
    options_.lampDrift.brighter = factor;
}

int InstrumentModel::Exposure() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return options_.exposure;
}

std::vector<uint8_t> InstrumentModel::ReceivedBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

Readings InstrumentModel::LastReadings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastReadings_;
}

std::vector<uint8_t> InstrumentModel::EncodeFrame(const Readings& readings) {
    std::vector<uint8_t> frame;
    frame.reserve(256);
    for (int channel = 127; channel >= 0; --channel) {
        frame.push_back(static_cast<uint8_t>(readings[channel] / 255));
        frame.push_back(static_cast<uint8_t>(readings[channel] % 255));
    }
    return frame;
}

Scene InstrumentModel::SceneNow() const {
    const double seconds = std::chrono::duration<double>(Clock::now() - switchedOn_).count();
    Scene scene{options_.lamp,
                options_.filter,
                blocked_,
                options_.darkCurrent,
                options_.flicker,
                LampBrightness(options_.lampDrift, seconds),
                {}};
    if (options_.cuvette)
        scene.cuvette = CuvetteTransmission(*options_.cuvette);
    else if (reaction_)
        scene.cuvette = reaction_->Transmission(Clock::now());
    return scene;
}

bool InstrumentModel::Answer(uint8_t command, Clock::time_point due, Reply& reply) {
    switch (options_.fault) {
    case Fault::Silence:
        return true;
    case Fault::Garbage: {
        std::uniform_int_distribution<int> length(1, 300), byte(0, 255);
        std::vector<uint8_t> burst(static_cast<size_t>(length(random_)));
        for (uint8_t& value : burst)
            value = static_cast<uint8_t>(byte(random_));
        reply.outputs.push_back({due, std::move(burst)});
        return true;
    }
    default:
        break;
    }
    if (command <= HighestExposure) {
        options_.exposure = command;
    } else if (command == VersionRequest) {
        if (options_.fault != Fault::NoVersion)
            reply.outputs.push_back(
                {due, std::vector<uint8_t>(options_.version.begin(), options_.version.end())});
    } else if (command == SpectrumRequest) {
        if (options_.fault == Fault::HangUp) {
            reply.outputs.clear();
            reply.hungUp = true;
            return false;
        }
        lastReadings_ =
            fixedReadings_ ? *fixedReadings_ : SceneReadings(SceneNow(), options_.exposure, random_);
        std::vector<uint8_t> frame = EncodeFrame(lastReadings_);
        if (options_.fault == Fault::ShortFrame) {
            frame.resize(ShortFrameLength);
        } else if (options_.fault == Fault::LateByte) {
            const uint8_t last = frame.back();
            frame.pop_back();
            reply.outputs.push_back({due, std::move(frame)});
            reply.outputs.push_back({due + LateByteDelay, {last}});
            return true;
        }
        reply.outputs.push_back({due, std::move(frame)});
    }
    return true;
}

void AnswerQueue::Add(std::vector<InstrumentModel::Output> outputs) {
    for (InstrumentModel::Output& output : outputs) {
        const auto later = std::upper_bound(
            outputs_.begin(), outputs_.end(), output.due,
            [](Clock::time_point time, const InstrumentModel::Output& queued) { return time < queued.due; });
        outputs_.insert(later, std::move(output));
    }
}

std::vector<uint8_t> AnswerQueue::TakeDue(Clock::time_point now) {
    std::vector<uint8_t> due;
    while (!outputs_.empty() && outputs_.front().due <= now) {
        due.insert(due.end(), outputs_.front().bytes.begin(), outputs_.front().bytes.end());
        outputs_.pop_front();
    }
    return due;
}

std::optional<AnswerQueue::Clock::time_point> AnswerQueue::NextDue() const {
    if (outputs_.empty()) return std::nullopt;
    return outputs_.front().due;
}
