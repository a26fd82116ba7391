#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/object.h"

// Hand-overs to the main thread. All program logic runs on the main thread;
// another thread that needs it queues an operation here, and the main thread
// runs what is queued from its event loop (woken by the hook the application
// sets) and while it waits for a thread to end.
namespace threads {

bool IsMainThread();

// Called from the queuing thread each time a hand-over is queued; the window
// sets it to post an event to its loop. Must be safe to call from any thread.
void SetWakeMainThread(std::function<void()> hook);

// Runs fn on the main thread and waits until it has run. An exception thrown
// by fn is carried back and thrown again here. On the main thread, runs fn.
void Synchronize(const std::function<void()>& fn);
// Queues fn; the main thread releases the caller as soon as it takes fn up,
// before running it. An exception thrown by fn goes to the error display.
void Send(std::function<void()> fn);
// Queues fn without waiting. An exception thrown by fn goes to the error display.
void Queue(std::function<void()> fn);

// Main thread: runs every pending hand-over; returns how many ran.
int CheckSynchronize();
// Main thread: waits until a hand-over is pending or the time is up, then
// runs what is pending; returns how many ran. For loops without Qt.
int WaitAndRunHandOvers(std::chrono::milliseconds timeout);

}  // namespace threads

enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// A thread object created suspended, given a priority, then started.
// Destroying it marks it terminated and waits for its end; a derived class
// whose Execute uses its own members must wait in its own destructor.
class TThread : public TObject {
  public:
    TThread() = default;
    ~TThread() override;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    TThreadPriority Priority() const { return priority_; }
    void SetPriority(TThreadPriority priority) { priority_ = priority; }
    bool Finished() const;
    // Waits for the end of the thread. On the main thread, pending hand-overs
    // keep running meanwhile, so a thread blocked in Synchronize can finish.
    void WaitFor();

  protected:
    virtual void Execute() = 0;

  private:
    void Run();

    std::thread thread_;
    std::atomic<bool> terminated_{false};
    bool finished_ = false;  // guarded by the hand-over lock
    TThreadPriority priority_ = TThreadPriority::tpNormal;
};
