// SPDX-License-Identifier: GPL-3.0-or-later
// The event thread TComThread and its hand-over to the user-interface thread.
#include "PortTestSupport.h"
#include "device/CPort.h"
#include "kx207-sim/PseudoTerminal.h"
#include "kx207-sim/SimulatedInstrument.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

TEST(ComThread, BytesLeftUnreadDoNotWakeTheThreadAgain) {
    PseudoTerminal terminal;
    TComPort port;
    std::atomic<int> batches{0};
    port.OnRxChar = [&](TCustomComPort&, long) { ++batches; };
    OpenLikeProgram(port, terminal.SlavePath());
    WriteAll(terminal.Master(), "abc");
    ASSERT_TRUE(RunEventsUntil([&] { return batches > 0; }));
    RunEventsFor(20);
    const int afterArrival = batches;
    RunEventsFor(100);
    EXPECT_EQ(batches, afterArrival) << "woken again by bytes nobody read";
    WriteAll(terminal.Master(), "d");
    ASSERT_TRUE(RunEventsUntil([&] { return batches > afterArrival; }));
}

TEST(ComThread, SyncMethodNoneRunsTheDispatchInTheEventThread) {
    PseudoTerminal terminal;
    TComPort port;
    port.SetSyncMethod(smNone);
    std::atomic<bool> called{false};
    std::atomic<bool> onOtherThread{false};
    const std::thread::id uiThread = std::this_thread::get_id();
    port.OnRxChar = [&](TCustomComPort&, long) {
        onOtherThread = std::this_thread::get_id() != uiThread;
        called = true;
    };
    OpenLikeProgram(port, terminal.SlavePath());
    WriteAll(terminal.Master(), "x");
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!called && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_TRUE(called);
    EXPECT_TRUE(onOtherThread);
}

TEST(ComThread, ClosingRunsTheHandOverTheThreadWaitsIn) {
    PseudoTerminal terminal;
    TComPort port;
    int batches = 0;
    port.OnRxChar = [&](TCustomComPort&, long) { ++batches; };
    OpenLikeProgram(port, terminal.SlavePath());
    RunEventsFor(50); // what the opening itself reported
    WriteAll(terminal.Master(), "waiting");
    ASSERT_TRUE(WaitForQueued(port, 7));
    // No event is processed: the thread now blocks in its hand-over until the close runs it.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    port.SetConnected(false);
    EXPECT_EQ(batches, 1);
    EXPECT_FALSE(port.Connected());
    RunEventsFor(10); // the posted hand-over finds nothing left to run
    EXPECT_EQ(batches, 1);
}

TEST(ComThread, AnErrorInTheDispatchEndsTheThreadAndTheTransfersGoOn) {
    PseudoTerminal terminal;
    TComPort port;
    const int before = ThreadCount();
    port.OnRxChar = [](TCustomComPort&, long) { throw std::runtime_error("handler failed"); };
    OpenLikeProgram(port, terminal.SlavePath());
    WriteAll(terminal.Master(), "a");
    ASSERT_TRUE(RunEventsUntil([&] { return ThreadCount() == before; }));
    EXPECT_TRUE(port.Connected());
    WriteAll(terminal.Master(), "bc");
    ASSERT_TRUE(WaitForQueued(port, 2));
    char bytes[4];
    EXPECT_EQ(port.ReceiveBytes(bytes, 4), 2);
    EXPECT_EQ(std::string(bytes, 2), "bc");
    port.SetConnected(false);
}

TEST(ComThread, OpensAndClosesManyTimesWithDataFlowing) {
    PseudoTerminal terminal;
    TComPort port;
    port.SetBaudRate(br115200);
    port.SetPort(terminal.SlavePath());
    long dispatched = 0;
    port.OnRxChar = [&](TCustomComPort&, long) { ++dispatched; };
    const int before = ThreadCount();
    std::atomic<bool> flowing{true};
    // The instrument's side keeps sending while the port opens and closes.
    std::thread sender([&] {
        while (flowing) {
            (void)::write(terminal.Master(), "0123456789", 10);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    for (int round = 0; round < 1000; ++round) {
        port.SetConnected(true);
        if (round % 3 == 0) QCoreApplication::processEvents();
        if (round % 5 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
        port.SetConnected(false);
    }
    flowing = false;
    sender.join();
    EXPECT_EQ(ThreadCount(), before);
    EXPECT_GT(dispatched, 0);
}

TEST(ComThread, AfterAHangUpTheThreadIdlesAndTransfersRaise) {
    SimulatedInstrument instrument;
    TComPort port;
    OpenLikeProgram(port, instrument.PortPath());
    EXPECT_EQ(Answer(port, 254, 20), "KX207 Firmware 1.2\r\n");
    instrument.HangUp();
    RunEventsFor(50);
    const double cpuBefore = ProcessCpuMs();
    RunEventsFor(300);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 30.0);
    EXPECT_TRUE(port.Connected());
    const unsigned char request = 255;
    const std::optional<EComPort> writeError = ComErrorOf([&] { port.SendBytes(&request, 1); });
    ASSERT_TRUE(writeError);
    EXPECT_EQ(writeError->FailureCode, CError_WriteFailed);
    EXPECT_EQ(writeError->SystemErrorCode, EIO);
    char answer[256];
    const std::optional<EComPort> readError = ComErrorOf([&] { port.ReceiveBytes(answer, 256); });
    ASSERT_TRUE(readError);
    EXPECT_EQ(readError->FailureCode, CError_ReadFailed);
    EXPECT_EQ(readError->SystemErrorCode, EIO);
    // A failed transfer leaves the port open; it still closes cleanly.
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
}

TEST(ComThread, ALineThatCannotCountItsTransmitQueueIsNeverReportedEmpty) {
    PseudoTerminal terminal;
    TComPort port;
    // Transmit-empty alone: no error handling stands between the line and the report.
    port.SetEvents({evTxEmpty});
    int emptied = 0;
    port.OnTxEmpty = [&](TCustomComPort&) { ++emptied; };
    OpenLikeProgram(port, terminal.SlavePath());
    RunEventsFor(50);
    const int before = emptied;
    // A hung-up line still reports room to write, but its queue can no longer be counted.
    terminal.HangUp();
    RunEventsFor(100);
    EXPECT_EQ(emptied, before) << "bytes may still wait to be sent";
    port.SetConnected(false);
}
