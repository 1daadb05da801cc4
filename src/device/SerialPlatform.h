// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The operating system's side of the serial port: the few calls TComPort builds on. Every call
// reports failure by the system's own error number (0 = success) and never raises; the component
// above turns failures into EComPort with its codes. Linux: SerialPlatformLinux.cpp (error numbers are
// errno); Windows: SerialPlatformWindows.cpp (error numbers are GetLastError). The demonstration links
// SerialPlatformSimulated.cpp instead, on either system (error numbers are errno).

#include "device/PortHolders.h"

#include <cstdint>
#include <string>

// The system's handle of an open device or waitable object: a descriptor on Linux, a HANDLE on
// Windows; -1 when there is none.
using NativeHandle = std::intptr_t;

// The folder where serial devices' lock files are honoured and made: /var/lock unless a test sets
// its own. Windows keeps no lock files (a port opens for one program only).
const std::string& SerialLockFolder();
void SetSerialLockFolder(const std::string& folder);

// The line settings the component asks the device for, field by field.
struct LineSettings {
    int BitRate = 9600;
    int DataBits = 8; // 5 to 8
    int Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    int StopBits = 0; // 0 one, 1 one and a half, 2 two
    bool ParityCheck = false;
    bool OutCtsFlow = false;
    bool OutDsrFlow = false;
    int DtrControl = 0; // 0 held off, 1 held on, 2 handshake
    int RtsControl = 0; // 0 held off, 1 held on, 2 handshake, 3 toggle
    bool DsrSensitivity = false;
    bool TxContinueOnXoff = false;
    bool OutXonXoff = false;
    bool InXonXoff = false;
    bool ReplaceErrors = false;
    char ErrorChar = 0;
    bool DiscardNull = false;
    char XonChar = 17;
    char XoffChar = 19;
    char EventChar = 0;
    int XonLimit = 0;
    int XoffLimit = 0;
};

// The time-outs the component asks for, in milliseconds; 0xFFFFFFFF is the largest value.
struct TimeoutSettings {
    uint32_t ReadInterval = 0xFFFFFFFF;
    uint32_t ReadTotalMultiplier = 0;
    uint32_t ReadTotalConstant = 0;
    uint32_t WriteTotalMultiplier = 100;
    uint32_t WriteTotalConstant = 1000;
};

// Whether the read time-outs say "return at once" (ReadInterval 0xFFFFFFFF, both read totals 0), the
// only reads a platform here gives.
inline bool ReadsReturnAtOnce(const TimeoutSettings& timeouts) {
    return timeouts.ReadInterval == 0xFFFFFFFF && timeouts.ReadTotalMultiplier == 0 &&
           timeouts.ReadTotalConstant == 0;
}

// A byte count, or the error number that ended the request.
struct IoResult {
    long Count = 0;
    int Error = 0;
};

// Modem line bits as ModemLineState reports them.
enum : unsigned { ModemCts = 1, ModemDsr = 2, ModemRing = 4, ModemRlsd = 8 };
// Line error bits as LineErrors reports them.
enum : unsigned {
    LineErrorFrame = 1,
    LineErrorParity = 2,
    LineErrorOverrun = 4,
    LineErrorBreak = 8,
    LineErrorQueueOverrun = 64
};

// One opened serial device. Owned and used by the component on the user-interface thread; the event
// thread only reads the fixed descriptor through `LineWaiter` and the queue queries.
class SerialDevice {
public:
    SerialDevice() = default;
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens the device for exclusive use. A device another program holds fails with EBUSY: one that
    // opened it earlier (its descriptor or its lock file seen) or later (exclusive mode, advisory lock).
    int Open(const std::string& name);
    // Closes the device, leaving it free for the next opener.
    void Close();
    bool IsOpen() const { return handle_ >= 0; }
    NativeHandle Handle() const { return handle_; }

    // Applies the settings at once; a setting the platform cannot give fails with EINVAL.
    int Configure(const LineSettings& settings);
    // Asks for receive and transmit queue sizes (a request the platform may ignore).
    int SetQueueSizes(int inputSize, int outputSize);
    // Sets the time-outs of later transfers. Reads here never wait, so the read time-outs must say
    // "return at once" (ReadInterval 0xFFFFFFFF, both read totals 0); anything else fails with EINVAL.
    int SetTimeouts(const TimeoutSettings& timeouts);
    // Takes what is received now, up to `count` bytes; never waits. A hung-up line is an error.
    IoResult ReadNow(void* buffer, long count);
    // Writes until all bytes are taken or the write time-out (multiplier x count + constant; no
    // limit when both are 0) has passed; the count written so far is the result at the time-out.
    IoResult WriteBounded(const void* buffer, long count);
    // Received bytes waiting in the receive queue.
    IoResult QueueCount() const;
    // Bytes still waiting in the transmit queue.
    IoResult OutputCount() const;
    // Modem line bits (Modem...); a device without modem lines reports none.
    IoResult ModemLines() const;
    // Line error bits (LineError...) since the previous call; a device without counters reports none.
    IoResult LineErrors();
    // Discards what waits in the chosen queues.
    int Purge(bool output, bool input) const;
    // Ends the transfer requests still pending at the driver (Windows: PurgeComm with both ABORT
    // flags). A Linux transfer never outlives its call, so there is nothing to end there.
    int AbortTransfers() const;

private:
    NativeHandle handle_ = -1;
    DeviceLockFile lockFile_;
    TimeoutSettings timeouts_;
    // Error counters of the previous LineErrors call.
    int frameErrors_ = 0, parityErrors_ = 0, overruns_ = 0, breaks_ = 0, queueOverruns_ = 0;
};

// Line events, numbered as the Windows event mask numbers them.
enum : unsigned {
    LineRxChar = 0x0001,
    LineRxFlag = 0x0002,
    LineTxEmpty = 0x0004, // Linux: room in the transmit queue; the event thread asks whether it is empty
    LineCts = 0x0008,
    LineDsr = 0x0010,
    LineRlsd = 0x0020,
    LineBreak = 0x0040,
    LineError = 0x0080,
    LineRing = 0x0100,
    LineRx80Full = 0x0400
};

// What one wait on the line saw.
struct LineActivity {
    bool Stopped = false;
    unsigned Events = 0; // Line... bits
    bool HungUp = false;
};

// Waits for activity on an open device for the event thread. Arriving data wakes it once per arrival,
// not again for bytes left unread; after a hang-up it stops watching the device and waits for Stop only.
// Linux sees arriving data, transmit room and line errors only (no modem line changes).
class LineWaiter {
public:
    LineWaiter() = default;
    ~LineWaiter();
    LineWaiter(const LineWaiter&) = delete;
    LineWaiter& operator=(const LineWaiter&) = delete;

    // Prepares the wait on `device` for the `events` (Line... bits).
    int Start(const SerialDevice& device, unsigned events);
    // Blocks until the line shows activity or Stop was called.
    LineActivity Wait();
    // Leaves the device reporting no line events (Windows: its event mask 0); the thread's last call.
    void End();
    // Ends the current and every later Wait; callable from any thread.
    void Stop();

private:
    NativeHandle wait_ = -1;   // what Wait blocks on: the epoll set, or the event of the pending wait
    NativeHandle stop_ = -1;   // signalled by Stop
    NativeHandle device_ = -1; // the device watched, until it hangs up
};
