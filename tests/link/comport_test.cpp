#include "link/comport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <termios.h>

#include "link/photometerline.h"
#include "tests/link/recorder.h"
#include "tests/support/pty_pair.h"

using namespace seriallink;

namespace {

// The port as the window sets it up, on the given device.
void ConfigureLikeTheWindow(TCustomComPort& port, const std::string& device) {
    port.SetPort(device);
    ConfigurePhotometerLine(port);
}

termios DeviceSettings(const TCustomComPort& port) {
    termios t{};
    EXPECT_EQ(tcgetattr(serial::NativeDescriptor(port.Handle()), &t), 0);
    return t;
}

int ErrorCodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EComPort& e) {
        return e.ErrorCode();
    }
    return 0;
}

}  // namespace

TEST(PortOpenClose, SequencesRunInOrderAndOnlyOnChange) {
    PtyPair pty;
    TComPort port;
    ConfigureLikeTheWindow(port, pty.Path());
    Recorder r;
    r.Watch(port);

    port.Open();
    EXPECT_TRUE(port.Connected());
    const std::vector<std::string> opened = {
        "BeforeOpen",   "link.Connection on", "AfterOpen",     "link.CTS off",  "CTSChange off",
        "link.DSR off", "DSRChange off",      "link.RLSD off", "RLSDChange off"};
    EXPECT_EQ(r.calls, opened);

    r.calls.clear();
    port.Open();
    EXPECT_TRUE(r.calls.empty()) << "Open on an open port fires nothing";

    port.Close();
    EXPECT_FALSE(port.Connected());
    const std::vector<std::string> closed = {
        "link.CTS off",   "link.DSR off", "link.RLSD off",       "CTSChange off", "DSRChange off",
        "RLSDChange off", "BeforeClose",  "link.Connection off", "AfterClose"};
    EXPECT_EQ(r.calls, closed);

    r.calls.clear();
    port.Close();
    EXPECT_TRUE(r.calls.empty()) << "Close on a closed port fires nothing";
}

TEST(PortOpenClose, UnknownDeviceRaisesCodeOneAndStaysClosed) {
    TComPort port;
    port.SetPort("ttyNoSuchDevice7");
    Recorder r;
    r.Watch(port);
    try {
        port.Open();
        FAIL() << "Open succeeded";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 1);
        EXPECT_EQ(e.SystemErrorCode(), 2);
        EXPECT_STREQ(e.what(), "Unable to open com port (win error code: 2)");
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(r.calls, std::vector<std::string>{"BeforeOpen"});
    // Nothing is open, so nothing can be written.
    EXPECT_EQ(ErrorCodeOf([&] { port.Write("\xFF", 1); }), 2);
}

TEST(PortOpenClose, ChangingThePortWhileOpenClosesThenOpensTheNewOne) {
    PtyPair first, second;
    TComPort port;
    ConfigureLikeTheWindow(port, first.Path());
    port.Open();
    Recorder r;
    r.Watch(port);

    port.SetPort(first.Path());
    EXPECT_TRUE(r.calls.empty()) << "the same name changes nothing";

    port.SetPort(second.Path());
    ASSERT_TRUE(port.Connected());
    ASSERT_GE(r.calls.size(), 4u);
    EXPECT_EQ(std::count(r.calls.begin(), r.calls.end(), "link.Connection off"), 1);
    const auto off = std::find(r.calls.begin(), r.calls.end(), "link.Connection off");
    const auto on = std::find(r.calls.begin(), r.calls.end(), "link.Connection on");
    EXPECT_LT(off, on);

    port.Write("A", 1);
    EXPECT_EQ(second.Receive(1), "A");
    EXPECT_EQ(first.Receive(1, std::chrono::milliseconds(100)), "");
}

