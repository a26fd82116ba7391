#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/comlink.h"
#include "platform/component.h"

namespace seriallink {

class TCustomComPort;

// Cuts the bytes arriving at a port into packets. A packet begins at the start
// string (or where OnCustomStart says) and ends at the stop string, after Size
// bytes, or where OnCustomStop says. Bytes that cannot belong to a packet go to
// OnDiscard. Positions handed to and from the handlers count from 1.
class TComDataPacket : public TComponent {
  public:
    using TComStrEvent = std::function<void(TObject* Sender, const std::string& Str)>;
    using TCustPacketEvent = std::function<void(TObject* Sender, const std::string& Str, int& Pos)>;

    TComDataPacket();
    ~TComDataPacket() override;

    void AppendData(const std::string& Data);
    virtual void ProcessBuffer();
    bool HasStopCondition() const;
    void ResetBuffer();
    void StripDelimiters(std::string& Packet) const;

    // --- properties ---
    TCustomComPort* ComPort() const { return comPort_; }
    void SetComPort(TCustomComPort* value);
    bool CaseInsensitive() const { return caseInsensitive_; }
    void SetCaseInsensitive(bool value);
    bool IncludeStrings() const { return includeStrings_; }
    void SetIncludeStrings(bool value) { includeStrings_ = value; }
    int32_t MaxBufferSize() const { return maxBufferSize_; }
    void SetMaxBufferSize(int32_t value) { maxBufferSize_ = value; }
    const std::string& StartString() const { return startString_; }
    void SetStartString(const std::string& value);
    const std::string& StopString() const { return stopString_; }
    void SetStopString(const std::string& value);
    int32_t Size() const { return size_; }
    void SetSize(int32_t value);

    // --- state, read-only ---
    bool InsidePacket() const { return insidePacket_; }
    std::string Pending() const { return pending_.substr(head_); }

    // --- handlers ---
    TComStrEvent OnDiscard;
    TComStrEvent OnPacket;
    TCustPacketEvent OnCustomStart;
    TCustPacketEvent OnCustomStop;

  protected:
    void Notification(TComponent* component, TOperation operation) override;

    virtual void FireDiscard(const std::string& Str);
    virtual void FirePacket(const std::string& Str);
    // Pending is passed as a view so that a run without custom handlers never
    // copies it; the view is valid until Pending changes.
    virtual void FireCustomStart(std::string_view Str, int& Pos);
    virtual void FireCustomStop(std::string_view Str, int& Pos);

  private:
    void Receive(const char* Buffer, int Count);
    std::string_view PendingView() const;
    std::string TakeFront(std::size_t count);
    void LookForStart();
    bool LookForEnd();
    void EndRun();

    std::unique_ptr<TComLink> link_;
    TCustomComPort* comPort_ = nullptr;
    std::string startString_;
    std::string stopString_;
    int32_t maxBufferSize_ = 1024;
    int32_t size_ = 0;
    bool includeStrings_ = false;
    bool caseInsensitive_ = false;
    bool insidePacket_ = false;
    // Pending is pending_ from head_ on: delivering a packet moves head_
    // instead of shifting the bytes behind it; EndRun shifts them once.
    std::string pending_;
    std::size_t head_ = 0;
};

}  // namespace seriallink
