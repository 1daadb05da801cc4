// SPDX-License-Identifier: GPL-3.0-or-later
// TComPort on real pseudo-terminals.
#include "PortTestSupport.h"
#include "device/CPort.h"
#include "kx207-sim/PseudoTerminal.h"
#include "kx207-sim/SimulatedInstrument.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"
#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int FailureCodeOf(const std::function<void()>& operation) {
    const std::optional<EComPort> error = ComErrorOf(operation);
    return error ? error->FailureCode : 0;
}

// The lock file terminal programs use for the device at `path` ("/dev/pts/3" → "LCK..pts_3").
std::string LockFileOf(const std::string& path) {
    std::string name = path.substr(std::string("/dev/").size());
    std::replace(name.begin(), name.end(), '/', '_');
    return SerialLockFolder() + "/LCK.." + name;
}

std::string LockNaming(long pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10ld\n", pid);
    return text;
}

} // namespace

TEST(ComPort, DefaultsAtConstruction) {
    TComPort port;
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.CustomBaudRate(), 9600);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_EQ(port.Parity().Bits(), prNone);
    EXPECT_FALSE(port.Parity().Check());
    EXPECT_FALSE(port.Parity().Replace());
    EXPECT_EQ(port.Parity().ReplaceChar(), 0);
    EXPECT_EQ(port.StopBits(), sbOneStopBit);
    EXPECT_EQ(port.DataBits(), dbEight);
    EXPECT_FALSE(port.DiscardNull());
    EXPECT_EQ(port.EventChar(), 0);
    EXPECT_EQ(port.Events(), AllComEvents);
    EXPECT_EQ(port.Buffer().InputSize(), 1024);
    EXPECT_EQ(port.Buffer().OutputSize(), 1024);
    EXPECT_FALSE(port.FlowControl().OutCTSFlow());
    EXPECT_FALSE(port.FlowControl().OutDSRFlow());
    EXPECT_FALSE(port.FlowControl().XonXoffOut());
    EXPECT_FALSE(port.FlowControl().XonXoffIn());
    EXPECT_FALSE(port.FlowControl().DSRSensitivity());
    EXPECT_FALSE(port.FlowControl().TxContinueOnXoff());
    EXPECT_EQ(port.FlowControl().ControlDTR(), dtrDisable);
    EXPECT_EQ(port.FlowControl().ControlRTS(), rtsDisable);
    EXPECT_EQ(port.FlowControl().XonChar(), 17);
    EXPECT_EQ(port.FlowControl().XoffChar(), 19);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcNone);
    EXPECT_EQ(port.Timeouts().ReadInterval(), -1);
    EXPECT_EQ(port.Timeouts().ReadTotalMultiplier(), 0);
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 0);
    EXPECT_EQ(port.Timeouts().WriteTotalMultiplier(), 100);
    EXPECT_EQ(port.Timeouts().WriteTotalConstant(), 1000);
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
}

TEST(ComPort, EnumerationsKeepTheirOrder) {
    EXPECT_EQ(br115200, 13);
    EXPECT_EQ(br256000, 15);
    EXPECT_EQ(BaudRateValue(br115200), 115200);
    EXPECT_EQ(BaudRateValue(br110), 110);
    EXPECT_EQ(sbTwoStopBits, 2);
    EXPECT_EQ(dbEight, 3);
    EXPECT_EQ(prSpace, 4);
    EXPECT_EQ(rtsToggle, 3);
    EXPECT_EQ(smNone, 2);
    EXPECT_EQ(evRx80Full, 9);
    EXPECT_EQ(fcCustom, 3);
    EXPECT_EQ(TComSignals({csCTS, csDSR, csRing, csRLSD}).Bits(), 15u);
}

