#include "toolkit/qtsetup.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "platform/threads.h"

TEST(HandOverPump, WakesTheEventLoopForAnotherThreadsHandOver) {
    toolkit::InstallHandOverPump();
    std::atomic<bool> ranOnMain{false};
    std::atomic<bool> done{false};
    std::thread worker([&] {
        threads::Synchronize([&] { ranOnMain = threads::IsMainThread(); });
        done = true;
    });
    // Only Qt's loop runs here: nothing else would run the hand-over.
    QElapsedTimer clock;
    clock.start();
    while (!done && clock.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const bool pumped = done;
    // Should the pump have failed, release the worker rather than hang.
    if (!pumped) threads::CheckSynchronize();
    worker.join();
    threads::SetWakeMainThread(nullptr);
    EXPECT_TRUE(pumped);
    EXPECT_TRUE(ranOnMain);
}

TEST(FrenchTranslation, QtDialogTextsInFrench) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    ASSERT_TRUE(toolkit::InstallFrenchTranslation(*app));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Annuler");
}
