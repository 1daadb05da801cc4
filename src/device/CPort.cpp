// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/CPort.h"

#include "device/ComThread.h"

#include <algorithm>
#include <cstdio>

namespace {

const char* const ErrorTexts[] = {
    "Unable to open com port",
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
    "Registry error",
};

std::string MessageWithCode(int failureCode, int systemErrorCode) {
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, " (win error code: %d)", systemErrorCode);
    return std::string(ComErrorText(failureCode)) + suffix;
}

// Raises `failureCode` with the system's error number when the platform reported one.
void Check(int failureCode, int systemErrorCode) {
    if (systemErrorCode != 0) throw EComPort(failureCode, systemErrorCode);
}

// The Timeouts values as the platform takes them: -1 and every other value bit for bit.
uint32_t PlatformTime(int milliseconds) {
    return static_cast<uint32_t>(milliseconds);
}

} // namespace

const char* ComErrorText(int failureCode) {
    if (failureCode < 1 || failureCode > static_cast<int>(std::size(ErrorTexts))) return "";
    return ErrorTexts[failureCode - 1];
}

EComPort::EComPort(int failureCode, int systemErrorCode)
    : std::runtime_error(MessageWithCode(failureCode, systemErrorCode)), FailureCode(failureCode),
      SystemErrorCode(systemErrorCode) {}

EComPort::EComPort(int failureCode)
    : std::runtime_error(ComErrorText(failureCode)), FailureCode(failureCode), SystemErrorCode(-1) {}

int BaudRateValue(TBaudRate rate) {
    static const int values[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return values[rate];
}

void TComParity::Reapply(TCustomComPort& port) {
    port.ApplyLineSettings();
}

TFlowControl TComFlowControl::FlowControl() const {
    const bool software = xonXoffIn_ && xonXoffOut_;
    const bool noSoftware = !xonXoffIn_ && !xonXoffOut_;
    if (controlRTS_ == rtsHandshake && outCTSFlow_ && noSoftware) return fcHardware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && software) return fcSoftware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && noSoftware) return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
    if (value == fcCustom) return;
    controlRTS_ = value == fcHardware ? rtsHandshake : rtsDisable;
    outCTSFlow_ = value == fcHardware;
    xonXoffIn_ = value == fcSoftware;
    xonXoffOut_ = value == fcSoftware;
    Changed();
}

void TComFlowControl::Reapply(TCustomComPort& port) {
    port.ApplyLineSettings();
}

void TComTimeouts::Reapply(TCustomComPort& port) {
    port.ApplyTimeoutSettings();
}

void TComBuffer::Reapply(TCustomComPort& port) {
    port.ApplyBufferSizes();
}

TCustomComPort::TCustomComPort()
    : parity_(std::make_unique<TComParity>(this)), flowControl_(std::make_unique<TComFlowControl>(this)),
      timeouts_(std::make_unique<TComTimeouts>(this)), buffer_(std::make_unique<TComBuffer>(this)) {}

TCustomComPort::~TCustomComPort() {
    CloseForDestruction();
}

TComPort::~TComPort() {
    CloseForDestruction();
}

void TCustomComPort::CloseForDestruction() noexcept {
    try {
        ClosePort();
    } catch (...) {
        // A destructor has nobody to pass the error to. The thread must end before the members it
        // reaches do, and the device must not stay held by a port that is gone.
        thread_.reset();
        DestroyHandle();
        connected_ = false;
    }
}

void TCustomComPort::EndLoading() {
    loading_ = false;
    if (connectedWhileLoading_) {
        connectedWhileLoading_ = false;
        OpenPort();
    }
}

void TCustomComPort::SetConnected(bool value) {
    if (loading_)
        connectedWhileLoading_ = value;
    else if (value && !connected_)
        OpenPort();
    else if (!value && connected_)
        ClosePort();
}

void TCustomComPort::SetPort(const std::string& value) {
    if (value == port_) return;
    port_ = value;
    if (connected_) {
        ClosePort();
        OpenPort();
    }
}

void TCustomComPort::SetCustomBaudRate(int value) {
    if (value == customBaudRate_) return;
    customBaudRate_ = value;
    if (baudRate_ == brCustom) ApplyLineSettings();
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
    if (value == syncMethod_) return;
    if (connected_) throw EComPort(CError_ConnChangeProp);
    syncMethod_ = value;
}

void TCustomComPort::SetParity(const TComParity& value) {
    parity_->Assign(value);
    ApplyLineSettings();
}

void TCustomComPort::SetFlowControl(const TComFlowControl& value) {
    flowControl_->Assign(value);
    ApplyLineSettings();
}