TEST(ComPort, ErrorTextsAndCodes) {
    const char* const texts[] = {"Unable to open com port",
                                 "WriteFile function failed",
                                 "ReadFile function failed",
                                 "Invalid Async parameter",
                                 "PurgeComm function failed",
                                 "Unable to get async status",
                                 "SetCommState function failed",
                                 "SetCommTimeouts failed",
                                 "SetupComm function failed",
                                 "ClearCommError function failed",
                                 "GetCommModemStatus function failed",
                                 "EscapeCommFunction function failed",
                                 "TransmitCommChar function failed",
                                 "Cannot set property while connected",
                                 "EnumPorts function failed",
                                 "Failed to store settings",
                                 "Failed to load settings",
                                 "Link (un)registration failed",
                                 "Cannot change led state if ComPort is selected",
                                 "Cannot wait for event if event thread is created",
                                 "WaitForEvent method failed",
                                 "A component is linked to OnRxBuf event",
                                 "Registry error"};
    for (int code = 1; code <= 23; ++code) {
        const EComPort plain(code);
        EXPECT_STREQ(plain.what(), texts[code - 1]);
        EXPECT_EQ(plain.FailureCode, code);
        EXPECT_EQ(plain.SystemErrorCode, -1);
    }
    const EComPort withSystemError(CError_WriteFailed, 5);
    EXPECT_STREQ(withSystemError.what(), "WriteFile function failed (win error code: 5)");
    EXPECT_EQ(withSystemError.FailureCode, 2);
    EXPECT_EQ(withSystemError.SystemErrorCode, 5);
    EXPECT_EQ(CError_RegError, 23);
}

TEST(ComPort, AppliesTheProgramsLineSettings) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    const termios line = terminal.LineSettings();
    EXPECT_EQ(cfgetospeed(&line), B115200);
    EXPECT_EQ(cfgetispeed(&line), B115200);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(line.c_cflag & PARENB);
    EXPECT_FALSE(line.c_cflag & CSTOPB);
    EXPECT_FALSE(line.c_cflag & CRTSCTS);
    EXPECT_TRUE(line.c_cflag & CLOCAL);
    EXPECT_TRUE(line.c_cflag & CREAD);
    EXPECT_FALSE(line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK));
    EXPECT_FALSE(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(line.c_oflag & OPOST);
    EXPECT_EQ(line.c_cc[VMIN], 1);
    EXPECT_EQ(line.c_cc[VTIME], 0);
}

TEST(ComPort, SettingChangesApplyWhileOpen) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    port.SetBaudRate(br9600);
    port.SetStopBits(sbTwoStopBits);
    port.FlowControl().SetXonXoffIn(true);
    termios line = terminal.LineSettings();
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_TRUE(line.c_cflag & CSTOPB);
    EXPECT_TRUE(line.c_iflag & IXOFF);
    EXPECT_FALSE(line.c_iflag & IXON);

    TComFlowControl hardware;
    hardware.SetFlowControl(fcHardware);
    port.SetFlowControl(hardware);
    EXPECT_EQ(port.FlowControl().FlowControl(), fcHardware);
    line = terminal.LineSettings();
    EXPECT_TRUE(line.c_cflag & CRTSCTS);
    EXPECT_FALSE(line.c_iflag & IXOFF);
    // Recent kernels drop the parity switch and fewer data bits on pseudo-terminals; the kind of parity
    // stays.
    const std::tuple<TParityBits, bool, bool> parities[] = {
        {prOdd, true, false}, {prMark, true, true}, {prSpace, false, true}, {prEven, false, false}};
    for (const auto& [bits, odd, stuck] : parities) {
        port.Parity().SetBits(bits);
        line = terminal.LineSettings();
        EXPECT_EQ(bool(line.c_cflag & PARODD), odd) << bits;
        EXPECT_EQ(bool(line.c_cflag & CMSPAR), stuck) << bits;
    }
}

TEST(ComPort, SettingChangesWhileClosedWaitForTheOpen) {
    PseudoTerminal terminal;
    TComPort port;
    port.SetBaudRate(br57600);
    port.SetPort(terminal.SlavePath());
    const termios before = terminal.LineSettings();
    EXPECT_NE(cfgetospeed(&before), B57600);
    port.SetConnected(true);
    const termios after = terminal.LineSettings();
    EXPECT_EQ(cfgetospeed(&after), B57600);
}

TEST(ComPort, BitRateThePlatformLacksRaisesCode7) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    const std::optional<EComPort> error = ComErrorOf([&] { port.SetBaudRate(br14400); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->FailureCode, CError_SetStateFailed);
    EXPECT_EQ(error->SystemErrorCode, EINVAL);
    EXPECT_TRUE(port.Connected());
}

