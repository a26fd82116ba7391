// Measures the serial layer over a pseudo-terminal: packets per second from a
// peer writing 8-byte measurement frames as fast as it can, the time from the
// peer's write to the packet handler, and the CPU an open idle port uses.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "link/comdatapacket.h"
#include "link/comport.h"
#include "platform/threads.h"

using seriallink::br19200;
using seriallink::TComDataPacket;
using seriallink::TComPort;

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void WriteAll(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
        }
    }
}

// A continuous-mode frame: FF F0, green, red and temperature counts.
std::string Frame(int i) {
    const int green = 300 + i % 700, red = 200 + i % 800, temp = 400 + i % 100;
    const char f[8] = {'\xFF',
                       '\xF0',
                       static_cast<char>(green >> 8),
                       static_cast<char>(green),
                       static_cast<char>(red >> 8),
                       static_cast<char>(red),
                       static_cast<char>(temp >> 8),
                       static_cast<char>(temp)};
    return std::string(f, 8);
}

struct Line {
    int master = -1;
    std::string path;
    TComPort port;
    TComDataPacket framer;

    Line() {
        int slave = -1;
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::perror("openpty");
            std::exit(1);
        }
        close(slave);
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        path = name;
        port.SetPort(path);
        port.SetBaudRate(br19200);
        framer.SetStartString(std::string(1, '\xFF'));
        framer.SetSize(8);
        framer.SetComPort(&port);
    }
    ~Line() {
        port.Close();
        close(master);
    }
};

void Throughput(int frames, size_t writeSize) {
    Line line;
    std::atomic<long> received{0};
    long mismatched = 0;
    line.framer.OnPacket = [&](TObject*, const std::string& payload) {
        if (payload != Frame(static_cast<int>(received.load())).substr(1)) ++mismatched;
        ++received;
    };
    line.port.Open();
    const auto start = Clock::now();
    std::thread peer([&] {
        std::string burst;
        for (int i = 0; i < frames; ++i) {
            burst += Frame(i);
            if (burst.size() >= writeSize || i + 1 == frames) {
                WriteAll(line.master, burst.data(), burst.size());
                burst.clear();
            }
        }
    });
    while (received < frames && Clock::now() - start < 60s) threads::WaitAndRunHandOvers(100ms);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    peer.join();
    std::printf(
        "throughput, %zu-byte writes: %ld of %d frames in %.3f s = %.0f frames/s (%ld wrong)\n",
        writeSize, received.load(), frames, seconds, static_cast<double>(received) / seconds,
        mismatched);
}

void Latency(int samples) {
    Line line;
    std::atomic<int64_t> sentAt{0};
    std::atomic<int> received{0};
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(samples));
    line.framer.OnPacket = [&](TObject*, const std::string&) {
        const int64_t now = Clock::now().time_since_epoch().count();
        micros.push_back(static_cast<double>(now - sentAt.load()) / 1000.0);
        ++received;
    };
    line.port.Open();
    std::thread peer([&] {
        for (int i = 0; i < samples; ++i) {
            const std::string f = Frame(i);
            sentAt = Clock::now().time_since_epoch().count();
            WriteAll(line.master, f.data(), f.size());
            const auto deadline = Clock::now() + 1s;
            while (received <= i && Clock::now() < deadline) std::this_thread::sleep_for(50us);
            std::this_thread::sleep_for(1ms);
        }
    });
    const auto end = Clock::now() + 60s;
    while (received < samples && Clock::now() < end) threads::WaitAndRunHandOvers(100ms);
    peer.join();
    std::sort(micros.begin(), micros.end());
    if (micros.empty()) return;
    const auto at = [&](double q) {
        return micros[std::min(micros.size() - 1, static_cast<size_t>(q * micros.size()))];
    };
    std::printf(
        "latency (write to OnPacket, %zu frames): median %.0f us, 99th percentile %.0f us, max "
        "%.0f us\n",
        micros.size(), at(0.5), at(0.99), micros.back());
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A peer writing one frame every 1/240 s, as the photometer in continuous
// mode; returns the CPU seconds of its own thread.
std::thread PeerAtLineRate(int master, int frames, double& peerCpu) {
    return std::thread([master, frames, &peerCpu] {
        const double cpu0 = ThreadCpuSeconds();
        auto next = Clock::now();
        for (int i = 0; i < frames; ++i) {
            std::this_thread::sleep_until(next);
            next += std::chrono::microseconds(1000000 / 240);
            const std::string f = Frame(i);
            WriteAll(master, f.data(), f.size());
        }
        peerCpu = ThreadCpuSeconds() - cpu0;
    });
}

// The serial layer alone at the line's 240 frames/s (the port, its event
// thread, the synchronous hand-over to this thread and the framer, with a
// handler that only counts), beside the floor measured the same way: this
// thread reading the same stream from its own pseudo-terminal with poll and
// read. No Qt and no window: what the layer's contract costs by itself.
void AtLineRate(int seconds) {
    const int frames = seconds * 240;
    double floorCpu = 0, layerCpu = 0, peerCpu = 0;
    long floorFrames = 0;
    {
        int master = -1, slave = -1;
        if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        const double cpu0 = CpuSeconds();
        std::thread peer = PeerAtLineRate(master, frames, peerCpu);
        long bytes = 0;
        char buffer[256];
        pollfd p{slave, POLLIN, 0};
        while (bytes < frames * 8L && poll(&p, 1, 2000) > 0) {
            const ssize_t n = read(slave, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes += n;
        }
        peer.join();
        floorCpu = CpuSeconds() - cpu0 - peerCpu;
        floorFrames = bytes / 8;
        close(slave);
        close(master);
    }
    std::atomic<long> received{0};
    {
        Line line;
        line.framer.OnPacket = [&](TObject*, const std::string&) { ++received; };
        line.port.Open();
        const double cpu0 = CpuSeconds();
        std::thread peer = PeerAtLineRate(line.master, frames, peerCpu);
        const auto end = Clock::now() + std::chrono::seconds(seconds + 10);
        while (received < frames && Clock::now() < end) threads::WaitAndRunHandOvers(100ms);
        peer.join();
        layerCpu = CpuSeconds() - cpu0 - peerCpu;
    }
    std::printf(
        "at 240 frames/s for %d s: floor (poll and read) %ld frames, %.3f %% of one core; serial "
        "layer with its hand-over %ld frames, %.3f %% = %.1f x the floor (%.0f us a frame more)\n",
        seconds, floorFrames, 100 * floorCpu / seconds, received.load(), 100 * layerCpu / seconds,
        layerCpu / std::max(floorCpu, 1e-9), (layerCpu - floorCpu) / frames * 1e6);
}

void IdleCpu(int seconds) {
    Line line;
    line.port.Open();
    const double before = CpuSeconds();
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) threads::WaitAndRunHandOvers(1000ms);
    const double used = CpuSeconds() - before;
    std::printf("idle open port: %.4f s of CPU in %d s = %.4f %% of one core\n", used, seconds,
                100.0 * used / seconds);
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    Throughput(quick ? 50000 : 300000, 8);     // one write per frame
    Throughput(quick ? 50000 : 300000, 4096);  // the peer's writes as large as the terminal takes
    Latency(quick ? 500 : 3000);
    AtLineRate(quick ? 5 : 20);
    IdleCpu(quick ? 2 : 10);
    return 0;
}
