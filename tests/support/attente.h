#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <chrono>
#include <thread>

// Runs the event loop until the condition holds; false after a long while
// (a failure, never a measure of speed).
template <typename Condition>
inline bool Attendre(Condition condition, int ms = 20000) {
    QElapsedTimer montre;
    montre.start();
    while (!condition()) {
        if (montre.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
