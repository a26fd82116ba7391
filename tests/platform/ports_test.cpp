#include "ports.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "serial.h"

TEST(Ports, NaturalOrder) {
    std::vector<std::string> names = {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1",
                                      "ttyS02", "ttyS1",   "COM3",  "ttyS"};
    std::sort(names.begin(), names.end(), ports::NaturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"COM3", "ttyACM1", "ttyS", "ttyS1", "ttyS2",
                                               "ttyS02", "ttyS10", "ttyUSB0"}));
}

TEST(Ports, PublishedPortIsListedAndOpensUnderItsShortName) {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/solvenare-runtime-XXXXXX";
    const std::string runtime = mkdtemp(tmpl);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    int master = -1, slave = -1;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    fs::create_directories(ports::PublishedPortsDirectory());
    fs::create_symlink(name, ports::PublishedPortsDirectory() + "/SIM0");
    fs::create_symlink("/dev/pts/does-not-exist", ports::PublishedPortsDirectory() + "/SIM9");

    const auto listed = ports::ListSerialPorts();
    EXPECT_NE(std::find(listed.begin(), listed.end(), "SIM0"), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), "SIM9"), listed.end()) << "a stale link";
    EXPECT_EQ(serial::DevicePath("SIM0"), name);
    EXPECT_EQ(serial::DevicePath("ttyUSB7"), "/dev/ttyUSB7");
    EXPECT_EQ(serial::DevicePath("/dev/pts/0"), "/dev/pts/0");
    EXPECT_EQ(ports::PublishedPortPath("../SIM0"), "");

    serial::Handle h = serial::InvalidHandle;
    EXPECT_EQ(serial::OpenDevice("SIM0", h), 0);
    serial::CloseDevice(h);
    close(master);
    close(slave);
    unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(runtime);
}
