#include "platform/threads.h"

#include <sys/resource.h>
#include <unistd.h>

#include <deque>
#include <memory>
#include <utility>

#include "platform/application.h"

namespace threads {
namespace {

const std::thread::id mainThreadId = std::this_thread::get_id();

enum class Mode { Wait, Reply, Async };

struct HandOver {
    HandOver(std::function<void()> f, Mode m) : fn(std::move(f)), mode(m) {}
    std::function<void()> fn;
    Mode mode;
    bool done = false;
    std::exception_ptr error;
};

struct State {
    std::mutex mutex;
    std::condition_variable changed;  // a hand-over queued or done, a thread ended
    std::deque<std::shared_ptr<HandOver>> queue;
    std::function<void()> wake;
};

State& S() {
    static State state;
    return state;
}

void Post(const std::shared_ptr<HandOver>& item) {
    std::function<void()> wake;
    {
        std::lock_guard lock(S().mutex);
        S().queue.push_back(item);
        wake = S().wake;
    }
    S().changed.notify_all();
    if (wake) wake();
}

void MarkDone(HandOver& item) {
    {
        std::lock_guard lock(S().mutex);
        item.done = true;
    }
    S().changed.notify_all();
}

void WaitDone(HandOver& item) {
    std::unique_lock lock(S().mutex);
    S().changed.wait(lock, [&] { return item.done; });
}

}  // namespace

bool IsMainThread() {
    return std::this_thread::get_id() == mainThreadId;
}

void SetWakeMainThread(std::function<void()> hook) {
    std::lock_guard lock(S().mutex);
    S().wake = std::move(hook);
}

void Synchronize(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    auto item = std::make_shared<HandOver>(fn, Mode::Wait);
    Post(item);
    WaitDone(*item);
    // Taken out of the hand-over so that this thread holds the only
    // reference to the error, whichever thread lets the hand-over go last.
    if (auto error = std::exchange(item->error, nullptr)) std::rethrow_exception(error);
}

void Send(std::function<void()> fn) {
    auto item = std::make_shared<HandOver>(std::move(fn), Mode::Reply);
    Post(item);
    if (!IsMainThread()) WaitDone(*item);
}

void Queue(std::function<void()> fn) {
    Post(std::make_shared<HandOver>(std::move(fn), Mode::Async));
}

int CheckSynchronize() {
    std::deque<std::shared_ptr<HandOver>> pending;
    {
        std::lock_guard lock(S().mutex);
        pending.swap(S().queue);
    }
    for (auto& item : pending) {
        switch (item->mode) {
            case Mode::Wait:
                try {
                    item->fn();
                } catch (...) {
                    item->error = std::current_exception();
                }
                MarkDone(*item);
                break;
            case Mode::Reply:
                MarkDone(*item);
                [[fallthrough]];
            case Mode::Async:
                try {
                    item->fn();
                } catch (...) {
                    application::ShowError(std::current_exception());
                }
                break;
        }
    }
    return static_cast<int>(pending.size());
}

int WaitAndRunHandOvers(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(S().mutex);
        S().changed.wait_for(lock, timeout, [] { return !S().queue.empty(); });
    }
    return CheckSynchronize();
}

}  // namespace threads

TThread::~TThread() {
    Terminate();
    WaitFor();
}

void TThread::Start() {
    if (thread_.joinable()) return;
    thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
    if (priority_ != TThreadPriority::tpNormal) {
        // Niceness is per thread on Linux. Raising the priority needs a
        // privilege that the program does not have; it then stays normal.
        static constexpr int nice[] = {19, 10, 5, 0, -5, -10, -20};
        setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice[static_cast<int>(priority_)]);
    }
    std::exception_ptr failure;
    try {
        Execute();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure) {
        // Nobody is left to catch it: show it on the main thread, which then
        // holds the only reference to it.
        threads::Queue([failure = std::move(failure)] { application::ShowError(failure); });
    }
    {
        std::lock_guard lock(threads::S().mutex);
        finished_ = true;
    }
    threads::S().changed.notify_all();
}

bool TThread::Finished() const {
    std::lock_guard lock(threads::S().mutex);
    return finished_;
}

void TThread::WaitFor() {
    if (!thread_.joinable()) return;
    if (threads::IsMainThread()) {
        for (;;) {
            threads::CheckSynchronize();
            std::unique_lock lock(threads::S().mutex);
            threads::S().changed.wait(lock,
                                      [this] { return finished_ || !threads::S().queue.empty(); });
            if (finished_) break;
        }
    }
    thread_.join();
}
