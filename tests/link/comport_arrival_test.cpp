#include <gtest/gtest.h>
#include <sys/resource.h>

#include <mutex>
#include <stdexcept>

#include "link/comport.h"
#include "platform/application.h"
#include "tests/support/pty_pair.h"

using namespace seriallink;

namespace {

using namespace std::chrono_literals;

// Collects every piece of bytes the port hands to a data link. In the smNone
// mode the link is called on the event thread, hence the lock.
struct Collector {
    TComLink link;
    mutable std::mutex mutex;
    std::string received;
    int pieces = 0;
    bool offMainThread = false;

    // Closing tells the links, so the port closes while this one is alive.
    explicit Collector(TCustomComPort& port) : port_(port) {
        link.OnRxBuffer = [this](TObject*, const char* buffer, int count) {
            std::lock_guard lock(mutex);
            received.append(buffer, static_cast<size_t>(count));
            ++pieces;
            if (!threads::IsMainThread()) offMainThread = true;
        };
        port.AttachLink(&link);
    }
    ~Collector() { port_.Close(); }
    std::string Bytes() const {
        std::lock_guard lock(mutex);
        return received;
    }

  private:
    TCustomComPort& port_;
};

struct ShownErrors {
    std::vector<std::string> texts;
    ShownErrors() {
        application::SetErrorHandler(
            [this](std::exception_ptr e) { texts.push_back(application::ErrorText(e)); });
    }
    ~ShownErrors() { application::SetErrorHandler(nullptr); }
};

double ProcessCpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST(PortArrival, BytesArriveInOrderOnTheMainThread) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    Collector c(port);
    port.Open();

    std::string sent;
    for (int i = 0; i < 3000; ++i) {
        const std::string piece(1 + i % 7, static_cast<char>(i));
        pty.Send(piece);
        sent += piece;
    }
    EXPECT_TRUE(PumpUntil([&] { return c.Bytes().size() >= sent.size(); }));
    EXPECT_EQ(c.Bytes(), sent);
    EXPECT_FALSE(c.offMainThread);
}

TEST(PortArrival, EveryDeliveryModeHandsTheBytesOver) {
    for (TSyncMethod mode : {smThreadSync, smWindowSync, smNone}) {
        SCOPED_TRACE(static_cast<int>(mode));
        PtyPair pty;
        TComPort port;
        port.SetPort(pty.Path());
        port.SetSyncMethod(mode);
        Collector c(port);
        port.Open();
        pty.Send(std::string("\xFF\x01\x02\x03\x04\x05\x06\x07", 8));
        EXPECT_TRUE(PumpUntil([&] { return c.Bytes().size() >= 8; }));
        EXPECT_EQ(c.Bytes(), std::string("\xFF\x01\x02\x03\x04\x05\x06\x07", 8));
        port.Close();  // the event thread has ended: its writes are all seen
        EXPECT_EQ(c.offMainThread, mode == smNone);
    }
}

TEST(PortArrival, BytesNotReadWhenThePortClosesAreDropped) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    Collector c(port);
    port.Open();
    // The peer's bytes reach the device, but no hand-over runs before Close.
    pty.Send("stale");
    std::this_thread::sleep_for(100ms);
    port.Close();
    EXPECT_EQ(c.Bytes(), "stale") << "a hand-over pending at Close still runs";

    c.received.clear();
    port.Open();
    pty.Send("fresh");
    EXPECT_TRUE(PumpUntil([&] { return c.Bytes().size() >= 5; }));
    PumpFor(50ms);
    EXPECT_EQ(c.Bytes(), "fresh");
}

TEST(PortArrival, WithoutEventsNoThreadRunsAndNothingIsDelivered) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    port.SetEvents(TComEvents{});
    Collector c(port);
    port.Open();
    pty.Send("ignored");
    PumpFor(100ms);
    EXPECT_EQ(c.pieces, 0);
    EXPECT_EQ(port.BytesWaiting(), 7);
    char buf[16];
    EXPECT_EQ(port.Read(buf, 16), 7);
}

TEST(PortArrival, AnnouncedCountIsLeftForTheHandlerToRead) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    std::string read;
    port.OnRxChar = [&](TObject*, int count) {
        std::string buf(static_cast<size_t>(count), '\0');
        read += buf.substr(0, static_cast<size_t>(port.Read(buf.data(), count)));
    };
    port.Open();
    pty.Send("count");
    EXPECT_TRUE(PumpUntil([&] { return read.size() >= 5; }));
    EXPECT_EQ(read, "count");
}

TEST(PortArrival, WritesReachThePeerAndTheLinks) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    std::vector<std::string> tx;
    std::vector<bool> activity;
    TComLink link;
    link.OnTxBuffer = [&](TObject*, const char* b, int n) {
        tx.emplace_back(b, static_cast<size_t>(n));
    };
    link.OnTxActivity = [&](TObject*, bool on) { activity.push_back(on); };
    port.AttachLink(&link);
    port.Open();

    EXPECT_EQ(port.Write("\xFF", 1), 1);
    EXPECT_EQ(port.Write("\x40", 1), 1);
    EXPECT_EQ(pty.Receive(2), "\xFF\x40");
    EXPECT_EQ(tx, (std::vector<std::string>{"\xFF", "\x40"}));

    tx.clear();
    activity.clear();
    EXPECT_EQ(port.Write("", 0), 0);
    EXPECT_TRUE(tx.empty()) << "nothing was written, so nothing is reported";
    EXPECT_EQ(activity.front(), true);

    // The output queue empties: the activity ends.
    EXPECT_TRUE(PumpUntil([&] { return !activity.empty() && !activity.back(); }));
    // Closed before the link and what it writes to go: closing runs the
    // events still pending.
    port.Close();
}

