// SPDX-License-Identifier: GPL-3.0-or-later
// TComPort against the simulated instrument through each system's own serial calls: on Linux every
// test starts its own simulator on a pseudo-terminal; the Windows tests find one on COM1, which
// tests/windows/e2e_test.sh serves under Wine for the whole run.
#include "PortTestSupport.h"
#include "device/CPort.h"

#include <gtest/gtest.h>

#include <thread>

#ifdef _WIN32
namespace {
struct Instrument {
    std::string PortPath() const { return "COM1"; }
};
const char* const MissingPort = "COM9";
} // namespace
#else
#include "kx207-sim/SimulatedInstrument.h"
using Instrument = SimulatedInstrument;
const char* const MissingPort = "/dev/kx207-no-such-port";
#endif

namespace {
const unsigned char VersionRequest = 254, SpectrumRequest = 255;
}

TEST(ComPort, OpensAndClosesThroughConnected) {
    Instrument instrument;
    TComPort port;
    OpenLikeProgram(port, instrument.PortPath());
    EXPECT_TRUE(port.Connected());
    EXPECT_NE(port.Handle(), -1);
    port.SetConnected(true);
    EXPECT_TRUE(port.Connected());
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.Handle(), -1);
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
}

TEST(ComPort, MissingPortRaisesCode1AndStaysClosed) {
    TComPort port;
    port.SetPort(MissingPort);
    const std::optional<EComPort> error = ComErrorOf([&] { port.SetConnected(true); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->FailureCode, CError_OpenFailed);
    EXPECT_EQ(error->SystemErrorCode, 2) << "ENOENT, ERROR_FILE_NOT_FOUND";
    EXPECT_STREQ(error->what(), "Unable to open com port (win error code: 2)");
    EXPECT_FALSE(port.Connected());
}

TEST(ComPort, TransfersTakeAtMostCountAndLeaveTheRest) {
    Instrument instrument;
    TComPort port;
    OpenLikeProgram(port, instrument.PortPath());
    std::string text = "unchanged";
    EXPECT_EQ(port.ReceiveText(text, 20), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(port.SendBytes(&VersionRequest, 1), 1);
    EXPECT_EQ(port.SendBytes(&SpectrumRequest, 1), 1);
    ASSERT_TRUE(WaitForQueued(port, 20 + 256));
    EXPECT_EQ(port.ReceiveText(text, 20), 20);
    EXPECT_EQ(text, "KX207 Firmware 1.2\r\n");
    EXPECT_EQ(port.ReceiveText(text, 0), 0);
    EXPECT_EQ(port.ReceiveQueueCount(), 256);
    EXPECT_EQ(port.ReceiveText(text, 300), 256);
    EXPECT_NE(text.find('\0'), std::string::npos) << "a frame's zero bytes stay in the text";
    EXPECT_EQ(port.ReceiveQueueCount(), 0);
}

TEST(ComPort, ChangingSyncMethodWhileOpenRaisesCode14) {
    Instrument instrument;
    TComPort port;
    OpenLikeProgram(port, instrument.PortPath());
    const std::optional<EComPort> error = ComErrorOf([&] { port.SetSyncMethod(smNone); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->FailureCode, CError_ConnChangeProp);
    EXPECT_EQ(error->SystemErrorCode, -1);
    EXPECT_STREQ(error->what(), "Cannot set property while connected");
    port.SetSyncMethod(smThreadSync);
    port.SetConnected(false);
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST(ComPort, HandlersRunInTheirOrder) {
    Instrument instrument;
    TComPort port;
    std::vector<std::string> calls;
    port.OnBeforeOpen = [&](TCustomComPort& sender) {
        calls.push_back(sender.Connected() ? "before open: open" : "before open");
    };
    port.OnAfterOpen = [&](TCustomComPort& sender) {
        calls.push_back(sender.Connected() ? "after open" : "?");
    };
    port.OnCTSChange = [&](TCustomComPort&, bool on) { calls.push_back(on ? "CTS on" : "CTS off"); };
    port.OnBeforeClose = [&](TCustomComPort&) { calls.push_back("before close"); };
    port.OnAfterClose = [&](TCustomComPort& sender) {
        calls.push_back(sender.Connected() ? "?" : "after close");
    };
    port.SetEvents({});
    OpenLikeProgram(port, instrument.PortPath());
    port.SetConnected(false);
    // Neither a pseudo-terminal nor Wine's port on it has modem lines: CTS reads off.
    EXPECT_EQ(calls, (std::vector<std::string>{"before open", "after open", "CTS off", "CTS off",
                                               "before close", "after close"}));
}

TEST(ComThread, HandsLineEventsToTheUserInterfaceThread) {
    Instrument instrument;
    TComPort port;
    std::thread::id handlerThread;
    long counted = 0;
    port.OnRxChar = [&](TCustomComPort&, long count) {
        handlerThread = std::this_thread::get_id();
        counted = count;
    };
    OpenLikeProgram(port, instrument.PortPath());
    port.SendBytes(&VersionRequest, 1);
    ASSERT_TRUE(RunEventsUntil([&] { return counted == 20; }));
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    // The dispatch only looks: every byte is still there for the program's read.
    EXPECT_EQ(port.ReceiveQueueCount(), 20);
}

TEST(ComPort, ClosingEndsTheThreadWhichEmptiesTheQueues) {
    Instrument instrument;
    TComPort port;
    OpenLikeProgram(port, instrument.PortPath());
    port.SendBytes(&VersionRequest, 1);
    ASSERT_TRUE(WaitForQueued(port, 20));
    port.SetConnected(false);
    TComPort again;
    OpenLikeProgram(again, instrument.PortPath());
    EXPECT_EQ(again.ReceiveQueueCount(), 0);
}
