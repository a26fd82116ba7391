// Only this file and serial_speed.cpp include the terminal headers.
#include "platform/serial.h"

#include "platform/ports.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <memory>

#include "platform/descripteur.h"

namespace serial {

// Sets a rate that has no B constant; in serial_speed.cpp, which must not see
// <termios.h>.
int SetArbitrarySpeed(int fd, uint32_t rate);

struct Device {
    platform::Descripteur fd;
    platform::Descripteur kick;  // eventfd: a write started, look for the output queue to empty
    std::atomic<uint32_t> mask{0};
    std::atomic<bool> txPending{false};
    std::atomic<int> inputSize{1024};
    bool discardNull = false;
    bool hasModemLines = false;
    bool hasCounters = false;
    serial_icounter_struct errorBase{};  // counters at the last ClearCommError
    CommTimeouts timeouts{};

    ~Device() {
        if (fd.Valide()) ioctl(fd.Get(), TIOCNXCL);
    }
};

namespace {

using Clock = std::chrono::steady_clock;

// A device without modem lines or counters (a pseudo-terminal) refuses these
// ioctls with one of these: the lines then read as off, which is no error.
bool Unsupported(int error) {
    return error == ENOTTY || error == EINVAL;
}

int PollOne(int fd, short events, int timeoutMs, short& revents) {
    pollfd p{fd, events, 0};
    const int n = platform::SansInterruption([&] { return poll(&p, 1, timeoutMs); });
    if (n < 0) return errno;
    revents = n == 0 ? 0 : p.revents;
    return 0;
}

int RemainingMs(const Transfer& t) {
    if (!t.hasDeadline) return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(t.deadline - Clock::now());
    return static_cast<int>(std::clamp<long long>(left.count(), 0, INT_MAX));
}

speed_t StandardSpeed(uint32_t rate) {
    switch (rate) {
        case 50:
            return B50;
        case 75:
            return B75;
        case 110:
            return B110;
        case 134:
            return B134;
        case 150:
            return B150;
        case 200:
            return B200;
        case 300:
            return B300;
        case 600:
            return B600;
        case 1200:
            return B1200;
        case 1800:
            return B1800;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        case 460800:
            return B460800;
        case 921600:
            return B921600;
        default:
            return B0;
    }
}

void SetModemLine(int fd, int line, bool on) {
    // Where the device has no modem lines there is nothing to hold off.
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

int ErrorCount(const serial_icounter_struct& c) {
    return c.frame + c.parity + c.overrun + c.buf_overrun;
}

// Reads at once what is there, dropping NUL bytes when the device is told to.
// A read of 0 bytes (a device that hung up) is nothing read, not an error.
int ReadAvailable(Device& d, Transfer& t) {
    while (t.done < t.count) {
        const ssize_t n = platform::SansInterruption(
            [&] { return read(d.fd.Get(), t.destination + t.done, t.count - t.done); });
        if (n < 0) {
            if (errno == EAGAIN) return 0;
            return errno;
        }
        if (n == 0) return 0;
        char* begin = t.destination + t.done;
        char* end = begin + n;
        if (d.discardNull) end = std::remove(begin, end, '\0');
        t.done += static_cast<size_t>(end - begin);
    }
    return 0;
}

int WriteAvailable(Device& d, Transfer& t) {
    while (t.done < t.count) {
        const ssize_t n = platform::SansInterruption(
            [&] { return write(d.fd.Get(), t.source + t.done, t.count - t.done); });
        if (n < 0) {
            if (errno == EAGAIN) return 0;
            return errno;
        }
        if (n > 0) {
            t.done += static_cast<size_t>(n);
            d.txPending = true;
            const uint64_t one = 1;
            platform::SansInterruption([&] { return write(d.kick.Get(), &one, sizeof one); });
        }
    }
    return 0;
}

}  // namespace

std::string DevicePath(const std::string& portName) {
    if (!portName.empty() && portName.front() == '/') return portName;
    const std::string device = "/dev/" + portName;
    if (access(device.c_str(), F_OK) == 0) return device;
    const std::string published = ports::PublishedPortPath(portName);
    return published.empty() ? device : published;
}

int OpenDevice(const std::string& portName, Handle& handle) {
    handle = InvalidHandle;
    if (portName.empty()) return ENOENT;
    platform::Descripteur device(platform::SansInterruption([&] {
        return open(DevicePath(portName).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    }));
    if (!device.Valide()) return errno;
    const int fd = device.Get();
    // TIOCEXCL keeps other users out, but not root: the lock holds for all,
    // in this process and in others alike.
    if (platform::SansInterruption([&] { return flock(fd, LOCK_EX | LOCK_NB); }) != 0)
        return errno == EWOULDBLOCK ? EBUSY : errno;
    ioctl(fd, TIOCEXCL);
    auto d = std::make_unique<Device>();
    d->fd = std::move(device);
    d->kick = platform::Descripteur(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!d->kick.Valide()) return errno;
    int lines = 0;
    d->hasModemLines = ioctl(fd, TIOCMGET, &lines) == 0;
    d->hasCounters = ioctl(fd, TIOCGICOUNT, &d->errorBase) == 0;
    // The port owns the device from here until CloseDevice.
    handle = d.release();
    return 0;
}

void CloseDevice(Handle handle) {
    // Closes both descriptors, releasing the exclusive use first.
    std::unique_ptr<Device> owned(handle);
}

int NativeDescriptor(Handle handle) {
    return handle == InvalidHandle ? -1 : handle->fd.Get();
}

int SetupComm(Handle handle, int inputSize, int outputSize) {
    if (handle == InvalidHandle) return EBADF;
    // The kernel sizes its terminal queues itself; the input size still
    // decides when the input queue counts as 80 % full.
    if (inputSize <= 0 || outputSize <= 0) return EINVAL;
    handle->inputSize = inputSize;
    return 0;
}

int SetCommState(Handle handle, const DeviceControl& dcb) {
    if (handle == InvalidHandle) return EBADF;
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2 ||
        dcb.BaudRate == 0)
        return EINVAL;
    const int fd = handle->fd.Get();

    // Built whole from the block, never from what the device had: raw, no
    // echo, no translation, a read returns at once.
    termios t{};
    t.c_cflag = CREAD | CLOCAL;
    static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
        case 1:
            t.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            t.c_cflag |= PARENB;
            break;
        case 3:
            t.c_cflag |= PARENB | PARODD | CMSPAR;
            break;
        case 4:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        default:
            break;
    }
    // With five data bits a UART sends one and a half stop bits where it is
    // asked for two, so both ask for two.
    if (dcb.StopBits != 0) t.c_cflag |= CSTOPB;
    // Linux ties CTS output flow and RTS handshake together in one flag.
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == 2) t.c_cflag |= CRTSCTS;
    // Parity errors: a byte received with one reads as NUL, which is the
    // replacement character when one is asked for with NUL, the usual case;
    // another replacement character cannot be had from the kernel. DSR output
    // flow, DSR sensitivity, XON/XOFF limits and continuing after XOFF have
    // no terminal setting and are left to the device's defaults.
    if (dcb.fParity) t.c_iflag |= INPCK;
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;

