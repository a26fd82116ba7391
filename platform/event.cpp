#include "platform/event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

TEvent::TEvent(bool initiallySet) : fd_(eventfd(initiallySet ? 1 : 0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!fd_.Valide()) throw std::system_error(errno, std::generic_category(), "eventfd");
}

void TEvent::Set() {
    // The counter only grows until Reset; a full counter is still set.
    const uint64_t one = 1;
    platform::SansInterruption([&] { return write(fd_.Get(), &one, sizeof one); });
}

void TEvent::Reset() {
    uint64_t value;
    platform::SansInterruption([&] { return read(fd_.Get(), &value, sizeof value); });
}

bool TEvent::IsSet() const {
    pollfd p{fd_.Get(), POLLIN, 0};
    return poll(&p, 1, 0) == 1;
}

void TEvent::WaitSet() const {
    pollfd p{fd_.Get(), POLLIN, 0};
    platform::SansInterruption([&] { return poll(&p, 1, -1); });
}
