#include "link/comport.h"

#include <algorithm>
#include <cstring>

#include "link/comthread.h"
#include "platform/application.h"

namespace seriallink {

std::unique_ptr<TPendingTransfer> NewPendingTransfer() {
    return std::make_unique<TPendingTransfer>();
}

void FreePendingTransfer(std::unique_ptr<TPendingTransfer>& transfer) {
    transfer.reset();
}

TCustomComPort::TCustomComPort()
    : parity_(std::make_unique<TComParity>(this)),
      timeouts_(std::make_unique<TComTimeouts>(this)),
      flowControl_(std::make_unique<TComFlowControl>(this)) {
    buffer_ = std::make_unique<TComBuffer>(this);
}

TCustomComPort::~TCustomComPort() {
    try {
        Close();
    } catch (...) {
        application::ShowError(std::current_exception());
    }
    endingThreads_.clear();
    // The setting groups go first, then the framer is told (it detaches its
    // link while the link list still exists).
    buffer_.reset();
    flowControl_.reset();
    timeouts_.reset();
    parity_.reset();
    NotifyDestruction();
}

template <typename F>
void TCustomComPort::ForEachLink(F f) {
    // By index: a callback may attach or detach links.
    for (size_t i = 0; i < links_.size(); ++i) f(*links_[i]);
}

template <typename... Args>
void TCustomComPort::TellLinks(LinkCallback<Args...> TComLink::*callback,
                               std::type_identity_t<Args>... args) {
    ForEachLink([&](TComLink& l) {
        if (l.*callback) (l.*callback)(this, args...);
    });
}

template <typename... Args>
void TCustomComPort::TellLinksThenFire(LinkCallback<Args...> TComLink::*callback,
                                       void (TCustomComPort::*fire)(Args...),
                                       std::type_identity_t<Args>... args) {
    TellLinks(callback, args...);
    (this->*fire)(args...);
}

// --- open and close ---------------------------------------------------------------

void TCustomComPort::ReapEndedThreads() {
    // A thread still inside the handler that stopped it cannot be waited for.
    std::erase_if(endingThreads_,
                  [](const std::unique_ptr<TComThread>& t) { return !t->Delivering(); });
}

void TCustomComPort::Open() {
    if (connected_ || closing_) return;
    ReapEndedThreads();
    FireBeforeOpen();
    OpenDevice();
    connected_ = true;
    try {
        ApplySettings();
    } catch (...) {
        CloseDevice();
        connected_ = false;
        throw;
    }
    opening_ = std::make_shared<char>();
    if (!events_.Empty()) {
        if (syncMethod_ == smWindowSync) messageWindow_ = std::make_unique<TMessageWindow>(this);
        eventThread_ = std::make_unique<TComThread>(this, messageWindow_.get());
        threadCreated_ = true;
    }
    TellLinks(&TComLink::OnConnectionChanged, true);
    FireAfterOpen();
    ReportLines();
}

std::function<void()> TCustomComPort::LineLostNotice() {
    return [this, opening = std::weak_ptr<char>(opening_)] {
        if (opening.expired()) return;
        if (OnLineLost) OnLineLost(this);
    };
}

void TCustomComPort::ReportLines() {
    const bool cts = LineSignals().Contains(lsCTS);
    TellLinksThenFire(&TComLink::OnCTSChanged, &TCustomComPort::FireCTSChange, cts);
    const bool dsr = LineSignals().Contains(lsDSR);
    TellLinksThenFire(&TComLink::OnDSRChanged, &TCustomComPort::FireDSRChange, dsr);
    const bool rlsd = LineSignals().Contains(lsRLSD);
    TellLinksThenFire(&TComLink::OnRLSDChanged, &TCustomComPort::FireRLSDChange, rlsd);
}

void TCustomComPort::Close() {
    // A handler run while Close waits for the event thread may close again;
    // the device must stay until the thread has let go of it.
    if (!connected_ || closing_) return;
    // A notice of the line's loss still queued (run while this waits for the
    // event thread, or later) is about an opening that is over.
    opening_.reset();
    ReapEndedThreads();
    TellLinks(&TComLink::OnCTSChanged, false);
    TellLinks(&TComLink::OnDSRChanged, false);
    TellLinks(&TComLink::OnRLSDChanged, false);
    FireCTSChange(false);
    FireDSRChange(false);
    FireRLSDChange(false);
    FireBeforeClose();
    AbortTransfers();
    if (threadCreated_) {
        if (eventThread_->Delivering()) {
            // Closed by a handler the thread is waiting for: it ends as soon
            // as the handler returns, and is reaped at the next Open or Close.
            eventThread_->Stop();
            endingThreads_.push_back(std::move(eventThread_));
        } else {
            closing_ = true;
            eventThread_.reset();  // waits for the thread, running hand-overs meanwhile
            closing_ = false;
        }
        threadCreated_ = false;
        messageWindow_.reset();
    }
    // Bytes received and not read are dropped with the queues.
    serial::SetCommMask(handle_, 0);
    serial::PurgeComm(handle_, serial::PURGE_TXCLEAR | serial::PURGE_RXCLEAR);
    CloseDevice();
    connected_ = false;
    TellLinks(&TComLink::OnConnectionChanged, false);
    FireAfterClose();
}

void TCustomComPort::OpenDevice() {
    if (const int error = serial::OpenDevice(port_, handle_))
        throw EComPort(CError_OpenFailed, error);
}

void TCustomComPort::CloseDevice() {
    if (handle_ != serial::InvalidHandle) {
        serial::CloseDevice(handle_);
        handle_ = serial::InvalidHandle;
    }
}

void TCustomComPort::Loaded() {
    TComponent::Loaded();
    if (connected_) {
        connected_ = false;
        try {
            Open();
        } catch (...) {
            application::ShowError(std::current_exception());
        }
    }
}

// --- settings applied to the device -----------------------------------------------

void TCustomComPort::ApplySettings() {
    ApplyBufferSizes();
    ApplyLineSettings();
    ApplyTimeoutSettings();
}

void TCustomComPort::ApplyLineSettings() {
    if (!CanApply()) return;
    serial::DeviceControl dcb;
    dcb.BaudRate =
        baudRate_ == brCustom ? static_cast<uint32_t>(customRate_) : BaudRateValue(baudRate_);
    dcb.fBinary = true;
    dcb.fParity = parity_->Check();
    dcb.fOutxCtsFlow = flowControl_->OutCTSFlow();
    dcb.fOutxDsrFlow = flowControl_->OutDSRFlow();
    dcb.fDtrControl = static_cast<uint8_t>(flowControl_->ControlDTR());
    dcb.fDsrSensitivity = flowControl_->DSRSensitivity();
    dcb.fTXContinueOnXoff = flowControl_->TxContinueOnXoff();
    dcb.fOutX = flowControl_->XonXoffOut();
    dcb.fInX = flowControl_->XonXoffIn();
    if (parity_->Check() && parity_->Replace()) {
        dcb.fErrorChar = true;
        dcb.ErrorChar = parity_->ReplaceChar();
    }
    dcb.fNull = discardNull_;
    dcb.fRtsControl = static_cast<uint8_t>(flowControl_->ControlRTS());
    dcb.fAbortOnError = false;
    dcb.XonLim = static_cast<uint16_t>(buffer_->InputSize() / 4);
    dcb.XoffLim = dcb.XonLim;
    dcb.ByteSize = static_cast<uint8_t>(5 + dataBits_);
    dcb.Parity = static_cast<uint8_t>(parity_->Bits());
    dcb.StopBits = static_cast<uint8_t>(stopBits_);
    dcb.XonChar = flowControl_->XonChar();
    dcb.XoffChar = flowControl_->XoffChar();
    dcb.EvtChar = eventChar_;
    if (const int error = serial::SetCommState(handle_, dcb))
        throw EComPort(CError_SetStateFailed, error);
}

void TCustomComPort::ApplyTimeoutSettings() {
    if (!CanApply()) return;
    serial::CommTimeouts t;
    t.ReadIntervalTimeout = static_cast<uint32_t>(timeouts_->ReadInterval());
    t.ReadTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_->ReadTotalMultiplier());
    t.ReadTotalTimeoutConstant = static_cast<uint32_t>(timeouts_->ReadTotalConstant());
    t.WriteTotalTimeoutMultiplier = static_cast<uint32_t>(timeouts_->WriteTotalMultiplier());
    t.WriteTotalTimeoutConstant = static_cast<uint32_t>(timeouts_->WriteTotalConstant());
    if (const int error = serial::SetCommTimeouts(handle_, t))
        throw EComPort(CError_TimeoutsFailed, error);
}

