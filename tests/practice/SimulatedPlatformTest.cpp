// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port's simulated platform keeps the promises of the system's: one port, opened once; the
// event thread's wait woken by each arrival and each write, not again by bytes left unread, by an
// unplugging, and by Stop from another thread.
#include "device/SerialPlatform.h"
#include "device/SimulatedPort.h"

#include <cerrno>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr uint8_t VersionRequest = 254;
constexpr uint8_t SpectrumRequest = 255;

class SimulatedPlatformTest : public ::testing::Test {
protected:
    SerialDevice device;

    void SetUp() override { ASSERT_EQ(device.Open(SimulatedPortName), 0); }
    void TearDown() override {
        PlayedInstrument().SetFault(Fault::None);
        PlayedInstrument().SetAnswerDelay(0ms);
    }
    void Send(uint8_t command) { ASSERT_EQ(device.WriteBounded(&command, 1).Count, 1); }
    // The next wait's activity, or a stop after `patience`.
    static LineActivity NextActivity(LineWaiter& waiter, std::chrono::milliseconds patience) {
        auto activity = std::async(std::launch::async, [&waiter] { return waiter.Wait(); });
        if (activity.wait_for(patience) == std::future_status::timeout) waiter.Stop();
        return activity.get();
    }
};

TEST_F(SimulatedPlatformTest, HasOnePortThatOpensOnce) {
    SerialDevice other;
    EXPECT_EQ(other.Open("COM1"), ENOENT);
    EXPECT_EQ(other.Open(SimulatedPortName), EBUSY);
    device.Close();
    EXPECT_EQ(other.Open(SimulatedPortName), 0);
    EXPECT_EQ(device.Open(SimulatedPortName), EBUSY);
}

TEST_F(SimulatedPlatformTest, EachArrivalWakesTheWaitOnceAndStopEndsIt) {
    LineWaiter waiter;
    ASSERT_EQ(waiter.Start(device, LineRxChar), 0);
    Send(VersionRequest);
    LineActivity activity = NextActivity(waiter, 5000ms);
    EXPECT_FALSE(activity.Stopped);
    EXPECT_EQ(activity.Events, unsigned{LineRxChar}) << "the write's empty queue was not asked for";
    EXPECT_EQ(device.QueueCount().Count, 20);

    // The version left unread wakes nobody again; Stop does.
    activity = NextActivity(waiter, 200ms);
    EXPECT_TRUE(activity.Stopped);
    EXPECT_EQ(activity.Events, 0u);
    EXPECT_TRUE(waiter.Wait().Stopped) << "a stopped waiter stays stopped";
}

TEST_F(SimulatedPlatformTest, AnAnswerArrivesWhenDueAndIsReadThenAsTheInstrumentSentIt) {
    LineWaiter waiter;
    ASSERT_EQ(waiter.Start(device, LineRxChar | LineTxEmpty), 0);
    PlayedInstrument().SetAnswerDelay(1000ms);
    const auto sent = Clock::now();
    Send(SpectrumRequest);
    EXPECT_EQ(NextActivity(waiter, 5000ms).Events, unsigned{LineTxEmpty}) << "the write, at once";
    EXPECT_EQ(device.QueueCount().Count, 0) << "nothing before the answer is due";
    const LineActivity arrival = NextActivity(waiter, 5000ms);
    EXPECT_EQ(arrival.Events, unsigned{LineRxChar});
    EXPECT_GE(Clock::now() - sent, 1000ms);
    uint8_t frame[300];
    ASSERT_EQ(device.ReadNow(frame, sizeof frame).Count, 256);
    EXPECT_EQ(std::vector<uint8_t>(frame, frame + 256),
              InstrumentModel::EncodeFrame(PlayedInstrument().LastReadings()));
    EXPECT_EQ(device.ReadNow(frame, sizeof frame).Count, 0);
}

TEST_F(SimulatedPlatformTest, AnUnpluggedInstrumentHangsUpTheLineUntilItIsOpenedAgain) {
    LineWaiter waiter;
    ASSERT_EQ(waiter.Start(device, LineRxChar), 0);
    PlayedInstrument().SetFault(Fault::HangUp);
    Send(SpectrumRequest);
    const LineActivity activity = NextActivity(waiter, 5000ms);
    EXPECT_TRUE(activity.HungUp);
    EXPECT_FALSE(activity.Stopped);
    uint8_t byte;
    EXPECT_EQ(device.ReadNow(&byte, 1).Error, EIO);
    EXPECT_EQ(device.WriteBounded(&byte, 1).Error, EIO);
    EXPECT_TRUE(NextActivity(waiter, 100ms).Stopped) << "after the hang-up it waits for Stop only";

    PlayedInstrument().SetFault(Fault::None);
    device.Close();
    ASSERT_EQ(device.Open(SimulatedPortName), 0);
    Send(VersionRequest);
    EXPECT_EQ(device.QueueCount().Count, 20);
}

} // namespace