    const speed_t speed = StandardSpeed(dcb.BaudRate);
    const speed_t base = speed == B0 ? B38400 : speed;
    cfsetispeed(&t, base);
    cfsetospeed(&t, base);
    if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;
    if (speed == B0) {
        if (const int error = SetArbitrarySpeed(fd, dcb.BaudRate)) return error;
    }

    // The terminal cannot drop NUL bytes itself; reads do it instead.
    handle->discardNull = dcb.fNull;
    // DTR handshake does not exist here: the line is then held on, as the
    // nearest. RTS toggling is done by RS-485 drivers only: held on too.
    SetModemLine(fd, TIOCM_DTR, dcb.fDtrControl != 0);
    if (dcb.fRtsControl != 2) SetModemLine(fd, TIOCM_RTS, dcb.fRtsControl != 0);
    // The event character: the kernel has no such setting, so evRxFlag
    // never occurs.
    return 0;
}

int SetCommTimeouts(Handle handle, const CommTimeouts& timeouts) {
    if (handle == InvalidHandle) return EBADF;
    handle->timeouts = timeouts;
    return 0;
}

int SetCommMask(Handle handle, uint32_t mask) {
    if (handle == InvalidHandle) return EBADF;
    handle->mask = mask;
    return 0;
}

int ClearCommError(Handle handle, uint32_t& errors, int& inputQueue) {
    errors = 0;
    inputQueue = 0;
    if (handle == InvalidHandle) return EBADF;
    if (ioctl(handle->fd.Get(), FIONREAD, &inputQueue) != 0) return errno;
    if (!handle->hasCounters) return 0;
    serial_icounter_struct now{};
    if (ioctl(handle->fd.Get(), TIOCGICOUNT, &now) != 0) return Unsupported(errno) ? 0 : errno;
    const auto& was = handle->errorBase;
    if (now.frame != was.frame) errors |= CE_FRAME;
    if (now.parity != was.parity) errors |= CE_RXPARITY;
    if (now.overrun != was.overrun) errors |= CE_OVERRUN;
    if (now.buf_overrun != was.buf_overrun) errors |= CE_RXOVER;
    if (now.brk != was.brk) errors |= CE_BREAK;
    handle->errorBase = now;
    return 0;
}

