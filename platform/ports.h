#pragma once

#include <functional>
#include <string>
#include <vector>

// Discovery of the machine's serial ports.
namespace ports {

// The serial ports the kernel lists that really exist (USB adapters, ACM
// devices, on-board UARTs with hardware behind them), by device name under
// /dev, in natural order (ttyS2 before ttyS10); then the ports published by
// programs that stand in for an instrument, by their short names.
std::vector<std::string> ListSerialPorts();
// Replaces the discovery, for tests; an empty function restores it.
void SetListSerialPortsForTests(std::function<std::vector<std::string>()> list);

// Where a program publishes a port under a short name: a symbolic link named
// after the port, pointing at the device.
std::string PublishedPortsDirectory();
// The device a published short name points at, or "" when none is published.
std::string PublishedPortPath(const std::string& name);

// Natural order: runs of digits compare by value.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace ports