TEST(ComPort, FailedConfigurationLeavesThePortClosed) {
    PseudoTerminal terminal;
    TComPort port;
    port.SetBaudRate(br128000);
    port.SetPort(terminal.SlavePath());
    EXPECT_EQ(FailureCodeOf([&] { port.SetConnected(true); }), CError_SetStateFailed);
    EXPECT_FALSE(port.Connected());
    port.SetBaudRate(br115200);
    port.SetConnected(true); // the device was released
    EXPECT_TRUE(port.Connected());
}

TEST(ComPort, ReadTimeoutsThatWaitAreRefusedWithCode8) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    EXPECT_EQ(FailureCodeOf([&] { port.Timeouts().SetReadTotalConstant(50); }), CError_TimeoutsFailed);
}

TEST(ComPort, SamePortNameDoesNothing) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    WriteAll(terminal.Master(), "abc");
    ASSERT_TRUE(WaitForQueued(port, 3));
    port.SetPort(terminal.SlavePath());
    // A reopen would have emptied the queues.
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.ReceiveQueueCount(), 3);
}

TEST(ComPort, NewPortNameReopensThere) {
    PseudoTerminal first, second;
    TComPort port;
    OpenLikeProgram(port, first.SlavePath());
    port.SetPort(second.SlavePath());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Port(), second.SlavePath());
    WriteAll(second.Master(), "xy");
    ASSERT_TRUE(WaitForQueued(port, 2));
    char bytes[4];
    EXPECT_EQ(port.ReceiveBytes(bytes, 4), 2);
    // The first port was given up: another component can take it.
    TComPort other;
    OpenLikeProgram(other, first.SlavePath());
    EXPECT_TRUE(other.Connected());
}

TEST(ComPort, FileThatIsNoTerminalRaisesCode1) {
    TComPort port;
    port.SetPort("/dev/null");
    EXPECT_EQ(FailureCodeOf([&] { port.SetConnected(true); }), CError_OpenFailed);
    EXPECT_FALSE(port.Connected());
}

