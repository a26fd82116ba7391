#pragma once

#include <string>

#include "platform/descripteur.h"

// A port published under a short name by a program that stands in for an
// instrument, and the check that its publisher still holds it.
namespace ports {

// The lock file of a published name: it holds the publisher's process id
// and stays open and flock-ed while the name is published.
std::string PublishedPortLockPath(const std::string& name);

// True while a live process holds the name's lock file open: a publisher
// killed without a chance to withdraw leaves the link and the lock behind,
// and its pseudo-terminal may later belong to someone else.
bool PublisherHoldsPort(const std::string& name);

// Publishes `device` under `name` in PublishedPortsDirectory() for the
// object's lifetime; the destructor withdraws the link and the lock file.
// Failures raise std::runtime_error with a French text.
class PortPublication {
  public:
    PortPublication(const std::string& name, const std::string& device);
    ~PortPublication();
    PortPublication(const PortPublication&) = delete;
    PortPublication& operator=(const PortPublication&) = delete;

    // The symbolic link that publishes the port.
    const std::string& LinkPath() const { return link_; }

  private:
    void Withdraw();

    std::string device_;
    std::string link_;
    std::string lock_;
    platform::Descripteur verrou_;  // the lock file, open and flock-ed
};

}  // namespace ports
