// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The serial port component TComPort and its error type EComPort. Free of Qt Widgets; the
// event thread hands its work to the user-interface thread through Qt Core's event loop.

#include "device/EnumSet.h"
#include "device/SerialPlatform.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

enum TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };
enum TComEvent { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full };
using TComEvents = TEnumSet<TComEvent>;
// Modem lines; their bits are those of ModemLineState (1, 2, 4, 8).
enum TComSignal { csCTS, csDSR, csRing, csRLSD };
using TComSignals = TEnumSet<TComSignal>;
enum TComError { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
using TComErrors = TEnumSet<TComError>;

// All ten events, the default of `Events`.
inline constexpr TComEvents AllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                         evCTS,    evDSR,     evError,  evRLSD, evRx80Full};

// Bit rate in bit/s that a member other than brCustom names.
int BaudRateValue(TBaudRate rate);

// Failure codes of EComPort: the rows of the message table.
enum : int {
    CError_OpenFailed = 1,
    CError_WriteFailed,
    CError_ReadFailed,
    CError_InvalidAsync,
    CError_PurgeFailed,
    CError_AsyncCheck,
    CError_SetStateFailed,
    CError_TimeoutsFailed,
    CError_SetupComFailed,
    CError_ClearComFailed,
    CError_ModemStatFailed,
    CError_EscapeComFailed,
    CError_TransmitFailed,
    CError_ConnChangeProp,
    CError_EnumPortsFailed,
    CError_StoreFailed,
    CError_LoadFailed,
    CError_RegFailed,
    CError_LedStateFailed,
    CError_ThreadCreated,
    CError_WaitFailed,
    CError_HasLink,
    CError_RegError
};

// The English table text of a failure code (1 to 23).
const char* ComErrorText(int failureCode);

// Every failure of the serial component: the table text, followed by " (win error code: %d)" with the
// system's error number (here errno) when there is one.
class EComPort : public std::runtime_error {
public:
    EComPort(int failureCode, int systemErrorCode);
    explicit EComPort(int failureCode);

    int FailureCode;
    int SystemErrorCode; // -1 when there is none
};

class TCustomComPort;

// Base of the four setting groups: each keeps a back-reference to its port and re-applies its group
// there when one of its members changes.
class TComPersistent {
public:
    explicit TComPersistent(TCustomComPort* port) : port_(port) {}
    virtual ~TComPersistent() = default;
    TComPersistent(const TComPersistent&) = delete;

protected:
    // Copying a group copies its fields only: each keeps its own port.
    TComPersistent& operator=(const TComPersistent&) { return *this; }
    // Stores a different value and re-applies the group at the port.
    template <class T> void Change(T& field, T value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    // Re-applies the group at the port.
    void Changed() {
        if (port_) Reapply(*port_);
    }
    virtual void Reapply(TCustomComPort& port) = 0;

private:
    TCustomComPort* port_;
};

class TComParity : public TComPersistent {
public:
    explicit TComParity(TCustomComPort* port = nullptr) : TComPersistent(port) {}
    // Copies every field of `source` (not its port); so do the other groups.
    void Assign(const TComParity& source) { *this = source; }

    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits value) { Change(bits_, value); }
    bool Check() const { return check_; }
    void SetCheck(bool value) { Change(check_, value); }
    bool Replace() const { return replace_; }
    void SetReplace(bool value) { Change(replace_, value); }
    char ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(char value) { Change(replaceChar_, value); }

protected:
    void Reapply(TCustomComPort& port) override;

private:
    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};

class TComFlowControl : public TComPersistent {
public:
    explicit TComFlowControl(TCustomComPort* port = nullptr) : TComPersistent(port) {}
    void Assign(const TComFlowControl& source) { *this = source; }

    bool OutCTSFlow() const { return outCTSFlow_; }
    void SetOutCTSFlow(bool value) { Change(outCTSFlow_, value); }
    bool OutDSRFlow() const { return outDSRFlow_; }
    void SetOutDSRFlow(bool value) { Change(outDSRFlow_, value); }
    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    void SetControlDTR(TDTRFlowControl value) { Change(controlDTR_, value); }
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    void SetControlRTS(TRTSFlowControl value) { Change(controlRTS_, value); }
    bool XonXoffOut() const { return xonXoffOut_; }
    void SetXonXoffOut(bool value) { Change(xonXoffOut_, value); }
    bool XonXoffIn() const { return xonXoffIn_; }
    void SetXonXoffIn(bool value) { Change(xonXoffIn_, value); }
    bool DSRSensitivity() const { return dsrSensitivity_; }
    void SetDSRSensitivity(bool value) { Change(dsrSensitivity_, value); }
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    void SetTxContinueOnXoff(bool value) { Change(txContinueOnXoff_, value); }
    char XonChar() const { return xonChar_; }
    void SetXonChar(char value) { Change(xonChar_, value); }
    char XoffChar() const { return xoffChar_; }
    void SetXoffChar(char value) { Change(xoffChar_, value); }
    // The computed shortcut: hardware, software, none, or custom for any other combination.
    TFlowControl FlowControl() const;
    // Sets the switches of a shortcut (fcCustom changes nothing) and re-applies the line settings.
    void SetFlowControl(TFlowControl value);

protected:
    void Reapply(TCustomComPort& port) override;

private:
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    TDTRFlowControl controlDTR_ = dtrDisable;
    TRTSFlowControl controlRTS_ = rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    char xonChar_ = 17;
    char xoffChar_ = 19;
};

