// SPDX-License-Identifier: GPL-3.0-or-later
// What TComPort leaves at a Windows serial driver, seen through the port's handle: COM1, which
// tests/windows/e2e_test.sh serves with the simulator under Wine.
#include "PortTestSupport.h"
#include "device/CPort.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

namespace {

HANDLE HandleOf(const TComPort& port) {
    return reinterpret_cast<HANDLE>(port.Handle());
}

} // namespace

TEST(ComPortWindows, TheEventMaskFollowsEventsUntilTheThreadEnds) {
    const struct {
        TComEvents events;
        DWORD mask;
    } cases[] = {{AllComEvents, 0x05FF}, {{evRxChar, evCTS, evRx80Full}, 0x0409}};
    for (const auto& c : cases) {
        TComPort port;
        port.SetEvents(c.events);
        // A failing dispatch ends the thread and leaves the port open.
        port.OnRxChar = [](TCustomComPort&, long) { throw std::runtime_error("ends the thread"); };
        OpenLikeProgram(port, "COM1");
        DWORD mask = 0;
        EXPECT_TRUE(GetCommMask(HandleOf(port), &mask));
        EXPECT_EQ(mask, c.mask);
        const unsigned char versionRequest = 254;
        port.SendBytes(&versionRequest, 1);
        EXPECT_TRUE(RunEventsUntil([&] { return GetCommMask(HandleOf(port), &mask) && mask == 0; }));
        RunEventsFor(100); // the thread's end emptied the queue; what came later is taken here
        std::string rest;
        port.ReceiveText(rest, 20);
    }
}

TEST(ComPortWindows, TheLineSettingsAreFilledFromZero) {
    TComPort port;
    OpenLikeProgram(port, "COM1");
    DCB line{};
    line.DCBlength = sizeof line;
    ASSERT_TRUE(GetCommState(HandleOf(port), &line));
    EXPECT_EQ(line.BaudRate, 115200u);
    EXPECT_EQ(line.ByteSize, 8);
    EXPECT_EQ(line.Parity, NOPARITY);
    EXPECT_EQ(line.StopBits, ONESTOPBIT);
    EXPECT_FALSE(line.fOutxCtsFlow || line.fOutX || line.fInX);
    EXPECT_EQ(line.EofChar, 0) << "not the driver's";
}

TEST(ComPortWindows, AFailingPurgeAtCloseRaisesCode5AndLeavesThePortOpen) {
    TComPort port;
    port.SetEvents({});
    OpenLikeProgram(port, "COM1");
    CloseHandle(HandleOf(port)); // the device gone from under the port
    const std::optional<EComPort> error = ComErrorOf([&] { port.SetConnected(false); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->FailureCode, CError_PurgeFailed);
    EXPECT_EQ(error->SystemErrorCode, ERROR_INVALID_HANDLE);
    EXPECT_TRUE(port.Connected());
}

TEST(ComPortWindows, AWriteCancelledByAnotherRaisesCode2) {
    TComPort port;
    port.SetEvents({});
    OpenLikeProgram(port, "COM1");
    const std::string exposures(16 << 20, '\0'); // exposure 0, again and again: no answer
    std::atomic<bool> written{false};
    std::thread canceller([&] {
        while (!written) {
            CancelIoEx(HandleOf(port), nullptr);
            Sleep(1);
        }
    });
    const std::optional<EComPort> error =
        ComErrorOf([&] { port.SendBytes(exposures.data(), static_cast<long>(exposures.size())); });
    written = true;
    canceller.join();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->FailureCode, CError_WriteFailed);
    EXPECT_EQ(error->SystemErrorCode, ERROR_OPERATION_ABORTED);
}
