#include "platform/ports.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/serial.h"

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