void TCustomComPort::ApplyBufferSizes() {
    if (!CanApply()) return;
    if (const int error = serial::SetupComm(handle_, buffer_->InputSize(), buffer_->OutputSize()))
        throw EComPort(CError_SetupComFailed, error);
}

// --- transfers --------------------------------------------------------------------

int TCustomComPort::Write(const char* buffer, int count) {
    auto transfer = NewPendingTransfer();
    try {
        BeginWrite(buffer, count, transfer.get());
        const int written = AwaitTransfer(transfer.get());
        FreePendingTransfer(transfer);
        return written;
    } catch (...) {
        FreePendingTransfer(transfer);
        throw;
    }
}

int TCustomComPort::Read(char* buffer, int count) {
    auto transfer = NewPendingTransfer();
    try {
        BeginRead(buffer, count, transfer.get());
        const int read = AwaitTransfer(transfer.get());
        FreePendingTransfer(transfer);
        return read;
    } catch (...) {
        FreePendingTransfer(transfer);
        throw;
    }
}

int TCustomComPort::BeginWrite(const char* buffer, int count, TPendingTransfer* transfer) {
    if (transfer == nullptr) throw EComPort(CError_InvalidAsync);
    transfer->Direction = tdWrite;
    transfer->SentData.reset();
    transfer->SentCount = 0;
    if (count > 0) {
        transfer->SentData = std::make_unique<char[]>(static_cast<size_t>(count));
        std::memcpy(transfer->SentData.get(), buffer, static_cast<size_t>(count));
        transfer->SentCount = count;
    }
    const size_t size = count > 0 ? static_cast<size_t>(count) : 0;
    if (const int error = serial::BeginWrite(handle_, buffer, size, transfer->Progress))
        throw EComPort(CError_WriteFailed, error);
    TellLinks(&TComLink::OnTxActivity, true);
    return static_cast<int>(transfer->Progress.done);
}

