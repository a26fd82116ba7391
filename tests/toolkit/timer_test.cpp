#include "toolkit/timer.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <thread>

using namespace toolkit;

namespace {

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

TEST(Timer, ShortIntervalTicksOften) {
    TTimer timer("T_Volet");
    int ticks = 0;
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    };
    timer.SetInterval(3);
    RunEventLoopFor(300);
    // Nominally 100; the bound is loose so that a loaded machine passes, yet a
    // timer stuck at the usual 10 to 16 ms granularity of coarse timers fails.
    EXPECT_GE(ticks, 20);
}

TEST(Timer, EnablingAgainDoesNotRestartTheCountdown) {
    TTimer timer;
    timer.SetInterval(1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    timer.SetEnabled(true);
    EXPECT_LE(timer.RemainingTime(), 900);

    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Running());
    timer.SetEnabled(true);
    EXPECT_GT(timer.RemainingTime(), 900);

    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    timer.SetInterval(2000);  // a new interval starts a new countdown
    EXPECT_GT(timer.RemainingTime(), 1900);
}

TEST(Timer, HandlerCanStopItsOwnTimer) {
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(1);
    timer.OnTimer = [&](TObject*) {
        ++ticks;
        timer.SetEnabled(false);
    };
    RunEventLoopFor(50);
    EXPECT_EQ(ticks, 1);
}