int GetCommModemStatus(Handle handle, uint32_t& status) {
    status = 0;
    if (handle == InvalidHandle) return EBADF;
    int lines = 0;
    if (ioctl(handle->fd.Get(), TIOCMGET, &lines) != 0) return Unsupported(errno) ? 0 : errno;
    if (lines & TIOCM_CTS) status |= MS_CTS_ON;
    if (lines & TIOCM_DSR) status |= MS_DSR_ON;
    if (lines & TIOCM_RNG) status |= MS_RING_ON;
    if (lines & TIOCM_CAR) status |= MS_RLSD_ON;
    return 0;
}

int PurgeComm(Handle handle, uint32_t flags) {
    if (handle == InvalidHandle) return EBADF;
    // Transfers never outlive the call that awaits them, so aborting has
    // nothing to stop; only a device that is not open can refuse.
    if (fcntl(handle->fd.Get(), F_GETFL) < 0) return errno;
    const bool tx = flags & PURGE_TXCLEAR;
    const bool rx = flags & PURGE_RXCLEAR;
    if ((tx || rx) && tcflush(handle->fd.Get(), tx && rx ? TCIOFLUSH
                                                : tx     ? TCOFLUSH
                                                         : TCIFLUSH) != 0)
        return errno;
    return 0;
}

int BeginWrite(Handle handle, const char* data, size_t count, Transfer& t) {
    if (handle == InvalidHandle) return EBADF;
    const CommTimeouts& to = handle->timeouts;
    t = Transfer{};
    t.write = true;
    t.source = data;
    t.count = count;
    if (to.WriteTotalTimeoutMultiplier != 0 || to.WriteTotalTimeoutConstant != 0) {
        t.hasDeadline = true;
        t.deadline = Clock::now() +
                     std::chrono::milliseconds(uint64_t{to.WriteTotalTimeoutMultiplier} * count +
                                               to.WriteTotalTimeoutConstant);
    }
    if (fcntl(handle->fd.Get(), F_GETFL) < 0) return errno;
    return WriteAvailable(*handle, t);
}

int BeginRead(Handle handle, char* destination, size_t count, Transfer& t) {
    if (handle == InvalidHandle) return EBADF;
    const CommTimeouts& to = handle->timeouts;
    t = Transfer{};
    t.destination = destination;
    t.count = count;
    if (to.ReadTotalTimeoutMultiplier != 0 || to.ReadTotalTimeoutConstant != 0) {
        t.hasDeadline = true;
        t.deadline = Clock::now() +
                     std::chrono::milliseconds(uint64_t{to.ReadTotalTimeoutMultiplier} * count +
                                               to.ReadTotalTimeoutConstant);
    }
    if (fcntl(handle->fd.Get(), F_GETFL) < 0) return errno;
    return ReadAvailable(*handle, t);
}

