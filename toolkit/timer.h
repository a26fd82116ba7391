#pragma once

#include <memory>
#include <string>

#include "platform/object.h"
#include "toolkit/controlevents.h"

class QTimer;

namespace toolkit {

// A timer on the event loop. Like the desktop's, it starts enabled with an
// interval of 1000 ms; an interval of 0 keeps it from running.
class TTimer : public TObject {
  public:
    explicit TTimer(std::string name = "");
    ~TTimer() override;
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    const std::string& Name() const { return name_; }

    // Milliseconds. A new interval restarts the countdown of a running timer.
    int Interval() const { return interval_; }
    void SetInterval(int interval);
    // Enabling a timer that is already enabled does not restart its countdown:
    // a caller that re-enables it on every event must not keep pushing the
    // next tick away.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Running() const;
    // Milliseconds left before the next tick; -1 when not running.
    int RemainingTime() const;

    TNotifyEvent OnTimer;
    // Runs OnTimer now, as a tick would.
    void Tick();

  private:
    void Update();

    std::string name_;
    int interval_ = 1000;
    bool enabled_ = true;
    std::unique_ptr<QTimer> timer_;
};

}  // namespace toolkit
