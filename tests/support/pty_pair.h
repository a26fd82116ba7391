#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>

#include "platform/threads.h"

// A pseudo-terminal pair standing in for an instrument: the port opens the
// slave by its path, the test plays the instrument on the master.
class PtyPair {
  public:
    PtyPair() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master_, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty");
        path_ = name;
        // Keep the slave open so that the line stays up while the port is closed.
        slave_ = slave;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PtyPair() {
        CloseMaster();
        if (slave_ >= 0) close(slave_);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& Path() const { return path_; }
    int Master() const { return master_; }
    // The instrument goes away: its end of the line closes.
    void CloseMaster() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }
    void CloseSlave() {
        if (slave_ >= 0) close(slave_);
        slave_ = -1;
    }

    void Send(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                pollfd p{master_, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
    }

    // What the port wrote, collected until `count` bytes came or the time is up.
    std::string Receive(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::string got;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (got.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            poll(&p, 1, 20);
            char buf[4096];
            const ssize_t n = read(master_, buf, sizeof buf);
            if (n > 0) got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// Runs the main thread's hand-overs until the condition holds or time is up.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        threads::WaitAndRunHandOvers(std::min(left, std::chrono::milliseconds(50)));
    }
    return true;
}

// Runs hand-overs for a while, for checks that something does not happen.
inline void PumpFor(std::chrono::milliseconds duration) {
    PumpUntil([] { return false; }, duration);
}