int AwaitTransfer(Handle handle, Transfer& t) {
    if (handle == InvalidHandle) return EBADF;
    Device& d = *handle;
    if (t.write) {
        while (t.done < t.count) {
            const int wait = RemainingMs(t);
            if (wait == 0) break;  // written in part: the time-out is no error
            short revents = 0;
            if (const int error = PollOne(d.fd.Get(), POLLOUT, wait, revents)) return error;
            if (revents & (POLLERR | POLLHUP | POLLNVAL)) return revents & POLLNVAL ? EBADF : EIO;
            if (revents & POLLOUT) {
                if (const int error = WriteAvailable(d, t)) return error;
            }
        }
        return 0;
    }
    const CommTimeouts& to = d.timeouts;
    const bool noInterval = to.ReadIntervalTimeout == MAXDWORD;
    // No interval and no total: return at once with what has arrived.
    if (noInterval && !t.hasDeadline) return 0;
    while (t.done < t.count) {
        // No interval but a total: return as soon as something has arrived.
        if (noInterval && t.done > 0) break;
        int wait = RemainingMs(t);
        if (wait == 0) break;
        if (!noInterval && to.ReadIntervalTimeout != 0 && t.done > 0) {
            const int interval =
                static_cast<int>(std::min<uint32_t>(to.ReadIntervalTimeout, INT_MAX));
            wait = wait < 0 ? interval : std::min(wait, interval);
        }
        short revents = 0;
        if (const int error = PollOne(d.fd.Get(), POLLIN, wait, revents)) return error;
        if (revents & POLLNVAL) return EBADF;
        if (revents & (POLLERR | POLLHUP)) return EIO;
        if (revents == 0) {
            if (RemainingMs(t) != 0 && t.done == 0) continue;
            break;  // the interval between two bytes ran out
        }
        if (const int error = ReadAvailable(d, t)) return error;
    }
    return 0;
}

// ---------------------------------------------------------------------------

EventWait::EventWait(Handle handle, int stopDescriptor) : handle_(handle), stop_(stopDescriptor) {
    if (handle_ == InvalidHandle) {
        setupError_ = EBADF;
        return;
    }
    epoll_ = platform::Descripteur(epoll_create1(EPOLL_CLOEXEC));
    if (!epoll_.Valide()) {
        setupError_ = errno;
        return;
    }
    const uint32_t watched = handle_->mask;
    // Edge-triggered: a wake-up means new bytes arrived, as a received-byte
    // event does. Bytes a handler leaves unread do not wake the wait again.
    epoll_event device{};
    device.events = EPOLLET | ((watched & EV_RXCHAR) ? EPOLLIN : 0u);
    device.data.fd = handle_->fd.Get();
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stop_;
    epoll_event kick{};
    kick.events = EPOLLIN;
    kick.data.fd = handle_->kick.Get();
    if (epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, handle_->fd.Get(), &device) != 0 ||
        epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, stop_, &stop) != 0 ||
        epoll_ctl(epoll_.Get(), EPOLL_CTL_ADD, handle_->kick.Get(), &kick) != 0) {
        setupError_ = errno;
        return;
    }
    int lines = 0;
    if (handle_->hasModemLines && ioctl(handle_->fd.Get(), TIOCMGET, &lines) == 0)
        modemLines_ = static_cast<uint32_t>(lines);
    serial_icounter_struct c{};
    if (handle_->hasCounters && ioctl(handle_->fd.Get(), TIOCGICOUNT, &c) == 0)
        counters_ = {c.cts, c.dsr, c.rng, c.dcd, c.brk, ErrorCount(c)};
}

EventWait::~EventWait() = default;

