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
// The device a published short name points at, or "" when none is published
// or its publisher no longer holds it (see port_publication.h).
std::string PublishedPortPath(const std::string& name);

// What the system knows of the device behind a port, in French, one fact a
// line: maker, product and serial number of a USB adapter, its USB identity
// and driver; the driver of another port; the device a published port
// points at. "" when nothing is known. sysRoot is where sysfs is mounted.
std::string DescribePort(const std::string& name, const std::string& sysRoot = "/sys");

// Natural order: runs of digits compare by value.
bool NaturalLess(const std::string& a, const std::string& b);

}  // namespace ports
