// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port on Windows: a COM port opened for overlapped transfers, configured through its
// device control block, the event wait on WaitCommEvent beside a stop event.
#include "device/SerialPlatform.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

HANDLE AsHandle(NativeHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

NativeHandle AsNative(HANDLE handle) {
    return handle == nullptr || handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<NativeHandle>(handle);
}

int LastError() {
    return static_cast<int>(GetLastError());
}

// "COM12" as the device path CreateFile needs for every port number ("\\.\COM12"); a path given
// whole stays as it is.
std::wstring DevicePath(const std::string& name) {
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    wide.resize(wide.size() > 0 ? wide.size() - 1 : 0);
    return wide.compare(0, 2, L"\\\\") == 0 ? wide : L"\\\\.\\" + wide;
}

// An event for one overlapped request, closed with it.
class OverlappedRequest {
public:
    OverlappedRequest() { overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~OverlappedRequest() {
        if (overlapped_.hEvent) CloseHandle(overlapped_.hEvent);
    }
    OverlappedRequest(const OverlappedRequest&) = delete;
    OverlappedRequest& operator=(const OverlappedRequest&) = delete;

    bool Valid() const { return overlapped_.hEvent != nullptr; }
    OVERLAPPED* Get() { return &overlapped_; }

    // The result of a request that was started: waits at most `waitMs`, then cancels it and takes
    // what it did up to then. A request ended by anything else (a removed device, a foreign cancel)
    // is a failure, also when it moved some bytes.
    IoResult Finish(HANDLE device, BOOL started, DWORD waitMs = INFINITE) {
        DWORD count = 0;
        bool cancelledHere = false;
        if (!started) {
            const DWORD error = GetLastError();
            if (error != ERROR_IO_PENDING) return {0, static_cast<int>(error)};
            if (WaitForSingleObject(overlapped_.hEvent, waitMs) != WAIT_OBJECT_0)
                cancelledHere = CancelIoEx(device, &overlapped_) != 0;
        }
        if (!GetOverlappedResult(device, &overlapped_, &count, TRUE)) {
            const DWORD error = GetLastError();
            if (error == ERROR_OPERATION_ABORTED && cancelledHere) return {static_cast<long>(count), 0};
            return {static_cast<long>(count), static_cast<int>(error)};
        }
        return {static_cast<long>(count), 0};
    }

private:
    OVERLAPPED overlapped_{};
};

// Queue sizes and error flags of the port. Reading them clears the error flags.
bool PortStatus(HANDLE device, DWORD& errors, COMSTAT& status) {
    return ClearCommError(device, &errors, &status) != 0;
}

} // namespace

SerialDevice::~SerialDevice() {
    Close();
}

int SerialDevice::Open(const std::string& name) {
    // Sharing mode 0: the port is ours alone, and a port another program holds refuses us.
    const HANDLE device = CreateFileW(DevicePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (device == INVALID_HANDLE_VALUE) return LastError();
    handle_ = AsNative(device);
    LineErrors(); // errors from before the open are not ours
    return 0;
}

void SerialDevice::Close() {
    if (handle_ < 0) return;
    CloseHandle(AsHandle(handle_));
    handle_ = -1;
}

int SerialDevice::Configure(const LineSettings& settings) {
    // Every field is set here, from zero: what the driver held before (an end-of-file character, a
    // flag of another program) must not live on.
    DCB line{};
    line.DCBlength = sizeof line;
    // The settings number their choices as the device control block does.
    line.BaudRate = static_cast<DWORD>(settings.BitRate);
    line.ByteSize = static_cast<BYTE>(settings.DataBits);
    line.Parity = static_cast<BYTE>(settings.Parity);
    line.StopBits = static_cast<BYTE>(settings.StopBits);
    line.fBinary = TRUE;
    line.fParity = settings.ParityCheck;
    line.fOutxCtsFlow = settings.OutCtsFlow;
    line.fOutxDsrFlow = settings.OutDsrFlow;
    line.fDtrControl = static_cast<DWORD>(settings.DtrControl);
    line.fRtsControl = static_cast<DWORD>(settings.RtsControl);
    line.fDsrSensitivity = settings.DsrSensitivity;
    line.fTXContinueOnXoff = settings.TxContinueOnXoff;
    line.fOutX = settings.OutXonXoff;
    line.fInX = settings.InXonXoff;
    line.fErrorChar = settings.ReplaceErrors;
    line.ErrorChar = settings.ErrorChar;
    line.fNull = settings.DiscardNull;
    line.fAbortOnError = FALSE;
    line.XonChar = settings.XonChar;
    line.XoffChar = settings.XoffChar;
    line.EvtChar = settings.EventChar;
    line.XonLim = static_cast<WORD>(settings.XonLimit);
    line.XoffLim = static_cast<WORD>(settings.XoffLimit);
    return SetCommState(AsHandle(handle_), &line) ? 0 : LastError();
}

int SerialDevice::SetQueueSizes(int inputSize, int outputSize) {
    return SetupComm(AsHandle(handle_), static_cast<DWORD>(inputSize), static_cast<DWORD>(outputSize))
               ? 0
               : LastError();
}

int SerialDevice::SetTimeouts(const TimeoutSettings& timeouts) {
    if (handle_ < 0) return ERROR_INVALID_HANDLE;
    if (!ReadsReturnAtOnce(timeouts)) return ERROR_INVALID_PARAMETER;
    COMMTIMEOUTS system{};
    system.ReadIntervalTimeout = MAXDWORD;
    system.WriteTotalTimeoutMultiplier = timeouts.WriteTotalMultiplier;
    system.WriteTotalTimeoutConstant = timeouts.WriteTotalConstant;
    if (!SetCommTimeouts(AsHandle(handle_), &system)) return LastError();
    timeouts_ = timeouts;
    return 0;
}

IoResult SerialDevice::ReadNow(void* buffer, long count) {
    if (count <= 0) return {};
    const HANDLE device = AsHandle(handle_);
    // Only what is queued is asked for, so the read completes at once even where a driver would
    // keep a read on an empty queue pending despite the "return at once" time-outs.
    DWORD errors = 0;
    COMSTAT status{};
    if (!PortStatus(device, errors, status)) return {0, LastError()};
    const DWORD wanted = std::min<DWORD>(status.cbInQue, static_cast<DWORD>(count));
    if (wanted == 0) return {};
    OverlappedRequest request;
    if (!request.Valid()) return {0, LastError()};
    DWORD read = 0;
    return request.Finish(device, ReadFile(device, buffer, wanted, &read, request.Get()));
}

IoResult SerialDevice::WriteBounded(const void* buffer, long count) {
    if (count <= 0) return {};
    const HANDLE device = AsHandle(handle_);
    OverlappedRequest request;
    if (!request.Valid()) return {0, LastError()};
    // The port's write time-out ends the request; waiting one second longer ourselves bounds it
    // on a driver that ignores the time-out.
    DWORD waitMs = INFINITE;
    if (timeouts_.WriteTotalMultiplier != 0 || timeouts_.WriteTotalConstant != 0) {
        const unsigned long long total =
            static_cast<unsigned long long>(timeouts_.WriteTotalMultiplier) * count +
            timeouts_.WriteTotalConstant + 1000;
        waitMs = static_cast<DWORD>(std::min<unsigned long long>(total, INFINITE - 1));
    }
    DWORD written = 0;
    return request.Finish(
        device, WriteFile(device, buffer, static_cast<DWORD>(count), &written, request.Get()), waitMs);
}

IoResult SerialDevice::QueueCount() const {
    DWORD errors = 0;
    COMSTAT status{};
    if (!PortStatus(AsHandle(handle_), errors, status)) return {0, LastError()};
    return {static_cast<long>(status.cbInQue), 0};
}

IoResult SerialDevice::OutputCount() const {
    DWORD errors = 0;
    COMSTAT status{};
    if (!PortStatus(AsHandle(handle_), errors, status)) return {0, LastError()};
    return {static_cast<long>(status.cbOutQue), 0};
}

IoResult SerialDevice::ModemLines() const {
    DWORD lines = 0;
    if (!GetCommModemStatus(AsHandle(handle_), &lines)) return {0, LastError()};
    long result = 0;
    if (lines & MS_CTS_ON) result |= ModemCts;
    if (lines & MS_DSR_ON) result |= ModemDsr;
    if (lines & MS_RING_ON) result |= ModemRing;
    if (lines & MS_RLSD_ON) result |= ModemRlsd;
    return {result, 0};
}

IoResult SerialDevice::LineErrors() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!PortStatus(AsHandle(handle_), errors, status)) return {0, LastError()};
    long result = 0;
    if (errors & CE_FRAME) result |= LineErrorFrame;
    if (errors & CE_RXPARITY) result |= LineErrorParity;
    if (errors & CE_OVERRUN) result |= LineErrorOverrun;
    if (errors & CE_BREAK) result |= LineErrorBreak;
    if (errors & CE_RXOVER) result |= LineErrorQueueOverrun;
    return {result, 0};
}