TEST(PortArrival, HandlerErrorEndsReceptionAndIsShownOnce) {
    ShownErrors shown;
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    TComLink link;
    int calls = 0;
    link.OnRxBuffer = [&](TObject*, const char*, int) {
        ++calls;
        throw std::runtime_error("Erreur E/S 5");
    };
    port.AttachLink(&link);
    port.Open();
    pty.Send("x");
    EXPECT_TRUE(PumpUntil([&] { return !shown.texts.empty(); }));
    pty.Send("y");
    PumpFor(200ms);
    EXPECT_EQ(calls, 1) << "nothing more is delivered";
    EXPECT_EQ(shown.texts, std::vector<std::string>{"Erreur E/S 5"});
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(port.Write("ok", 2), 2) << "the port itself stays usable";

    // Closing and opening again resumes reception.
    port.Close();
    link.OnRxBuffer = [&](TObject*, const char*, int) { ++calls; };
    port.Open();
    pty.Send("z");
    EXPECT_TRUE(PumpUntil([&] { return calls == 2; }));
    port.Close();
}

TEST(PortArrival, CloseWithAHandOverPendingDoesNotDeadlock) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    std::string got;
    TComLink link;
    link.OnRxBuffer = [&](TObject*, const char* b, int n) {
        got.append(b, static_cast<size_t>(n));
        port.Close();  // a handler that closes the port it is called from
    };
    port.AttachLink(&link);
    port.Open();
    pty.Send("abc");
    std::this_thread::sleep_for(50ms);  // the event thread now waits in its hand-over
    port.Close();
    EXPECT_FALSE(port.Connected());
    EXPECT_EQ(got, "abc");

    port.Open();
    pty.Send("d");
    EXPECT_TRUE(PumpUntil([&] { return got == "abcd"; }));
    EXPECT_FALSE(port.Connected()) << "the handler closed it";
}

TEST(PortArrival, DeviceThatDisappearsStopsTheThreadWithoutSpinning) {
    ShownErrors shown;
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    Collector c(port);
    port.Open();
    pty.Send("last");
    EXPECT_TRUE(PumpUntil([&] { return c.Bytes() == "last"; }));

    pty.CloseSlave();
    pty.CloseMaster();  // the instrument's end of the line is gone
    const double before = ProcessCpuSeconds();
    PumpFor(500ms);
    const double used = ProcessCpuSeconds() - before;
    EXPECT_LT(used, 0.1) << "a spinning thread would use the whole half second";
    EXPECT_EQ(shown.texts, std::vector<std::string>{"ReadFile function failed (win error code: 5)"})
        << "the user is told once";
    EXPECT_TRUE(port.Connected());
    try {
        port.Write("\xFF", 1);
        FAIL() << "wrote to a device that is gone";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.ErrorCode(), 2);
    }
    port.Close();
    EXPECT_FALSE(port.Connected());
}

TEST(PortArrival, ALostLineIsToldAfterItsErrorAndOnlyWhileThePortStaysInThatOpening) {
    // What each case does to the port, and whether OnLineLost is then told.
    enum class Panne { DeviceGone, LinkReadFails, OtherHandlerError, DeviceGoneThenReopened };
    const struct {
        const char* quoi;
        Panne panne;
        bool dit;
    } cas[] = {
        {"far end hung up", Panne::DeviceGone, true},
        {"a read of the line refused", Panne::LinkReadFails, true},
        {"a handler's own error: the line works", Panne::OtherHandlerError, false},
        {"closed and opened again before the notice ran", Panne::DeviceGoneThenReopened, false},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.quoi);
        ShownErrors shown;
        PtyPair pty;
        TComPort port;
        port.SetPort(pty.Path());
        std::vector<std::string> ordre;
        port.OnLineLost = [&](TObject* sender) {
            EXPECT_EQ(sender, &port);
            ordre.push_back("lost after " + std::to_string(shown.texts.size()) + " error(s)");
            port.Close();  // what the window does with it
        };
        TComLink link;
        link.OnRxBuffer = [&](TObject*, const char*, int) {
            if (c.panne == Panne::LinkReadFails) throw EComPort(CError_ReadFailed, EIO);
            if (c.panne == Panne::OtherHandlerError) throw std::runtime_error("Erreur E/S 28");
        };
        port.AttachLink(&link);
        port.Open();
        if (c.panne == Panne::DeviceGone || c.panne == Panne::DeviceGoneThenReopened) {
            pty.CloseMaster();
            if (c.panne == Panne::DeviceGoneThenReopened) {
                // The event thread queued its notice; the user stops and
                // starts before the loop runs it.
                std::this_thread::sleep_for(100ms);
                PtyPair autre;
                port.Close();
                port.SetPort(autre.Path());
                port.Open();
                PumpFor(200ms);
                EXPECT_TRUE(port.Connected()) << "the new opening is left alone";
                port.Close();
                EXPECT_TRUE(ordre.empty());
                continue;
            }
        } else {
            pty.Send("x");
        }
        ASSERT_TRUE(PumpUntil([&] { return !shown.texts.empty(); }));
        PumpFor(200ms);
        EXPECT_EQ(shown.texts.size(), 1u);
        EXPECT_EQ(ordre, c.dit ? std::vector<std::string>{"lost after 1 error(s)"}
                               : std::vector<std::string>{});
        EXPECT_EQ(port.Connected(), !c.dit);
        port.Close();
    }
}
