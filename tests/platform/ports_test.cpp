#include "platform/ports.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/port_publication.h"
#include "platform/serial.h"

TEST(Ports, NaturalOrder) {
    std::vector<std::string> names = {"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1",
                                      "ttyS02", "ttyS1",   "COM3",  "ttyS"};
    std::sort(names.begin(), names.end(), ports::NaturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"COM3", "ttyACM1", "ttyS", "ttyS1", "ttyS2",
                                               "ttyS02", "ttyS10", "ttyUSB0"}));
}

namespace {

bool Listed(const std::string& name) {
    const auto listed = ports::ListSerialPorts();
    return std::find(listed.begin(), listed.end(), name) != listed.end();
}

// Publishes `device` under `name` from a child process that then waits to be
// killed; returns its pid once the name is there.
pid_t PublishInChild(const std::string& name, const std::string& device) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        ports::PortPublication publication(name, device);
        [[maybe_unused]] const ssize_t n = write(ready[1], "1", 1);
        for (;;) pause();
    }
    close(ready[1]);
    char c;
    [[maybe_unused]] const ssize_t n = read(ready[0], &c, 1);
    close(ready[0]);
    return pid;
}

}  // namespace

TEST(Ports, PublishedPortIsListedOnlyWhileItsPublisherHoldsIt) {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/solvenare-runtime-XXXXXX";
    const std::string runtime = mkdtemp(tmpl);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    int master = -1, slave = -1;
    char name[256];
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    const std::string dir = ports::PublishedPortsDirectory();
    {
        ports::PortPublication publication("SIM0", name);
        EXPECT_TRUE(Listed("SIM0"));
        EXPECT_EQ(serial::DevicePath("SIM0"), name);
        EXPECT_EQ(serial::DevicePath("ttyUSB7"), "/dev/ttyUSB7");
        EXPECT_EQ(serial::DevicePath("/dev/pts/0"), "/dev/pts/0");
        EXPECT_EQ(ports::PublishedPortPath("../SIM0"), "");
        serial::Handle h = serial::InvalidHandle;
        EXPECT_EQ(serial::OpenDevice("SIM0", h), 0);
        serial::CloseDevice(h);
        EXPECT_THROW(ports::PortPublication("SIM0", name), std::runtime_error) << "held";
        EXPECT_TRUE(Listed("SIM0")) << "the refused one took nothing away";
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir + "/SIM0"))) << "withdrawn";
    EXPECT_FALSE(fs::exists(ports::PublishedPortLockPath("SIM0"))) << "the lock goes too";
    EXPECT_FALSE(Listed("SIM0"));

    // Links that no live publisher holds, though each points at a live
    // terminal: left by a killed one (its lock names a dead process, or one
    // that does not hold the lock), or made by hand without a lock.
    const pid_t killed = PublishInChild("SIM1", name);
    ASSERT_GT(killed, 0);
    EXPECT_TRUE(Listed("SIM1"));
    kill(killed, SIGKILL);
    waitpid(killed, nullptr, 0);
    EXPECT_TRUE(fs::is_symlink(dir + "/SIM1")) << "a killed publisher cannot withdraw";
    EXPECT_FALSE(Listed("SIM1"));
    EXPECT_EQ(ports::PublishedPortPath("SIM1"), "");
    fs::create_symlink(name, dir + "/SIM2");
    std::ofstream(ports::PublishedPortLockPath("SIM2")) << getpid() << "\n";
    fs::create_symlink(name, dir + "/SIM3");
    fs::create_symlink("/dev/pts/does-not-exist", dir + "/SIM9");
    for (const char* stale : {"SIM1", "SIM2", "SIM3", "SIM9"}) {
        SCOPED_TRACE(stale);
        EXPECT_FALSE(Listed(stale));
        EXPECT_EQ(ports::DescribePort(stale), "");
    }
    // The name is free for the next publisher, who replaces what was left.
    {
        ports::PortPublication again("SIM1", name);
        EXPECT_TRUE(Listed("SIM1"));
    }
    close(master);
    close(slave);
    unsetenv("XDG_RUNTIME_DIR");
    fs::remove_all(runtime);
}

// A sysfs tree as the kernel lays it out for a USB adapter (the port's folder
// under its interface, the USB device above), a modem (the interface itself),
// an on-board UART, and an adapter that gives no maker or serial number.
TEST(Ports, DescriptionFromWhatSysfsKnows) {
    namespace fs = std::filesystem;
    char tmpl[] = "/tmp/solvenare-sysfs-XXXXXX";
    const fs::path sys = mkdtemp(tmpl);
    auto Ecrire = [](const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    };
    auto Port = [&](const std::string& name, const fs::path& device, const std::string& driver) {
        fs::create_directories(sys / "class/tty" / name);
        fs::create_directories(device);
        fs::create_symlink(device, sys / "class/tty" / name / "device");
        if (!driver.empty()) {
            fs::create_directories(sys / "bus/drivers" / driver);
            fs::create_symlink(sys / "bus/drivers" / driver, device / "driver");
        }
    };
    const fs::path usb = sys / "devices/pci0000:00/0000:00:14.0/usb1/1-2";
    Ecrire(usb / "idVendor", "0403\n");
    Ecrire(usb / "idProduct", "6001\n");
    Ecrire(usb / "manufacturer", "FTDI\n");
    Ecrire(usb / "product", "FT232R USB UART\n");
    Ecrire(usb / "serial", "A10K1234\n");
    Port("ttyUSB0", usb / "1-2:1.0/ttyUSB0", "ftdi_sio");
    const fs::path modem = sys / "devices/pci0000:00/0000:00:14.0/usb1/1-3";
    Ecrire(modem / "idVendor", "2341\n");
    Ecrire(modem / "idProduct", "0043\n");
    Ecrire(modem / "product", "Arduino Uno\n");
    Port("ttyACM0", modem / "1-3:1.0", "cdc_acm");
    Port("ttyS0", sys / "devices/pnp0/00:05", "serial");
    Port("ttyS4", sys / "devices/platform/serial8250", "");

    const struct {
        const char* name;
        const char* description;
    } cases[] = {
        {"ttyUSB0",
         "Fabricant : FTDI\nProduit : FT232R USB UART\nNuméro de série : A10K1234\nUSB : "
         "0403:6001\nPilote : ftdi_sio"},
        {"ttyACM0", "Produit : Arduino Uno\nUSB : 2341:0043\nPilote : cdc_acm"},
        {"ttyS0", "Pilote : serial"},
        {"ttyS4", ""},
        {"ttyUSB9", ""},
        {"COM3", ""},
        {"../ttyUSB0", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ports::DescribePort(c.name, sys.string()), c.description);
    }
    fs::remove_all(sys);
}