uint32_t EventWait::TakeChanges(uint32_t watched) {
    uint32_t events = 0;
    Device& d = *handle_;
    if (d.hasCounters) {
        serial_icounter_struct c{};
        if (ioctl(d.fd.Get(), TIOCGICOUNT, &c) == 0) {
            const Counters now{c.cts, c.dsr, c.rng, c.dcd, c.brk, ErrorCount(c)};
            if (now.cts != counters_.cts) events |= EV_CTS;
            if (now.dsr != counters_.dsr) events |= EV_DSR;
            if (now.rng != counters_.rng) events |= EV_RING;
            if (now.dcd != counters_.dcd) events |= EV_RLSD;
            if (now.brk != counters_.brk) events |= EV_BREAK;
            if (now.errors != counters_.errors) events |= EV_ERR;
            counters_ = now;
        }
    } else if (d.hasModemLines) {
        int lines = 0;
        if (ioctl(d.fd.Get(), TIOCMGET, &lines) == 0) {
            const uint32_t changed = modemLines_ ^ static_cast<uint32_t>(lines);
            if (changed & TIOCM_CTS) events |= EV_CTS;
            if (changed & TIOCM_DSR) events |= EV_DSR;
            if (changed & TIOCM_RNG) events |= EV_RING;
            if (changed & TIOCM_CAR) events |= EV_RLSD;
            modemLines_ = static_cast<uint32_t>(lines);
        }
    }
    if ((watched & EV_RX80FULL) != 0) {
        int waiting = 0;
        if (ioctl(d.fd.Get(), FIONREAD, &waiting) == 0 && waiting * 5 >= d.inputSize * 4)
            events |= EV_RX80FULL;
    }
    if ((watched & EV_TXEMPTY) != 0 && d.txPending) {
        int queued = 0;
        if (ioctl(d.fd.Get(), TIOCOUTQ, &queued) != 0 || queued == 0) {
            d.txPending = false;
            events |= EV_TXEMPTY;
        }
    }
    return events & watched;
}

EventWait::Result EventWait::Wait(uint32_t& mask, int& error) {
    mask = 0;
    error = 0;
    if (setupError_ != 0) {
        error = setupError_;
        return Result::Failed;
    }
    Device& d = *handle_;
    const uint32_t watched = d.mask;
    constexpr uint32_t lineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING | EV_BREAK | EV_ERR;
    for (;;) {
        // Modem lines and line errors cannot be waited on together with
        // received bytes, so where a device has them and they are watched,
        // they are looked at ten times a second. A device without them (a
        // pseudo-terminal) blocks until something happens.
        int timeout = -1;
        if ((d.hasModemLines || d.hasCounters) && (watched & lineEvents) != 0) timeout = 100;
        if ((watched & EV_RX80FULL) != 0 && (watched & EV_RXCHAR) == 0) timeout = 100;
        if ((watched & EV_TXEMPTY) != 0 && d.txPending) {
            int queued = 0;
            if (ioctl(d.fd.Get(), TIOCOUTQ, &queued) == 0 && queued > 0) {
                // About the time the queued bytes take at the slowest usual speed.
                const int drain = std::max(1, queued / 10);
                timeout = timeout < 0 ? drain : std::min(timeout, drain);
            } else {
                timeout = 0;
            }
        }
        epoll_event ready[3];
        const int n =
            platform::SansInterruption([&] { return epoll_wait(epoll_.Get(), ready, 3, timeout); });
        if (n < 0) {
            error = errno;
            return Result::Failed;
        }
        bool stopped = false, gone = false, received = false;
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.fd == stop_) stopped = true;
            if (ready[i].data.fd == d.fd.Get()) {
                if (ready[i].events & (EPOLLHUP | EPOLLERR)) gone = true;
                if (ready[i].events & EPOLLIN) received = true;
            }
            if (ready[i].data.fd == d.kick.Get()) {
                uint64_t value;
                platform::SansInterruption(
                    [&] { return read(d.kick.Get(), &value, sizeof value); });
            }
        }
        if (stopped) return Result::Stopped;
        if (gone) {
            // The adapter was pulled or the other end of the line closed.
            error = EIO;
            return Result::Failed;
        }
        mask = TakeChanges(watched);
        if (received) mask |= EV_RXCHAR & watched;
        if (mask != 0) return Result::Events;
    }
}

}  // namespace serial
