#include "event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

TEvent::TEvent(bool initiallySet) : fd_(eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

TEvent::~TEvent() {
    close(fd_);
}

void TEvent::Set() {
    // The counter only grows until Reset; a full counter is still set.
    const uint64_t one = 1;
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TEvent::Reset() {
    uint64_t value;
    while (read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool TEvent::IsSet() const {
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

void TEvent::WaitSet() const {
    pollfd p{fd_, POLLIN, 0};
    while (poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
}
