// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/InstrumentProtocol.h"

#include "device/CPort.h"

#include <algorithm>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds QueuePollInterval{2};

// The bytes waiting, or -1 when the port can no longer tell; the next transfer raises then.
long QueuedOrGone(TCustomComPort& port) {
    try {
        return port.ReceiveQueueCount();
    } catch (const EComPort&) {
        return -1;
    }
}

// Polls the queue until `done` (given the count waiting and the time since it last grew) or the bound
// has passed; returns the last count.
template <class Done> long WatchQueue(TCustomComPort& port, Done done) {
    const auto deadline = Clock::now() + LateAnswerBound;
    long queued = QueuedOrGone(port);
    auto grown = Clock::now();
    while (queued >= 0 && !done(queued, Clock::now() - grown) && Clock::now() < deadline) {
        std::this_thread::sleep_for(QueuePollInterval);
        const long now = QueuedOrGone(port);
        if (now != queued) grown = Clock::now();
        queued = now;
    }
    return queued;
}

} // namespace

bool DecodeSpectrumFrame(const uint8_t* frame, long count, std::array<int32_t, 128>& readings) {
    if (count != SpectrumFrameSize) return false;
    for (int i = 0; i < 128; ++i)
        readings[127 - i] = frame[2 * i] * 255 + frame[2 * i + 1];
    return true;
}

int AutoExposurePosition(int position, int32_t maxReading) {
    if (maxReading < 400) return std::min(position + (position >= 10 ? 5 : 1), 100);
    if (maxReading > 600) return std::max(position - (position > 10 ? 5 : 1), 0);
    return position;
}

void DiscardReceived(TCustomComPort& port) {
    uint8_t scrap[1024];
    while (QueuedOrGone(port) > 0 && port.ReceiveBytes(scrap, sizeof scrap) > 0) {
    }
}

bool AwaitAnswer(TCustomComPort& port, long count) {
    return WatchQueue(port, [count](long queued, Clock::duration) { return queued >= count; }) > 0;
}

bool AwaitText(TCustomComPort& port, long count) {
    const long first = QueuedOrGone(port);
    if (first != 0) return first > 0;
    return WatchQueue(port, [count](long queued, Clock::duration quiet) {
               return queued >= count || (queued > 0 && quiet >= TextQuietGap);
           }) > 0;
}