int TCustomComPort::BeginRead(char* buffer, int count, TPendingTransfer* transfer) {
    if (transfer == nullptr) throw EComPort(CError_InvalidAsync);
    transfer->Direction = tdRead;
    const size_t size = count > 0 ? static_cast<size_t>(count) : 0;
    if (const int error = serial::BeginRead(handle_, buffer, size, transfer->Progress))
        throw EComPort(CError_ReadFailed, error);
    return static_cast<int>(transfer->Progress.done);
}

int TCustomComPort::AwaitTransfer(TPendingTransfer* transfer) {
    if (transfer == nullptr) throw EComPort(CError_InvalidAsync);
    if (const int error = serial::AwaitTransfer(handle_, transfer->Progress))
        throw EComPort(transfer->Direction == tdWrite ? CError_WriteFailed : CError_ReadFailed,
                       error);
    if (transfer->Direction == tdRead && BytesWaiting() == 0) {
        TellLinks(&TComLink::OnRxActivity, false);
    } else if (transfer->SentData) {
        const char* data = transfer->SentData.get();
        const int sent = transfer->SentCount;
        TellLinks(&TComLink::OnTxBuffer, data, sent);
    }
    return static_cast<int>(transfer->Progress.done);
}

void TCustomComPort::AbortTransfers() {
    if (const int error = serial::PurgeComm(handle_, serial::PURGE_TXABORT | serial::PURGE_RXABORT))
        throw EComPort(CError_PurgeFailed, error);
}

int TCustomComPort::BytesWaiting() {
    uint32_t errors = 0;
    int waiting = 0;
    if (const int error = serial::ClearCommError(handle_, errors, waiting))
        throw EComPort(CError_ClearComFailed, error);
    return waiting;
}