void TCustomComPort::SetTimeouts(const TComTimeouts& value) {
    timeouts_->Assign(value);
    ApplyTimeoutSettings();
}

void TCustomComPort::SetBuffer(const TComBuffer& value) {
    buffer_->Assign(value);
    ApplyBufferSizes();
}

void TCustomComPort::OpenPort() {
    if (connected_) return;
    DoBeforeOpen();
    CreateHandle();
    connected_ = true;
    try {
        ConfigurePort();
        if (!events_.Empty()) thread_ = std::make_unique<TComThread>(*this, device_, events_, syncMethod_);
    } catch (...) {
        DestroyHandle();
        connected_ = false;
        throw;
    }
    DoAfterOpen();
}

void TCustomComPort::ClosePort() {
    if (!connected_) return;
    DoBeforeClose();
    Check(CError_PurgeFailed, device_.AbortTransfers());
    if (thread_) {
        thread_->Stop();
        thread_.reset();
    }
    DestroyHandle();
    connected_ = false;
    DoAfterClose();
}

void TCustomComPort::CreateHandle() {
    Check(CError_OpenFailed, device_.Open(port_));
}

void TCustomComPort::DestroyHandle() {
    device_.Close();
}

void TCustomComPort::ConfigurePort() {
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeoutSettings();
}

void TCustomComPort::ApplyLineSettings() {
    if (!Applicable()) return;
    LineSettings line;
    line.BitRate = baudRate_ == brCustom ? customBaudRate_ : BaudRateValue(baudRate_);
    line.ParityCheck = parity_->Check();
    line.OutCtsFlow = flowControl_->OutCTSFlow();
    line.OutDsrFlow = flowControl_->OutDSRFlow();
    line.DtrControl = flowControl_->ControlDTR();
    line.DsrSensitivity = flowControl_->DSRSensitivity();
    line.TxContinueOnXoff = flowControl_->TxContinueOnXoff();
    line.OutXonXoff = flowControl_->XonXoffOut();
    line.InXonXoff = flowControl_->XonXoffIn();
    line.ReplaceErrors = parity_->Check() && parity_->Replace();
    line.DiscardNull = discardNull_;
    line.RtsControl = flowControl_->ControlRTS();
    line.XonLimit = buffer_->InputSize() / 4;
    line.XoffLimit = buffer_->InputSize() / 4;
    line.DataBits = 5 + dataBits_;
    line.Parity = parity_->Bits();
    line.StopBits = stopBits_;
    line.XonChar = flowControl_->XonChar();
    line.XoffChar = flowControl_->XoffChar();
    line.ErrorChar = line.ReplaceErrors ? parity_->ReplaceChar() : 0;
    line.EventChar = eventChar_;
    Check(CError_SetStateFailed, device_.Configure(line));
}

void TCustomComPort::ApplyTimeoutSettings() {
    if (!Applicable()) return;
    TimeoutSettings settings;
    settings.ReadInterval = PlatformTime(timeouts_->ReadInterval());
    settings.ReadTotalMultiplier = PlatformTime(timeouts_->ReadTotalMultiplier());
    settings.ReadTotalConstant = PlatformTime(timeouts_->ReadTotalConstant());
    settings.WriteTotalMultiplier = PlatformTime(timeouts_->WriteTotalMultiplier());
    settings.WriteTotalConstant = PlatformTime(timeouts_->WriteTotalConstant());
    Check(CError_TimeoutsFailed, device_.SetTimeouts(settings));
}

void TCustomComPort::ApplyBufferSizes() {
    if (!Applicable()) return;
    Check(CError_SetupComFailed, device_.SetQueueSizes(buffer_->InputSize(), buffer_->OutputSize()));
}

long TCustomComPort::SendBytes(const void* buffer, long count) {
    NotifyLinks(&TComLink::OnTx, true);
    const IoResult written = device_.WriteBounded(buffer, count);
    Check(CError_WriteFailed, written.Error);
    NotifyLinks(&TComLink::OnTxBuf, static_cast<const char*>(buffer), written.Count);
    return written.Count;
}

long TCustomComPort::ReceiveBytes(void* buffer, long count) {
    const IoResult read = device_.ReadNow(buffer, count);
    Check(CError_ReadFailed, read.Error);
    if (ReceiveQueueCount() == 0) NotifyLinks(&TComLink::OnRx, false);
    return read.Count;
}