// (Wine lets a process open its COM port twice, so this stays a Linux test.)
TEST(ComPort, SecondOpenOfTheSamePortRaisesCode1) {
    PseudoTerminal terminal;
    TComPort first, second;
    OpenLikeProgram(first, terminal.SlavePath());
    const std::optional<EComPort> error = ComErrorOf([&] { OpenLikeProgram(second, terminal.SlavePath()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->FailureCode, CError_OpenFailed);
    EXPECT_EQ(error->SystemErrorCode, EBUSY);
    EXPECT_FALSE(second.Connected());
    EXPECT_TRUE(first.Connected());
}

TEST(ComPort, APortAnotherProgramHeldFirstRaisesCode1UntilItLetsGo) {
    PseudoTerminal terminal;
    const std::string path = terminal.SlavePath(), lock = LockFileOf(path);
    std::unique_ptr<PortHolder> holder;
    const struct {
        const char* earlier;
        std::function<void()> hold, letGo;
    } cases[] = {
        {"a program with the port open",
         [&] {
             holder = std::make_unique<PortHolder>(path);
             ASSERT_TRUE(holder->Holding());
         },
         [&] { holder->End(); }},
        {"a living program's lock file", [&] { TempFolder::Write(lock, LockNaming(getppid())); },
         [&] { unlink(lock.c_str()); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.earlier);
        c.hold();
        TComPort port;
        const std::optional<EComPort> error = ComErrorOf([&] { OpenLikeProgram(port, path); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->FailureCode, CError_OpenFailed);
        EXPECT_EQ(error->SystemErrorCode, EBUSY);
        EXPECT_FALSE(port.Connected());
        c.letGo();
        port.SetConnected(true);
        EXPECT_TRUE(port.Connected());
        EXPECT_EQ(TempFolder::Read(lock), LockNaming(getpid())) << "our own lock while the port is open";
        port.SetConnected(false);
        EXPECT_EQ(access(lock.c_str(), F_OK), -1) << "and gone with the close";
    }
}

TEST(ComPort, ADeadProgramsLockFileIsReplaced) {
    PseudoTerminal terminal;
    const std::string lock = LockFileOf(terminal.SlavePath());
    TempFolder::Write(lock, LockNaming(99999999)); // above every process id Linux gives
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(TempFolder::Read(lock), LockNaming(getpid()));
}

TEST(ComPort, AClosedPortOpensAgainWhileAnotherDescriptorKeepsItOpen) {
    PseudoTerminal terminal; // keeps a descriptor of the port open, as the simulator does
    const std::string path = terminal.SlavePath();
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    // Exclusive mode stops only users other than root.
    Unprivileged::Run([&] {
        TComPort port;
        port.SetEvents({});
        OpenLikeProgram(port, path);
        port.SetConnected(false);
        EXPECT_FALSE(ComErrorOf([&] { port.SetConnected(true); }));
    });
}

TEST(ComPort, ReceiveBytesWithNothingWaitingReturnsAtOnce) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    unsigned char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 0xAA);
    const auto start = Clock::now();
    EXPECT_EQ(port.ReceiveBytes(buffer, 256), 0);
    EXPECT_LT(MillisecondsSince(start), 500) << "far below any time-out, also on a busy machine";
    for (unsigned char byte : buffer)
        ASSERT_EQ(byte, 0xAA);
}

TEST(ComPort, ReceiveBytesTakesWhatWaitsAndLaterBytesComeNext) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    std::string sent;
    for (int i = 0; i < 100; ++i)
        sent.push_back(static_cast<char>(i * 7));
    WriteAll(terminal.Master(), sent);
    ASSERT_TRUE(WaitForQueued(port, 100));
    char buffer[256];
    EXPECT_EQ(port.ReceiveBytes(buffer, 256), 100);
    EXPECT_EQ(std::string(buffer, 100), sent);
    EXPECT_EQ(port.ReceiveQueueCount(), 0);
    WriteAll(terminal.Master(), "late");
    ASSERT_TRUE(WaitForQueued(port, 4));
    EXPECT_EQ(port.ReceiveBytes(buffer, 256), 4);
    EXPECT_EQ(std::string(buffer, 4), "late");
}

TEST(ComPort, SendBytesReachesTheInstrument) {
    SimulatedInstrument instrument;
    TComPort port;
    OpenLikeProgram(port, instrument.PortPath());
    const unsigned char exposure = 42;
    EXPECT_EQ(port.SendBytes(&exposure, 1), 1);
    EXPECT_TRUE(WaitUntil([&] { return instrument.Exposure() == 42; }));
    EXPECT_EQ(instrument.ReceivedBytes(), std::vector<uint8_t>{42});
}

TEST(ComPort, OneByteToADeviceThatTakesNothingReturns0AfterTheWriteTimeout) {
    PseudoTerminal terminal;
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    // Nobody reads the instrument's side: fill the line until it takes nothing more, also after the
    // kernel has moved what it could to the other side.
    const std::string block(4096, 'x');
    for (int settled = 0; settled < 3;) {
        bool took = false;
        while (::write(terminal.Slave(), block.data(), block.size()) > 0 ||
               ::write(terminal.Slave(), block.data(), 1) > 0)
            took = true;
        settled = took ? 0 : settled + 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const unsigned char byte = 255;
    const auto start = Clock::now();
    EXPECT_EQ(port.SendBytes(&byte, 1), 0);
    const long long passed = MillisecondsSince(start);
    EXPECT_GE(passed, 1095);
    EXPECT_LT(passed, 3000);
}

TEST(ComPort, PositiveOddBufferSizesAreLoweredByOne) {
    TComPort port;
    port.Buffer().SetInputSize(1023);
    port.Buffer().SetOutputSize(1);
    EXPECT_EQ(port.Buffer().InputSize(), 1022);
    EXPECT_EQ(port.Buffer().OutputSize(), 0);
    port.Buffer().SetInputSize(2048);
    port.Buffer().SetOutputSize(-3);
    EXPECT_EQ(port.Buffer().InputSize(), 2048);
    EXPECT_EQ(port.Buffer().OutputSize(), -3);
    TComBuffer sizes;
    sizes.SetInputSize(513);
    port.SetBuffer(sizes);
    EXPECT_EQ(port.Buffer().InputSize(), 512);
    EXPECT_EQ(port.Buffer().OutputSize(), 1024);
}

TEST(ComPort, LinkRegisteredTwiceOrUnknownRaisesCode18) {
    TComPort port;
    TComLink link, stranger;
    port.RegisterLink(&link);
    EXPECT_EQ(FailureCodeOf([&] { port.RegisterLink(&link); }), CError_RegFailed);
    EXPECT_EQ(FailureCodeOf([&] { port.UnRegisterLink(&stranger); }), CError_RegFailed);
    port.UnRegisterLink(&link);
    EXPECT_EQ(FailureCodeOf([&] { port.UnRegisterLink(&link); }), CError_RegFailed);
}

TEST(ComPort, LinksHearOpenCloseAndWrites) {
    PseudoTerminal terminal;
    TComPort port;
    TComLink link;
    std::vector<bool> states;
    std::string written;
    link.OnConn = [&](TCustomComPort&, bool open) { states.push_back(open); };
    link.OnTxBuf = [&](TCustomComPort&, const char* bytes, long count) { written.append(bytes, count); };
    // A transmission lamp: lit while a write goes out, off once the line has sent every byte.
    bool sending = false;
    int emptied = 0, handled = 0;
    link.OnTx = [&](TCustomComPort&, bool busy) { sending = busy; };
    link.OnTxEmpty = [&](TCustomComPort&) { ++emptied; };
    port.OnTxEmpty = [&](TCustomComPort&) { ++handled; };
    port.RegisterLink(&link);
    OpenLikeProgram(port, terminal.SlavePath());
    port.SendBytes("hi", 2);
    EXPECT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return handled > 0 && emptied > 0;
    }));
    EXPECT_FALSE(sending);
    port.SetConnected(false);
    EXPECT_EQ(states, (std::vector<bool>{true, false}));
    EXPECT_EQ(written, "hi");
}