TComErrors TCustomComPort::TakeLineErrors() {
    uint32_t flags = 0;
    int waiting = 0;
    if (const int error = serial::ClearCommError(handle_, flags, waiting))
        throw EComPort(CError_ClearComFailed, error);
    TComErrors errors;
    if (flags & serial::CE_FRAME) errors.Include(erFraming);
    if ((flags & serial::CE_RXPARITY) && parity_->Check()) errors.Include(erParity);
    if (flags & serial::CE_OVERRUN) errors.Include(erOverrun);
    if (flags & serial::CE_BREAK) errors.Include(erBreak);
    if (flags & serial::CE_IOE) errors.Include(erIO);
    if (flags & serial::CE_MODE) errors.Include(erMode);
    if (flags & serial::CE_RXOVER) errors.Include(erRxOverflow);
    if (flags & serial::CE_TXFULL) errors.Include(erTxFull);
    return errors;
}

TLineSignals TCustomComPort::LineSignals() {
    uint32_t status = 0;
    if (const int error = serial::GetCommModemStatus(handle_, status))
        throw EComPort(CError_ModemStatFailed, error);
    TLineSignals signals;
    if (status & serial::MS_CTS_ON) signals.Include(lsCTS);
    if (status & serial::MS_DSR_ON) signals.Include(lsDSR);
    if (status & serial::MS_RING_ON) signals.Include(lsRing);
    if (status & serial::MS_RLSD_ON) signals.Include(lsRLSD);
    return signals;
}

// --- links ------------------------------------------------------------------------

void TCustomComPort::RecomputeDataLink() {
    hasDataLink_ = std::any_of(links_.begin(), links_.end(),
                               [](const TComLink* l) { return static_cast<bool>(l->OnRxBuffer); });
}

void TCustomComPort::AttachLink(TComLink* link) {
    if (link == nullptr || std::find(links_.begin(), links_.end(), link) != links_.end())
        throw EComPort(CError_RegFailed);
    links_.push_back(link);
    RecomputeDataLink();
}

void TCustomComPort::DetachLink(TComLink* link) {
    const auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) throw EComPort(CError_RegFailed);
    links_.erase(it);
    RecomputeDataLink();
}

// --- line events ------------------------------------------------------------------

void TCustomComPort::HandleEvent(TComEvent event) {
    switch (event) {
        case evError: {
            const TComErrors errors = TakeLineErrors();
            if (!errors.Empty()) FireError(errors);
            break;
        }
        case evRxChar:
            HandleArrival();
            break;
        case evTxEmpty:
            TellLinks(&TComLink::OnTxActivity, false);
            TellLinksThenFire(&TComLink::OnTxEmptied, &TCustomComPort::FireTxEmpty);
            break;
        case evBreak:
            FireBreak();
            break;
        case evRing:
            TellLinksThenFire(&TComLink::OnRingSeen, &TCustomComPort::FireRing);
            break;
        case evCTS: {
            const bool on = LineSignals().Contains(lsCTS);
            TellLinksThenFire(&TComLink::OnCTSChanged, &TCustomComPort::FireCTSChange, on);
            break;
        }
        case evDSR: {
            const bool on = LineSignals().Contains(lsDSR);
            TellLinksThenFire(&TComLink::OnDSRChanged, &TCustomComPort::FireDSRChange, on);
            break;
        }
        case evRxFlag:
            TellLinksThenFire(&TComLink::OnRxFlagSeen, &TCustomComPort::FireRxFlag);
            break;
        case evRLSD: {
            const bool on = LineSignals().Contains(lsRLSD);
            TellLinksThenFire(&TComLink::OnRLSDChanged, &TCustomComPort::FireRLSDChange, on);
            break;
        }
        case evRx80Full:
            FireRx80Full();
            break;
    }
}

