#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "link/comtypes.h"
#include "platform/event.h"
#include "platform/threads.h"

namespace seriallink {

class TCustomComPort;

// The message number that announces one line event to a port's message window.
constexpr int LineEventMessage = 1025;
// The code that message carries for an event.
int LineEventCode(TComEvent event);

// Where line events reach the port in the smWindowSync mode: a queue to the
// main thread that replies to the event thread before the handling runs.
class TMessageWindow {
  public:
    explicit TMessageWindow(TCustomComPort* port);
    ~TMessageWindow();
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    // Called on the event thread; returns once the main thread has replied.
    void SendMessage(int message, int code);

  private:
    struct Target;
    std::shared_ptr<Target> target_;
};

// Watches an open port's line events and hands each batch to the port's
// handling, as the port's SyncMethod says. Created by Open (and started at
// once), destroyed by Close, which waits for the thread's end.
class TComThread : public TThread {
  public:
    explicit TComThread(TCustomComPort* port, TMessageWindow* window = nullptr);
    ~TComThread() override;

    // Ends the wait loop.
    void Stop();
    // Runs the port's handling of each current event, in a fixed order.
    void DeliverEvents();
    TComEvents CurrentEvents() const { return currentEvents_; }
    // True while DeliverEvents runs: the thread waits for it to return, so
    // whoever closes the port then cannot wait for the thread's end.
    bool Delivering() const { return delivering_; }

  protected:
    void Execute() override;

  private:
    void Deliver();

    TCustomComPort* port_;
    TMessageWindow* window_;
    // Taken on the main thread when the thread is made, run there if the
    // line fails.
    std::function<void()> lineLost_;
    TEvent stopEvent_;
    TComEvents currentEvents_;
    std::atomic<bool> delivering_{false};  // read by Close on the main thread in smNone mode
};

}  // namespace seriallink
