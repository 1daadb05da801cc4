// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/ComThread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

QEvent::Type HandOverEvent() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

// Each event and its bit in the line's event mask.
const struct {
    TComEvent Event;
    unsigned Bit;
} EventBits[] = {{evRxChar, LineRxChar},    {evRxFlag, LineRxFlag}, {evTxEmpty, LineTxEmpty},
                 {evCTS, LineCts},          {evDSR, LineDsr},       {evRLSD, LineRlsd},
                 {evBreak, LineBreak},      {evError, LineError},   {evRing, LineRing},
                 {evRx80Full, LineRx80Full}};

unsigned MaskOf(TComEvents events) {
    unsigned mask = 0;
    for (const auto& entry : EventBits)
        if (events.Contains(entry.Event)) mask |= entry.Bit;
    return mask;
}

} // namespace

// Lives in the user-interface thread and runs the thread's hand-over when its event arrives there.
// It is told by a posted event of its own type; the event's content is never read, so the event thread
// shares nothing with the user-interface thread but what the mutex guards.
class TComThread::THandOverReceiver : public QObject {
public:
    explicit THandOverReceiver(TComThread& thread) : thread_(thread) {}

protected:
    void customEvent(QEvent*) override { thread_.RunHandOver(); }

private:
    TComThread& thread_;
};

TComThread::TComThread(TCustomComPort& port, const SerialDevice& device, TComEvents events,
                       TSyncMethod syncMethod)
    : port_(port), device_(device), mask_(events), handOver_(syncMethod != smNone),
      receiver_(std::make_unique<THandOverReceiver>(*this)) {
    if (const int error = waiter_.Start(device, MaskOf(events))) throw EComPort(CError_OpenFailed, error);
    thread_ = std::thread([this] { Run(); });
}

TComThread::~TComThread() {
    if (thread_.joinable()) Stop();
}

void TComThread::Stop() {
    waiter_.Stop();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return state_ == HandOver::Posted || finished_; });
        if (state_ != HandOver::Posted) break;
        lock.unlock();
        RunHandOver();
        lock.lock();
    }
    lock.unlock();
    thread_.join();
}

void TComThread::Run() {
    for (;;) {
        const LineActivity activity = waiter_.Wait();
        if (activity.Stopped) break;
        const TComEvents events = EventsOf(activity);
        if (!events.Empty() && !Deliver(events)) break;
    }
    waiter_.End();
    // The driver queues are emptied when the thread ends (no pending request is aborted: that is the
    // close's job); a hung-up line may refuse, which changes nothing.
    device_.Purge(true, true);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

TComEvents TComThread::EventsOf(const LineActivity& activity) const {
    TComEvents events;
    for (const auto& entry : EventBits)
        if (activity.Events & entry.Bit) events.Include(entry.Event);
    if (events.Contains(evTxEmpty)) {
        const IoResult waiting = device_.OutputCount();
        if (waiting.Error != 0 || waiting.Count != 0) events.Exclude(evTxEmpty);
    }
    if (activity.HungUp) events.Include(evError);
    return events * mask_;
}

bool TComThread::Deliver(TComEvents events) {
    if (!handOver_) {
        try {
            port_.HandleLineEvents(events);
            return true;
        } catch (...) {
            return false;
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        batch_ = events;
        state_ = HandOver::Posted;
    }
    changed_.notify_all();
    QCoreApplication::postEvent(receiver_.get(), new QEvent(HandOverEvent()));
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return state_ == HandOver::Idle; });
    return !failed_;
}

void TComThread::RunHandOver() {
    TComEvents events;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (state_ != HandOver::Posted) return;
        state_ = HandOver::Running;
        events = batch_;
    }
    bool failed = false;
    try {
        port_.HandleLineEvents(events);
    } catch (...) {
        failed = true; // passed back: it ends the event thread
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        failed_ = failed;
        state_ = HandOver::Idle;
    }
    changed_.notify_all();
}