void TCustomComPort::HandleArrival() {
    int count = BytesWaiting();
    if (count > 0) {
        TellLinks(&TComLink::OnRxActivity, true);
    }
    if (count > 0 && !MerelyAnnounces()) {
        std::unique_ptr<char[]> bytes;
        int read = 0;
        const auto readBytes = [&] {
            bytes = std::make_unique<char[]>(static_cast<size_t>(count));
            read = Read(bytes.get(), count);
            FireRxBuf(bytes.get(), read);
        };
        for (size_t i = 0; i < links_.size(); ++i) {
            TComLink& link = *links_[i];
            if (!link.OnRxBuffer) continue;
            if (!bytes) readBytes();
            link.OnRxBuffer(this, bytes.get(), read);
        }
        if (!bytes && !announceCountOnly_) readBytes();
        if (bytes) count = 0;
    }
    if (count > 0) FireRxChar(count);
}

// --- property setters -------------------------------------------------------------

void TCustomComPort::SetConnected(bool value) {
    if (Loading()) {
        connected_ = value;
    } else if (value) {
        Open();
    } else {
        Close();
    }
}

void TCustomComPort::SetPort(const std::string& value) {
    if (value == port_) return;
    port_ = value;
    if (connected_ && !Loading()) {
        Close();
        Open();
    }
}

void TCustomComPort::SetSyncMethod(TSyncMethod value) {
    if (value == syncMethod_) return;
    if (connected_ && !Loading()) throw EComPort(CError_ConnChangeProp);
    syncMethod_ = value;
}

void TCustomComPort::SetEvents(TComEvents value) {
    events_ = value;
}

namespace {

template <typename T>
bool Changed(T& field, T value) {
    if (field == value) return false;
    field = value;
    return true;
}

}  // namespace

void TCustomComPort::SetBaudRate(TBaudRate value) {
    if (Changed(baudRate_, value)) ApplyLineSettings();
}
void TCustomComPort::SetCustomRate(int32_t value) {
    if (Changed(customRate_, value)) ApplyLineSettings();
}
void TCustomComPort::SetStopBits(TStopBits value) {
    if (Changed(stopBits_, value)) ApplyLineSettings();
}
void TCustomComPort::SetDataBits(TDataBits value) {
    if (Changed(dataBits_, value)) ApplyLineSettings();
}
void TCustomComPort::SetDiscardNull(bool value) {
    if (Changed(discardNull_, value)) ApplyLineSettings();
}
void TCustomComPort::SetEventChar(char value) {
    if (Changed(eventChar_, value)) ApplyLineSettings();
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

// --- triggers ---------------------------------------------------------------------

void TCustomComPort::FireAfterClose() {
    if (OnAfterClose) OnAfterClose(this);
}
void TCustomComPort::FireAfterOpen() {
    if (OnAfterOpen) OnAfterOpen(this);
}
void TCustomComPort::FireBeforeClose() {
    if (OnBeforeClose) OnBeforeClose(this);
}
void TCustomComPort::FireBeforeOpen() {
    if (OnBeforeOpen) OnBeforeOpen(this);
}
void TCustomComPort::FireRxChar(int count) {
    if (OnRxChar) OnRxChar(this, count);
}
void TCustomComPort::FireRxBuf(const char* buffer, int count) {
    if (OnRxBuf) OnRxBuf(this, buffer, count);
}
void TCustomComPort::FireTxEmpty() {
    if (OnTxEmpty) OnTxEmpty(this);
}
void TCustomComPort::FireBreak() {
    if (OnBreak) OnBreak(this);
}
void TCustomComPort::FireRing() {
    if (OnRing) OnRing(this);
}
void TCustomComPort::FireRxFlag() {
    if (OnRxFlag) OnRxFlag(this);
}
void TCustomComPort::FireCTSChange(bool on) {
    if (OnCTSChange) OnCTSChange(this, on);
}
void TCustomComPort::FireDSRChange(bool on) {
    if (OnDSRChange) OnDSRChange(this, on);
}
void TCustomComPort::FireError(TComErrors errors) {
    if (OnError) OnError(this, errors);
}
void TCustomComPort::FireRLSDChange(bool on) {
    if (OnRLSDChange) OnRLSDChange(this, on);
}
void TCustomComPort::FireRx80Full() {
    if (OnRx80Full) OnRx80Full(this);
}

}  // namespace seriallink
