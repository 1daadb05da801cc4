// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port played inside the process: what the program writes goes to the simulated instrument
// at once, its answers arrive in the receive queue when they are due. The queue is filled whenever
// somebody looks at it (a read, a count, the event thread's wait), so no thread of its own is needed.
// The event thread's wait keeps the system's promises: one wake for each arrival (bytes left unread
// don't wake it again), one for each write when the transmit queue empties (at once here), a hang-up
// when the instrument is unplugged, and Stop from any thread.
#include "device/SerialPlatform.h"
#include "device/SimulatedPort.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>

const char* const SimulatedPortName = "KX207-Simulation";

namespace {

// The line between the program and the simulated instrument; its fields are guarded by `mutex`.
struct SimulatedLine {
    std::mutex mutex;
    std::condition_variable changed; // an answer queued, bytes arrived, the line hung up, a wait stopped
    bool open = false;
    bool hungUp = false;
    std::deque<uint8_t> received;
    AnswerQueue answers;
    unsigned pending = 0; // Line... events not yet reported to the event thread

    // Moves the answers due by now into the receive queue, with an event for their arrival.
    void Deliver() {
        const std::vector<uint8_t> bytes = answers.TakeDue(AnswerQueue::Clock::now());
        if (bytes.empty()) return;
        received.insert(received.end(), bytes.begin(), bytes.end());
        pending |= LineRxChar;
        changed.notify_all();
    }
};

SimulatedLine& Line() {
    static SimulatedLine line;
    return line;
}

// The descriptor of the open device: there is only one.
constexpr NativeHandle OpenHandle = 1;

// EBADF for a request to a device that isn't open, otherwise 0.
int Refused(NativeHandle handle) {
    return handle >= 0 ? 0 : EBADF;
}

} // namespace

InstrumentModel& PlayedInstrument() {
    static InstrumentModel instrument;
    return instrument;
}

SerialDevice::~SerialDevice() {
    Close();
}

int SerialDevice::Open(const std::string& name) {
    if (name != SimulatedPortName) return ENOENT;
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    if (line.open) return EBUSY;
    line.open = true;
    handle_ = OpenHandle;
    return 0;
}

void SerialDevice::Close() {
    if (handle_ < 0) return;
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    // Closing the port is where an unplugged instrument may be plugged in again.
    line.open = false;
    line.hungUp = false;
    line.received.clear();
    line.answers.Clear();
    line.pending = 0;
    handle_ = -1;
}

// The instrument's USB bridge takes any line settings and the queues have room for any answer: an open
// port accepts both requests as they are.
int SerialDevice::Configure(const LineSettings&) {
    return Refused(handle_);
}

int SerialDevice::SetQueueSizes(int, int) {
    return Refused(handle_);
}

// Writes are taken at once, so only the read time-outs matter.
int SerialDevice::SetTimeouts(const TimeoutSettings& timeouts) {
    if (const int error = Refused(handle_)) return error;
    return ReadsReturnAtOnce(timeouts) ? 0 : EINVAL;
}

IoResult SerialDevice::ReadNow(void* buffer, long count) {
    if (handle_ < 0) return {0, EBADF};
    if (count <= 0) return {};
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    line.Deliver();
    if (line.received.empty()) return {0, line.hungUp ? EIO : 0};
    const long taken = std::min<long>(count, static_cast<long>(line.received.size()));
    std::copy_n(line.received.begin(), taken, static_cast<uint8_t*>(buffer));
    line.received.erase(line.received.begin(), line.received.begin() + taken);
    return {taken, 0};
}

IoResult SerialDevice::WriteBounded(const void* buffer, long count) {
    if (handle_ < 0) return {0, EBADF};
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    if (line.hungUp) return {0, EIO};
    InstrumentModel::Reply reply =
        PlayedInstrument().Receive(static_cast<const uint8_t*>(buffer), count, AnswerQueue::Clock::now());
    if (reply.hungUp) {
        line.hungUp = true;
        line.answers.Clear();
    } else {
        line.answers.Add(std::move(reply.outputs));
        line.pending |= LineTxEmpty;
    }
    line.changed.notify_all();
    return {count, 0};
}

IoResult SerialDevice::QueueCount() const {
    if (handle_ < 0) return {0, EBADF};
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    line.Deliver();
    return {static_cast<long>(line.received.size()), 0};
}

IoResult SerialDevice::OutputCount() const {
    // The instrument takes every byte at once.
    return {0, Refused(handle_)};
}

IoResult SerialDevice::ModemLines() const {
    // No modem lines, as on a pseudo-terminal.
    return {0, Refused(handle_)};
}

IoResult SerialDevice::LineErrors() {
    return {0, Refused(handle_)};
}

int SerialDevice::Purge(bool, bool input) const {
    if (handle_ < 0) return EBADF;
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    if (input) line.received.clear();
    return 0;
}

int SerialDevice::AbortTransfers() const {
    return 0;
}

// Here the waiter's fields hold no system handles: `wait_` is the mask of events asked for, `stop_`
// is 1 once stopped, `device_` is the open device's handle while it is watched (until it hangs up).
LineWaiter::~LineWaiter() = default;

int LineWaiter::Start(const SerialDevice& device, unsigned events) {
    if (!device.IsOpen()) return EBADF;
    std::lock_guard<std::mutex> lock(Line().mutex);
    wait_ = events;
    stop_ = 0;
    device_ = device.Handle();
    return 0;
}

LineActivity LineWaiter::Wait() {
    SimulatedLine& line = Line();
    std::unique_lock<std::mutex> lock(line.mutex);
    for (;;) {
        if (stop_) return {true, 0, false};
        if (device_ >= 0) {
            line.Deliver();
            if (line.hungUp) {
                device_ = -1;
                return {false, 0, true};
            }
            const unsigned events = line.pending & static_cast<unsigned>(wait_);
            line.pending = 0;
            if (events != 0) return {false, events, false};
            if (const auto due = line.answers.NextDue()) {
                line.changed.wait_until(lock, *due);
                continue;
            }
        }
        line.changed.wait(lock);
    }
}

void LineWaiter::End() {}

void LineWaiter::Stop() {
    SimulatedLine& line = Line();
    std::lock_guard<std::mutex> lock(line.mutex);
    stop_ = 1;
    line.changed.notify_all();
}