int SerialDevice::Purge(bool output, bool input) const {
    const DWORD queues = (output ? PURGE_TXCLEAR : 0) | (input ? PURGE_RXCLEAR : 0);
    if (queues == 0) return 0;
    return PurgeComm(AsHandle(handle_), queues) ? 0 : LastError();
}

int SerialDevice::AbortTransfers() const {
    return PurgeComm(AsHandle(handle_), PURGE_TXABORT | PURGE_RXABORT) ? 0 : LastError();
}

LineWaiter::~LineWaiter() {
    if (wait_ >= 0) CloseHandle(AsHandle(wait_));
    if (stop_ >= 0) CloseHandle(AsHandle(stop_));
}

int LineWaiter::Start(const SerialDevice& device, unsigned events) {
    // Manual reset: once stopped, every later Wait returns at once.
    stop_ = AsNative(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (stop_ < 0) return LastError();
    wait_ = AsNative(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (wait_ < 0) return LastError();
    // The Line... bits are the mask's own.
    if (!SetCommMask(AsHandle(device.Handle()), events)) return LastError();
    device_ = device.Handle();
    return 0;
}

LineActivity LineWaiter::Wait() {
    LineActivity activity;
    if (device_ < 0) {
        WaitForSingleObject(AsHandle(stop_), INFINITE);
        activity.Stopped = true;
        return activity;
    }
    const HANDLE device = AsHandle(device_);
    OVERLAPPED overlapped{};
    overlapped.hEvent = AsHandle(wait_);
    ResetEvent(overlapped.hEvent);
    DWORD events = 0;
    bool done = WaitCommEvent(device, &events, &overlapped);
    if (!done && GetLastError() == ERROR_IO_PENDING) {
        const HANDLE handles[] = {AsHandle(stop_), overlapped.hEvent};
        if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            // Stopped (or the wait itself failed). A new event mask ends a pending wait, as Windows
            // documents; Wine's serial driver ends it no other way. The cancel is for a driver that
            // would not. The request must end before its OVERLAPPED goes out of scope.
            SetCommMask(device, 0);
            if (WaitForSingleObject(overlapped.hEvent, 1000) != WAIT_OBJECT_0)
                CancelIoEx(device, &overlapped);
            DWORD ignored = 0;
            GetOverlappedResult(device, &overlapped, &ignored, TRUE);
            activity.Stopped = true;
            return activity;
        }
        DWORD ignored = 0;
        done = GetOverlappedResult(device, &overlapped, &ignored, FALSE);
    }
    activity.Stopped = WaitForSingleObject(AsHandle(stop_), 0) == WAIT_OBJECT_0;
    if (!done) {
        // A port that can no longer be watched (unplugged) would only fail again at once.
        activity.HungUp = true;
        device_ = -1;
        return activity;
    }
    activity.Events = events;
    return activity;
}

void LineWaiter::End() {
    if (device_ >= 0) SetCommMask(AsHandle(device_), 0);
}

void LineWaiter::Stop() {
    SetEvent(AsHandle(stop_));
}