TEST(PortOpenClose, DeviceIsHeldForExclusiveUse) {
    PtyPair pty;
    TComPort port, other;
    port.SetPort(pty.Path());
    other.SetPort(pty.Path());
    port.Open();
    EXPECT_EQ(ErrorCodeOf([&] { other.Open(); }), 1);
    EXPECT_FALSE(other.Connected());

    // Another process is refused too, even as root.
    const pid_t child = fork();
    if (child == 0) {
        TComPort intruder;
        intruder.SetPort(pty.Path());
        _exit(ErrorCodeOf([&] { intruder.Open(); }));
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 1);

    port.Close();
    other.Open();
    EXPECT_TRUE(other.Connected());
}

TEST(PortOpenClose, SettingsReachTheDevice) {
    PtyPair pty;
    TComPort port;
    ConfigureLikeTheWindow(port, pty.Path());
    port.Open();
    termios t = DeviceSettings(port);
    EXPECT_EQ(cfgetospeed(&t), B19200);
    EXPECT_EQ(cfgetispeed(&t), B19200);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cflag & HUPCL, 0u) << "closing must not hang up the line";
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);

    // Changed while open: at once.
    port.SetBaudRate(br9600);
    port.SetStopBits(sbTwoStopBits);
    t = DeviceSettings(port);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);

    // A pseudo-terminal carries neither parity nor 7-bit bytes: the device
    // refuses, keeps what it had, and the property keeps the new value.
    try {
        port.Parity().SetBits(prEven);
        FAIL() << "a pseudo-terminal took parity";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 7);
    }
    EXPECT_EQ(port.Parity().Bits(), prEven);
    t = DeviceSettings(port);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    port.Close();
    port.Parity().SetBits(prNone);

    // Changed while closed: only at the next Open.
    port.SetBaudRate(br38400);
    port.FlowControl().SetFlowControl(fcSoftware);
    {
        termios before{};
        int fd = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        tcgetattr(fd, &before);
        close(fd);
        EXPECT_EQ(cfgetospeed(&before), B9600);
        EXPECT_EQ(before.c_iflag & (IXON | IXOFF), 0u);
    }
    port.Open();
    t = DeviceSettings(port);
    EXPECT_EQ(cfgetospeed(&t), B38400);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));

    // A rate without its own constant still reaches the device.
    port.SetCustomRate(14400);
    port.SetBaudRate(brCustom);
    t = DeviceSettings(port);
    constexpr speed_t arbitrary = 0010000;  // the kernel's mark for a rate given in bits per second
    EXPECT_EQ(cfgetospeed(&t), arbitrary);
}

TEST(PortOpenClose, PropertiesThatCannotChangeWhileOpen) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    port.Open();
    EXPECT_EQ(ErrorCodeOf([&] { port.SetSyncMethod(smNone); }), 14);
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    EXPECT_EQ(ErrorCodeOf([&] { port.SetSyncMethod(smThreadSync); }), 0) << "same value";
    port.Close();
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST(PortOpenClose, LinksAttachOnceAndDetachOnce) {
    TComPort port;
    TComLink link;
    port.AttachLink(&link);
    EXPECT_EQ(ErrorCodeOf([&] { port.AttachLink(&link); }), 18);
    port.DetachLink(&link);
    EXPECT_EQ(ErrorCodeOf([&] { port.DetachLink(&link); }), 18);
}

TEST(PortOpenClose, ErrorTextsCarryTheSystemErrorNumber) {
    EXPECT_STREQ(EComPort(2, 5).what(), "WriteFile function failed (win error code: 5)");
    EXPECT_STREQ(EComPort(14).what(), "Cannot set property while connected");
    EXPECT_EQ(EComPort(14).SystemErrorCode(), -1);
    EXPECT_STREQ(EComPort(18).what(), "Link (un)registration failed");
    EXPECT_STREQ(EComPort(23).what(), "Registry error");
}

TEST(PortOpenClose, StoredConnectedOpensWhenLoadingEnds) {
    PtyPair pty;
    TComPort port;
    port.BeginLoading();
    port.SetPort(pty.Path());
    port.SetConnected(true);
    port.SetBaudRate(br19200);
    EXPECT_EQ(port.Handle(), serial::InvalidHandle) << "nothing is applied while loading";
    port.EndLoading();
    EXPECT_TRUE(port.Connected());
    EXPECT_NE(port.Handle(), serial::InvalidHandle);
}
