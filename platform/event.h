#pragma once

#include "platform/descripteur.h"

// A manual-reset event that a poll can wait on: set stays set until reset.
class TEvent {
  public:
    explicit TEvent(bool initiallySet = false);
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Blocks until the event is set.
    void WaitSet() const;
    // Readable while the event is set.
    int Descriptor() const { return fd_.Get(); }

  private:
    platform::Descripteur fd_;
};
