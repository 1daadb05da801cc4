// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/CPort.h"
#include "device/SerialPlatform.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// The event thread of an open port: waits for line events and hands each batch to the port's
// HandleLineEvents. With smThreadSync the batch runs on the user-interface thread (the thread that
// created this object) and the event thread blocks until it has run; with smNone it runs in the event
// thread. An error raised by a batch ends the thread; the port stays usable for transfers.
class TComThread {
public:
    // Starts watching `device` for `events`; raises code 1 when the wait cannot be prepared.
    TComThread(TCustomComPort& port, const SerialDevice& device, TComEvents events, TSyncMethod syncMethod);
    // Stops the thread if Stop has not.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    // Ends the thread and waits for it on the user-interface thread, running a hand-over the thread
    // is blocked in meanwhile, so the two cannot wait for each other.
    void Stop();

private:
    enum class HandOver { Idle, Posted, Running };
    class THandOverReceiver;

    void Run();
    // The events of one wait that the port asked for.
    TComEvents EventsOf(const LineActivity& activity) const;
    // Delivers a batch; false when it raised and the thread must end.
    bool Deliver(TComEvents events);
    // Runs the posted batch on the user-interface thread, if it is still waiting.
    void RunHandOver();

    TCustomComPort& port_;
    const SerialDevice& device_;
    const TComEvents mask_;
    const bool handOver_;
    LineWaiter waiter_;
    // Receives the posted hand-overs; lives in the user-interface thread.
    std::unique_ptr<THandOverReceiver> receiver_;

    std::mutex mutex_;
    std::condition_variable changed_;
    HandOver state_ = HandOver::Idle;
    TComEvents batch_;
    bool failed_ = false;
    bool finished_ = false;
    std::thread thread_;
};