// Milliseconds; -1 stands for the platform's largest value.
class TComTimeouts : public TComPersistent {
public:
    explicit TComTimeouts(TCustomComPort* port = nullptr) : TComPersistent(port) {}
    void Assign(const TComTimeouts& source) { *this = source; }

    int ReadInterval() const { return readInterval_; }
    void SetReadInterval(int value) { Change(readInterval_, value); }
    int ReadTotalMultiplier() const { return readTotalMultiplier_; }
    void SetReadTotalMultiplier(int value) { Change(readTotalMultiplier_, value); }
    int ReadTotalConstant() const { return readTotalConstant_; }
    void SetReadTotalConstant(int value) { Change(readTotalConstant_, value); }
    int WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    void SetWriteTotalMultiplier(int value) { Change(writeTotalMultiplier_, value); }
    int WriteTotalConstant() const { return writeTotalConstant_; }
    void SetWriteTotalConstant(int value) { Change(writeTotalConstant_, value); }

protected:
    void Reapply(TCustomComPort& port) override;

private:
    int readInterval_ = -1;
    int readTotalMultiplier_ = 0;
    int readTotalConstant_ = 0;
    int writeTotalMultiplier_ = 100;
    int writeTotalConstant_ = 1000;
};

// Driver queue sizes; a positive odd size is lowered by one.
class TComBuffer : public TComPersistent {
public:
    explicit TComBuffer(TCustomComPort* port = nullptr) : TComPersistent(port) {}
    void Assign(const TComBuffer& source) { *this = source; }

    int InputSize() const { return inputSize_; }
    void SetInputSize(int value) { Change(inputSize_, Even(value)); }
    int OutputSize() const { return outputSize_; }
    void SetOutputSize(int value) { Change(outputSize_, Even(value)); }

protected:
    void Reapply(TCustomComPort& port) override;

private:
    static int Even(int size) { return size > 0 && size % 2 != 0 ? size - 1 : size; }
    int inputSize_ = 1024;
    int outputSize_ = 1024;
};

// Through a link a port-bound control hears from the port; each callback is optional.
struct TComLink {
    std::function<void(TCustomComPort&, bool open)> OnConn;
    std::function<void(TCustomComPort&, const char* bytes, long count)> OnTxBuf;
    std::function<void(TCustomComPort&)> OnTxEmpty;
    std::function<void(TCustomComPort&)> OnRxFlag;
    std::function<void(TCustomComPort&, bool on)> OnCTSChange;
    std::function<void(TCustomComPort&, bool on)> OnDSRChange;
    std::function<void(TCustomComPort&, bool on)> OnRLSDChange;
    std::function<void(TCustomComPort&)> OnRing;
    std::function<void(TCustomComPort&, bool busy)> OnTx;
    std::function<void(TCustomComPort&, bool busy)> OnRx;
};

class TComThread;

// The serial port: settings, opening and closing, blocking transfers, and the event thread that
// watches the line while the port is open. Every operation is called on the user-interface thread.
class TCustomComPort {
public:
    TCustomComPort();
    // Closes the port if it is open.
    virtual ~TCustomComPort();
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // While loading (from a form description) settings are only stored and `Connected` only
    // recorded; EndLoading opens the port if true was recorded.
    void BeginLoading() { loading_ = true; }
    void EndLoading();
    bool Loading() const { return loading_; }

