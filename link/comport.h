#pragma once

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "link/comerror.h"
#include "link/comlink.h"
#include "link/comsettings.h"
#include "link/comtypes.h"
#include "platform/component.h"
#include "platform/serial.h"
#include "platform/threads.h"

namespace seriallink {

class TComThread;
class TMessageWindow;

// One transfer in progress: started by BeginWrite or BeginRead, finished by
// AwaitTransfer.
struct TPendingTransfer {
    TTransferDirection Direction = tdWrite;
    std::unique_ptr<char[]> SentData;  // the port's copy of the bytes written
    int SentCount = 0;
    serial::Transfer Progress;
};

std::unique_ptr<TPendingTransfer> NewPendingTransfer();
void FreePendingTransfer(std::unique_ptr<TPendingTransfer>& transfer);

// A serial device: holds the line settings, opens the device for exclusive
// use, applies the settings, watches the line on its event thread, hands
// arriving bytes to the attached links, and writes. Every failure is an
// EComPort. All calls are made on the main thread.
class TCustomComPort : public TComponent {
  public:
    TCustomComPort();
    ~TCustomComPort() override;

    void Open();
    void Close();
    int Write(const char* Buffer, int Count);
    int Write(const std::string& bytes) {
        return Write(bytes.data(), static_cast<int>(bytes.size()));
    }
    int Read(char* Buffer, int Count);
    int BeginWrite(const char* Buffer, int Count, TPendingTransfer* Transfer);
    int BeginRead(char* Buffer, int Count, TPendingTransfer* Transfer);
    int AwaitTransfer(TPendingTransfer* Transfer);
    void AbortTransfers();
    int BytesWaiting();
    TLineSignals LineSignals();
    TComErrors TakeLineErrors();
    void AttachLink(TComLink* Link);
    void DetachLink(TComLink* Link);

    // The handling of one line event, called once per event by the event
    // thread's delivery.
    void HandleEvent(TComEvent Event);

    // --- properties ---
    bool Connected() const { return connected_; }
    void SetConnected(bool value);
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value);
    int32_t CustomRate() const { return customRate_; }
    void SetCustomRate(int32_t value);
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    bool DiscardNull() const { return discardNull_; }
    void SetDiscardNull(bool value);
    char EventChar() const { return eventChar_; }
    void SetEventChar(char value);
    TComEvents Events() const { return events_; }
    void SetEvents(TComEvents value);
    TSyncMethod SyncMethod() const { return syncMethod_; }
    void SetSyncMethod(TSyncMethod value);
    bool AnnounceCountOnly() const { return announceCountOnly_; }
    void SetAnnounceCountOnly(bool value) { announceCountOnly_ = value; }
    TThreadPriority MonitorPriority() const { return monitorPriority_; }
    void SetMonitorPriority(TThreadPriority value) { monitorPriority_ = value; }

    TComParity& Parity() { return *parity_; }
    void SetParity(const TComParity& value);
    TComFlowControl& FlowControl() { return *flowControl_; }
    void SetFlowControl(const TComFlowControl& value);
    TComTimeouts& Timeouts() { return *timeouts_; }
    void SetTimeouts(const TComTimeouts& value);
    TComBuffer& Buffer() { return *buffer_; }
    void SetBuffer(const TComBuffer& value);

    // The open device, for inspection; serial::InvalidHandle while closed.
    serial::Handle Handle() const { return handle_; }

    // --- handlers ---
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty;
    TNotifyEvent OnBreak;
    TNotifyEvent OnRing;
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComSignalEvent OnRLSDChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRxFlag;
    TNotifyEvent OnAfterOpen;
    TNotifyEvent OnAfterClose;
    TNotifyEvent OnBeforeOpen;
    TNotifyEvent OnBeforeClose;
    TNotifyEvent OnRx80Full;
    // The line failed under an open port (device gone, far end hung up, a
    // read or write refused): its error has been shown, and the event thread
    // has ended, so the port receives nothing until it is closed and opened
    // again. Called later on the main thread from its loop, never inside a
    // hand-over the event thread waits for, and only if the port has stayed
    // in the same opening: the handler may close it.
    TNotifyEvent OnLineLost;

    // For the event thread: runs OnLineLost on the main thread if the port
    // is still in the opening current when this was taken.
    std::function<void()> LineLostNotice();

    // Hand the settings to the open device; each does nothing unless the
    // port is open and not loading.
    virtual void ApplySettings();
    virtual void ApplyLineSettings();
    virtual void ApplyTimeoutSettings();
    virtual void ApplyBufferSizes();

  protected:
    void Loaded() override;

    virtual void OpenDevice();
    virtual void CloseDevice();

    virtual void FireAfterClose();
    virtual void FireAfterOpen();
    virtual void FireBeforeClose();
    virtual void FireBeforeOpen();
    virtual void FireRxChar(int Count);
    virtual void FireRxBuf(const char* Buffer, int Count);
    virtual void FireTxEmpty();
    virtual void FireBreak();
    virtual void FireRing();
    virtual void FireRxFlag();
    virtual void FireCTSChange(bool OnOff);
    virtual void FireDSRChange(bool OnOff);
    virtual void FireError(TComErrors Errors);
    virtual void FireRLSDChange(bool OnOff);
    virtual void FireRx80Full();

  private:
    bool CanApply() const { return connected_ && !Loading(); }
    bool MerelyAnnounces() const { return announceCountOnly_ && !hasDataLink_; }
    void RecomputeDataLink();
    void HandleArrival();
    template <typename F>
    void ForEachLink(F f);
    // Calls the callback of every link that has it set, with the port as sender.
    template <typename... Args>
    using LinkCallback = std::function<void(TObject*, Args...)>;
    template <typename... Args>
    void TellLinks(LinkCallback<Args...> TComLink::*callback, std::type_identity_t<Args>... args);
    // Every link first, then the port's own trigger, with the same values.
    template <typename... Args>
    void TellLinksThenFire(LinkCallback<Args...> TComLink::*callback,
                           void (TCustomComPort::*fire)(Args...),
                           std::type_identity_t<Args>... args);
    void ReportLines();

    void ReapEndedThreads();

    // One per opening; gone with the closing and with the port, so that a
    // late notice of the line's loss finds nothing to tell.
    std::shared_ptr<char> opening_;

    std::unique_ptr<TComThread> eventThread_;
    // Threads stopped by a handler they were waiting for, not yet waited for.
    std::vector<std::unique_ptr<TComThread>> endingThreads_;
    bool threadCreated_ = false;
    serial::Handle handle_ = serial::InvalidHandle;
    std::unique_ptr<TMessageWindow> messageWindow_;
    std::vector<TComLink*> links_;
    bool announceCountOnly_ = true;
    TThreadPriority monitorPriority_ = TThreadPriority::tpNormal;
    bool hasDataLink_ = false;
    bool closing_ = false;  // Close is waiting for the event thread
    bool connected_ = false;
    TBaudRate baudRate_ = br9600;
    int32_t customRate_ = 9600;
    std::string port_ = "COM1";
    TStopBits stopBits_ = sbOneStopBit;
    TDataBits dataBits_ = dbEight;
    bool discardNull_ = false;
    char eventChar_ = 0;
    TComEvents events_ = AllComEvents;
    std::unique_ptr<TComBuffer> buffer_;
    std::unique_ptr<TComParity> parity_;
    std::unique_ptr<TComTimeouts> timeouts_;
    std::unique_ptr<TComFlowControl> flowControl_;
    TSyncMethod syncMethod_ = smThreadSync;
};

// The port as the window uses it.
class TComPort : public TCustomComPort {};

}  // namespace seriallink