TEST(ComPort, AReceptionLampGoesOffOnlyOnceAReadHasEmptiedTheQueue) {
    PseudoTerminal terminal;
    TComPort port;
    TComLink lamp;
    bool lit = false;
    lamp.OnRx = [&](TCustomComPort&, bool busy) { lit = busy; };
    port.RegisterLink(&lamp);
    OpenLikeProgram(port, terminal.SlavePath());
    WriteAll(terminal.Master(), "abc");
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return lit && port.ReceiveQueueCount() == 3;
    }));
    char bytes[2];
    port.ReceiveBytes(bytes, 2);
    EXPECT_TRUE(lit) << "a byte still waits";
    port.ReceiveBytes(bytes, 2);
    EXPECT_FALSE(lit);
}

TEST(ComPort, NoEventsStartsNoThread) {
    PseudoTerminal terminal;
    const int before = ThreadCount();
    {
        TComPort port;
        port.SetEvents({});
        OpenLikeProgram(port, terminal.SlavePath());
        EXPECT_EQ(ThreadCount(), before);
        port.SetConnected(false);
    }
    TComPort port;
    OpenLikeProgram(port, terminal.SlavePath());
    EXPECT_EQ(ThreadCount(), before + 1);
    port.SetConnected(false);
    EXPECT_EQ(ThreadCount(), before);
}

TEST(ComPort, DestroyingAnOpenPortClosesIt) {
    PseudoTerminal terminal;
    const int before = ThreadCount();
    {
        TComPort port;
        OpenLikeProgram(port, terminal.SlavePath());
        WriteAll(terminal.Master(), "pending");
        ASSERT_TRUE(WaitForQueued(port, 7));
    }
    EXPECT_EQ(ThreadCount(), before);
    TComPort again;
    OpenLikeProgram(again, terminal.SlavePath());
    EXPECT_TRUE(again.Connected());
    // The thread's end emptied the queues.
    EXPECT_EQ(again.ReceiveQueueCount(), 0);
    again.SetConnected(false);

    {
        TComPort throwing;
        OpenLikeProgram(throwing, terminal.SlavePath());
        throwing.OnBeforeClose = [](TCustomComPort&) { throw std::runtime_error("beim Schließen"); };
    }
    EXPECT_EQ(ThreadCount(), before);
    TComPort after;
    OpenLikeProgram(after, terminal.SlavePath());
    EXPECT_TRUE(after.Connected()) << "a port gone while its close handler threw frees the device";
}

TEST(ComPort, LoadingRecordsConnectedAndOpensAtItsEnd) {
    PseudoTerminal terminal;
    TComPort port;
    port.BeginLoading();
    port.SetPort(terminal.SlavePath());
    port.SetBaudRate(br115200);
    port.SetConnected(true);
    EXPECT_FALSE(port.Connected());
    port.EndLoading();
    EXPECT_TRUE(port.Connected());
}
