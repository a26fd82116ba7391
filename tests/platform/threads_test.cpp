#include "platform/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "platform/application.h"

namespace {

class Worker : public TThread {
  public:
    explicit Worker(std::function<void()> body) : body_(std::move(body)) {}
    ~Worker() override { WaitFor(); }

  protected:
    void Execute() override { body_(); }

  private:
    std::function<void()> body_;
};

}  // namespace

TEST(HandOver, RunsOnTheMainThreadAndCarriesErrorsBack) {
    std::atomic<bool> ranOnMain{false};
    std::string caught;
    Worker worker([&] {
        threads::Synchronize([&] { ranOnMain = threads::IsMainThread(); });
        try {
            threads::Synchronize([] { throw std::runtime_error("from the main thread"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
    });
    worker.Start();
    worker.WaitFor();  // runs the hand-overs while it waits
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(caught, "from the main thread");
}

TEST(HandOver, WakeHookIsCalledForEachQueuedHandOver) {
    std::atomic<int> wakes{0};
    threads::SetWakeMainThread([&] { ++wakes; });
    Worker worker([] { threads::Synchronize([] {}); });
    worker.Start();
    while (threads::WaitAndRunHandOvers(std::chrono::milliseconds(2000)) == 0) {
    }
    worker.WaitFor();
    threads::SetWakeMainThread(nullptr);
    EXPECT_EQ(wakes, 1);
}

TEST(HandOver, SendReleasesTheSenderBeforeRunningAndReportsErrors) {
    std::vector<std::string> shown;
    application::SetErrorHandler(
        [&](std::exception_ptr e) { shown.push_back(application::ErrorText(e)); });
    std::atomic<bool> senderReleased{false};
    bool releasedBeforeRun = false;
    Worker worker([&] {
        threads::Send([&] {
            // Give the sender a moment to run on: it was released already.
            for (int i = 0; i < 200 && !senderReleased; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            releasedBeforeRun = senderReleased;
            throw std::runtime_error("handled late");
        });
        senderReleased = true;
    });
    worker.Start();
    worker.WaitFor();
    application::SetErrorHandler(nullptr);
    EXPECT_TRUE(releasedBeforeRun);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "handled late");
}

TEST(HandOver, AnErrorEndingAThreadReachesTheApplicationOnce) {
    std::vector<std::string> shown;
    application::SetErrorHandler(
        [&](std::exception_ptr e) { shown.push_back(application::ErrorText(e)); });
    {
        Worker worker([] { throw std::runtime_error("thread failed"); });
        worker.Start();
        worker.WaitFor();
    }
    threads::CheckSynchronize();
    threads::CheckSynchronize();
    application::SetErrorHandler(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "thread failed");
}