    bool Connected() const { return connected_; }
    // True opens a closed port, false closes an open one; the current value does nothing.
    void SetConnected(bool value);
    // The system's handle of the open device (-1 while closed), for system calls the component
    // makes none of.
    NativeHandle Handle() const { return device_.Handle(); }
    const std::string& Port() const { return port_; }
    // A different name (case-sensitive) is stored; an open port is closed and reopened under it.
    void SetPort(const std::string& value);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value) { ChangeLine(baudRate_, value); }
    int CustomBaudRate() const { return customBaudRate_; }
    void SetCustomBaudRate(int value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value) { ChangeLine(stopBits_, value); }
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value) { ChangeLine(dataBits_, value); }
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool value) { ChangeLine(discardNull_, value); }
    char EventChar() const { return eventChar_; }
    void SetEventChar(char value) { ChangeLine(eventChar_, value); }
    TComEvents Events() const { return events_; }
    // Takes effect at the next open.
    void SetEvents(TComEvents value) { events_ = value; }
    TSyncMethod SyncMethod() const { return syncMethod_; }
    // A different value while open raises code 14. smWindowSync delivers as smThreadSync here.
    void SetSyncMethod(TSyncMethod value);
    // The setting groups; changing a member re-applies its group while open. Assigning a whole
    // group copies it and re-applies.
    TComParity& Parity() { return *parity_; }
    void SetParity(const TComParity& value);
    TComFlowControl& FlowControl() { return *flowControl_; }
    void SetFlowControl(const TComFlowControl& value);
    TComTimeouts& Timeouts() { return *timeouts_; }
    void SetTimeouts(const TComTimeouts& value);
    TComBuffer& Buffer() { return *buffer_; }
    void SetBuffer(const TComBuffer& value);

    // Opens and configures the device and starts the event thread (code 1, 7, 8, 9; 11 leaves it open).
    void OpenPort();
    // Aborts pending transfers (code 5 leaves the port open), stops the event thread, running its
    // pending hand-overs meanwhile, and closes the device.
    void ClosePort();
    // Applies buffer sizes, line settings and time-outs, in that order.
    virtual void ConfigurePort();
    // Each applies its group to the open device (nothing while closed or loading); codes 7, 8, 9.
    virtual void ApplyLineSettings();
    virtual void ApplyTimeoutSettings();
    virtual void ApplyBufferSizes();

    // Writes `count` bytes and returns how many the driver took within the write time-out (code 2).
    long SendBytes(const void* buffer, long count);
    // Takes up to `count` bytes received so far; never waits (code 3; a hung-up line raises).
    long ReceiveBytes(void* buffer, long count);
    // As ReceiveBytes; `text` becomes exactly the bytes read.
    long ReceiveText(std::string& text, long count);
    // Received bytes waiting (code 10).
    long ReceiveQueueCount();
    // CTS, DSR, Ring and RLSD (code 11); a device without modem lines reports none.
    TComSignals ModemLineState();
    // Reads and clears the line error flags (code 10).
    TComErrors LineErrors();

    // A link registered twice, or unregistered while not registered, raises code 18.
    void RegisterLink(TComLink* link);
    void UnRegisterLink(TComLink* link);

    // Handles one batch of line events on the user-interface thread (the event thread's hand-over).
    void HandleLineEvents(TComEvents events);

    // Event handlers; none is assigned in this program.
    std::function<void(TCustomComPort&)> OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;
    std::function<void(TCustomComPort&, long count)> OnRxChar;
    std::function<void(TCustomComPort&)> OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    std::function<void(TCustomComPort&, bool on)> OnCTSChange, OnDSRChange, OnRLSDChange;
    std::function<void(TCustomComPort&, TComErrors errors)> OnError;

protected:
    virtual void CreateHandle();
    virtual void DestroyHandle();
    // Notifications: each tells the links and calls its handler.
    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(long count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTSChange(bool on);
    virtual void DoDSRChange(bool on);
    virtual void DoError(TComErrors errors);
    virtual void DoRLSDChange(bool on);
    virtual void DoRx80Full();
    // ClosePort for a destructor: an error goes nowhere, and the thread and the device end anyway.
    void CloseForDestruction() noexcept;

private:
    template <class T> void ChangeLine(T& field, T value) {
        if (field == value) return;
        field = value;
        ApplyLineSettings();
    }
    template <class... Args, class... Values>
    void NotifyLinks(std::function<void(TCustomComPort&, Args...)> TComLink::*callback, Values... values) {
        for (TComLink* link : links_)
            if (link->*callback) (link->*callback)(*this, values...);
    }
    static void Call(const std::function<void(TCustomComPort&)>& handler, TCustomComPort& port) {
        if (handler) handler(port);
    }
    bool Applicable() const { return connected_ && !loading_; }

    SerialDevice device_;
    bool connected_ = false;
    bool loading_ = false;
    bool connectedWhileLoading_ = false;
    std::unique_ptr<TComThread> thread_; // set while an event thread runs
    std::vector<TComLink*> links_;

    std::string port_ = "COM1";
    TBaudRate baudRate_ = br9600;
    int customBaudRate_ = 9600;
    TStopBits stopBits_ = sbOneStopBit;
    TDataBits dataBits_ = dbEight;
    bool discardNull_ = false;
    char eventChar_ = 0;
    TComEvents events_ = AllComEvents;
    TSyncMethod syncMethod_ = smThreadSync;
    std::unique_ptr<TComParity> parity_;
    std::unique_ptr<TComFlowControl> flowControl_;
    std::unique_ptr<TComTimeouts> timeouts_;
    std::unique_ptr<TComBuffer> buffer_;
};

// The published serial port component.
class TComPort : public TCustomComPort {
public:
    using TCustomComPort::TCustomComPort;
    // Closes the port before the object starts to unwind, so an event thread dispatching in itself
    // (smNone) never meets a half-destroyed port.
    ~TComPort() override;
};
