#include "toolkit/timer.h"

#include <QTimer>

#include "toolkit/guard.h"

namespace toolkit {

TTimer::TTimer(std::string name) : name_(std::move(name)), timer_(new QTimer) {
    // A coarse timer may be late by 5 % of its interval, and a 3 ms timer
    // then rounds to whole milliseconds at best; the sliding cover counts
    // ticks, so it wants them as close to the interval as the system gives.
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(), [this] { Tick(); });
    Update();
}

TTimer::~TTimer() = default;

void TTimer::SetInterval(int interval) {
    if (interval == interval_) return;
    interval_ = interval;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

bool TTimer::Running() const {
    return timer_->isActive();
}

int TTimer::RemainingTime() const {
    return timer_->remainingTime();
}

void TTimer::Update() {
    if (enabled_ && interval_ > 0) {
        timer_->start(interval_);
    } else {
        timer_->stop();
    }
}

void TTimer::Tick() {
    Guarded([this] {
        if (OnTimer) OnTimer(this);
    });
}

}  // namespace toolkit