long TCustomComPort::ReceiveText(std::string& text, long count) {
    if (count <= 0) {
        text.clear();
        return 0;
    }
    text.assign(static_cast<size_t>(count), '\0');
    const long read = ReceiveBytes(text.data(), count);
    text.resize(static_cast<size_t>(read));
    return read;
}

long TCustomComPort::ReceiveQueueCount() {
    const IoResult count = device_.QueueCount();
    Check(CError_ClearComFailed, count.Error);
    return count.Count;
}

TComSignals TCustomComPort::ModemLineState() {
    const IoResult lines = device_.ModemLines();
    Check(CError_ModemStatFailed, lines.Error);
    return TComSignals::FromBits(static_cast<uint32_t>(lines.Count));
}

TComErrors TCustomComPort::LineErrors() {
    const IoResult errors = device_.LineErrors();
    Check(CError_ClearComFailed, errors.Error);
    return TComErrors::FromBits(static_cast<uint32_t>(errors.Count));
}

void TCustomComPort::RegisterLink(TComLink* link) {
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) throw EComPort(CError_RegFailed);
    links_.push_back(link);
}

void TCustomComPort::UnRegisterLink(TComLink* link) {
    const auto found = std::find(links_.begin(), links_.end(), link);
    if (found == links_.end()) throw EComPort(CError_RegFailed);
    links_.erase(found);
}

void TCustomComPort::HandleLineEvents(TComEvents events) {
    if (events.Contains(evError)) {
        const TComErrors errors = LineErrors();
        if (!errors.Empty()) DoError(errors);
    }
    if (events.Contains(evRxChar)) {
        const long count = ReceiveQueueCount();
        if (count > 0) DoRxChar(count);
    }
    if (events.Contains(evTxEmpty)) DoTxEmpty();
    if (events.Contains(evBreak)) DoBreak();
    if (events.Contains(evRing)) DoRing();
    if (events.Contains(evCTS)) DoCTSChange(ModemLineState().Contains(csCTS));
    if (events.Contains(evDSR)) DoDSRChange(ModemLineState().Contains(csDSR));
    if (events.Contains(evRxFlag)) DoRxFlag();
    if (events.Contains(evRLSD)) DoRLSDChange(ModemLineState().Contains(csRLSD));
    if (events.Contains(evRx80Full)) DoRx80Full();
}

void TCustomComPort::DoAfterClose() {
    NotifyLinks(&TComLink::OnConn, false);
    Call(OnAfterClose, *this);
}

void TCustomComPort::DoAfterOpen() {
    NotifyLinks(&TComLink::OnConn, true);
    Call(OnAfterOpen, *this);
    DoCTSChange(ModemLineState().Contains(csCTS));
    DoDSRChange(ModemLineState().Contains(csDSR));
    DoRLSDChange(ModemLineState().Contains(csRLSD));
}

void TCustomComPort::DoBeforeClose() {
    DoCTSChange(false);
    DoDSRChange(false);
    DoRLSDChange(false);
    Call(OnBeforeClose, *this);
}

void TCustomComPort::DoBeforeOpen() {
    Call(OnBeforeOpen, *this);
}

void TCustomComPort::DoRxChar(long count) {
    NotifyLinks(&TComLink::OnRx, true);
    if (OnRxChar) OnRxChar(*this, count);
}

void TCustomComPort::DoTxEmpty() {
    NotifyLinks(&TComLink::OnTx, false);
    NotifyLinks(&TComLink::OnTxEmpty);
    Call(OnTxEmpty, *this);
}

void TCustomComPort::DoBreak() {
    Call(OnBreak, *this);
}

void TCustomComPort::DoRing() {
    NotifyLinks(&TComLink::OnRing);
    Call(OnRing, *this);
}

void TCustomComPort::DoRxFlag() {
    NotifyLinks(&TComLink::OnRxFlag);
    Call(OnRxFlag, *this);
}

void TCustomComPort::DoCTSChange(bool on) {
    NotifyLinks(&TComLink::OnCTSChange, on);
    if (OnCTSChange) OnCTSChange(*this, on);
}

void TCustomComPort::DoDSRChange(bool on) {
    NotifyLinks(&TComLink::OnDSRChange, on);
    if (OnDSRChange) OnDSRChange(*this, on);
}

void TCustomComPort::DoError(TComErrors errors) {
    if (OnError) OnError(*this, errors);
}

void TCustomComPort::DoRLSDChange(bool on) {
    NotifyLinks(&TComLink::OnRLSDChange, on);
    if (OnRLSDChange) OnRLSDChange(*this, on);
}

void TCustomComPort::DoRx80Full() {
    Call(OnRx80Full, *this);
}
