#include "link/comdatapacket.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/comport.h"
#include "tests/support/pty_pair.h"

using namespace seriallink;

namespace {

using namespace std::chrono_literals;

const std::string FF = "\xFF";

// Bytes made readable: printable ASCII as is, anything else (and the brackets
// that delimit events) as \xx.
std::string Show(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '[' && b != ']' && b != '\\') {
            out += c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "\\%02x", b);
            out += hex;
        }
    }
    return out;
}

// Logs packets as P[...] and discards as D[...], in the order they come.
void Record(TComDataPacket& f, std::string& log) {
    f.OnPacket = [&f, &log](TObject* sender, const std::string& s) {
        EXPECT_EQ(sender, &f);
        log += "P[" + Show(s) + "]";
    };
    f.OnDiscard = [&f, &log](TObject* sender, const std::string& s) {
        EXPECT_EQ(sender, &f);
        log += "D[" + Show(s) + "]";
    };
}

// A custom handler answering the position of a byte, or `none` without it.
TComDataPacket::TCustPacketEvent PositionOf(char c, int none) {
    return [c, none](TObject*, const std::string& s, int& pos) {
        const auto at = s.find(c);
        pos = at == std::string::npos ? none : static_cast<int>(at) + 1;
    };
}

TComDataPacket::TCustPacketEvent Answer(int value) {
    return [value](TObject*, const std::string&, int& pos) { pos = value; };
}

struct FramingCase {
    const char* name;
    int size;
    std::string start;
    std::string stop;
    std::function<void(TComDataPacket&)> more;  // settings and handlers beyond the three above
    std::vector<std::string> pieces;
    std::string log;  // events, with | after each piece
    std::string pending = "";
    bool inside = false;
};

}  // namespace

TEST(ComDataPacket, FramingRules) {
    const std::string x1023(1023, 'x');
    const std::string x5000(5000, 'x');
    const std::string a1100 = "<" + std::string(1100, 'a');
    const auto insensitive = [](TComDataPacket& f) { f.SetCaseInsensitive(true); };
    const auto limit4 = [](TComDataPacket& f) { f.SetMaxBufferSize(4); };
    // One case per row reads better than one field per line.
    // clang-format off
    const std::vector<FramingCase> cases = {
        {"bytes before the start go to OnDiscard when the start arrives", 8, FF, "", nullptr,
         {"ab", FF + "1234567"}, "|D[ab]P[1234567]|"},
        {"one packet in many pieces", 11, FF, "", nullptr,
         {FF + "12", "345", "6789", "0"}, "|||P[1234567890]|"},
        {"two packets in one piece are delivered in one run", 8, FF, "", nullptr,
         {FF + "1234567" + FF + "abcdefg"}, "P[1234567]P[abcdefg]|"},
        {"a payload FF does not start a packet", 8, FF, "", nullptr,
         {FF + "12" + FF + "4567" + FF + "ab"}, "P[12\\ff4567]|", FF + "ab", true},
        {"without a stop condition each piece is a packet, start string ignored",
         0, FF, "", nullptr,
         {FF + "a" + FF, "c"}, "P[\\ffa\\ff]|P[c]|"},
        {"stop string ends the packet", 0, "<", ">", nullptr,
         {"x<abc>y<d", "e>"}, "D[x]P[abc]D[y]|P[de]|"},
        {"stop string before Size bytes ends the packet early", 8, "<", ">", nullptr,
         {"<ab>cd"}, "P[ab]|", "cd"},
        {"Size bytes cut the packet past a stop string; only a final first stop is stripped",
         5, "<", ">", nullptr,
         {"<a>b>"}, "P[a>b>]|"},
        {"stop string is searched only behind the start string", 0, "AB", "B", nullptr,
         {"ABxB"}, "P[x]|"},
        {"start string alone is an empty packet", 2, "AB", "", nullptr,
         {"xAB"}, "D[x]P[]|"},
        {"IncludeStrings keeps the delimiters",
         0, "<", ">", [](auto& f) { f.SetIncludeStrings(true); },
         {"<ab>"}, "P[<ab>]|"},
        {"matching is case sensitive by default", 4, "AB", "", nullptr,
         {"ab12AB34"}, "D[ab12]P[34]|"},
        {"case folding applies to both sides", 4, "aB", "", insensitive,
         {"xAb12"}, "D[x]P[12]|"},
        {"case folding leaves bytes outside a to z alone", 2, "[", "", insensitive,
         {"{\xE1[2"}, "D[{\\e1]P[2]|"},
        {"case folding applies to the stop string", 0, "<", "END", insensitive,
         {"<xyend"}, "P[xy]|"},
        {"custom start chooses the position",
         3, "", "", [](auto& f) { f.OnCustomStart = PositionOf('S', 0); },
         {"abSxy"}, "D[ab]P[Sxy]|"},
        {"custom start 0 prevents a start despite the start string",
         2, "<", "", [](auto& f) { f.OnCustomStart = Answer(0); },
         {"a<b"}, "|", "a<b"},
        {"custom start -1 leaves the start string rule",
         2, "<", "", [](auto& f) { f.OnCustomStart = Answer(-1); },
         {"a<b"}, "D[a]P[b]|"},
        {"custom start below -1 means no start",
         2, "<", "", [](auto& f) { f.OnCustomStart = Answer(-2); },
         {"a<b"}, "|", "a<b"},
        {"custom stop alone is a stop condition",
         0, "<", "", [](auto& f) { f.OnCustomStop = PositionOf(';', -1); },
         {"<ab;c"}, "P[ab;]|", "c"},
        {"custom stop 0 overrides Size", 2, "<", "", [](auto& f) { f.OnCustomStop = Answer(0); },
         {"<abc"}, "|", "<abc", true},
        {"custom stop past the bytes received waits for them",
         0, "<", "", [](auto& f) { f.OnCustomStop = Answer(4); },
         {"<a", "bc"}, "|P[abc]|"},
        {"Pending reaching MaxBufferSize is discarded whole", 4, "<", "", limit4,
         {"abc", "d"}, "|D[abcd]|"},
        {"default limit is 1024", 4, "<", "", nullptr,
         {x1023, "y"}, "|D[" + x1023 + "y]|"},
        {"limit applies after processing", 4, "<", "", limit4,
         {"xxxx<abc"}, "D[xxxx]P[abc]|"},
        {"limit ends a packet too long to complete", 0, "<", ">", nullptr,
         {a1100, "d>"}, "D[" + a1100 + "]||", "d>"},
        {"MaxBufferSize 0 never limits", 4, "<", "", [](auto& f) { f.SetMaxBufferSize(0); },
         {x5000}, "|", x5000},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TComDataPacket f;
        f.SetSize(c.size);
        f.SetStartString(c.start);
        f.SetStopString(c.stop);
        if (c.more) c.more(f);
        std::string log;
        Record(f, log);
        for (const auto& piece : c.pieces) {
            f.AppendData(piece);
            log += "|";
        }
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(f.Pending(), c.pending);
        EXPECT_EQ(f.InsidePacket(), c.inside);
    }
}

TEST(ComDataPacket, FramingSettingChangeDiscardsPendingOthersKeepIt) {
    const std::string partial = FF + "123";
    const std::string discarded = "D[\\ff123]";
    struct Case {
        const char* name;
        std::function<void(TComDataPacket&)> change;
        std::string log;
    };
    const std::vector<Case> cases = {
        {"new Size", [](auto& f) { f.SetSize(11); }, discarded},
        {"same Size", [](auto& f) { f.SetSize(8); }, ""},
        {"new StartString", [](auto& f) { f.SetStartString("\xFE"); }, discarded},
        {"same StartString", [](auto& f) { f.SetStartString(FF); }, ""},
        {"new StopString", [](auto& f) { f.SetStopString("x"); }, discarded},
        {"new CaseInsensitive", [](auto& f) { f.SetCaseInsensitive(true); }, discarded},
        {"IncludeStrings", [](auto& f) { f.SetIncludeStrings(true); }, ""},
        {"MaxBufferSize below Pending", [](auto& f) { f.SetMaxBufferSize(2); }, ""},
        {"Size while loading", [](auto& f) { f.BeginLoading(), f.SetSize(11); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TComDataPacket f;
        f.SetSize(8);
        f.SetStartString(FF);
        std::string log;
        Record(f, log);
        f.AppendData(partial);
        ASSERT_TRUE(f.InsidePacket());
        c.change(f);
        EXPECT_EQ(log, c.log);
        EXPECT_EQ(f.Pending(), c.log.empty() ? partial : "");
        EXPECT_EQ(f.InsidePacket(), c.log.empty());
    }
}

TEST(ComDataPacket, ThrowingPacketHandlerStillAppliesTheBufferLimit) {
    TComDataPacket f;
    f.SetSize(3);
    f.SetStartString("<");
    f.SetMaxBufferSize(4);
    std::string discarded;
    f.OnDiscard = [&](TObject*, const std::string& s) { discarded += s; };
    f.OnPacket = [](TObject*, const std::string&) { throw std::runtime_error("handler"); };

    EXPECT_THROW(f.AppendData("<abx"), std::runtime_error);
    EXPECT_EQ(f.Pending(), "x");  // below the limit: what follows the packet stays
    EXPECT_EQ(discarded, "");

    EXPECT_THROW(f.AppendData("<cdwxyz"), std::runtime_error);
    // "x" went before the start, then "wxyz" reached the limit although the handler threw.
    EXPECT_EQ(discarded, "xwxyz");
    EXPECT_EQ(f.Pending(), "");
    EXPECT_FALSE(f.InsidePacket());
}

TEST(ComDataPacket, ThrowingDiscardHandlerStillEmptiesPending) {
    TComDataPacket f;
    f.SetSize(8);
    f.SetStartString(FF);
    f.AppendData(FF + "12");
    f.OnDiscard = [](TObject*, const std::string&) { throw std::runtime_error("handler"); };
    EXPECT_THROW(f.SetSize(11), std::runtime_error);
    EXPECT_EQ(f.Pending(), "");
    EXPECT_FALSE(f.InsidePacket());
    EXPECT_EQ(f.Size(), 11);
}

TEST(ComDataPacket, SizeChangedInsideOnPacketEndsTheRunCleanly) {
    TComDataPacket f;
    f.SetSize(8);
    f.SetStartString(FF);
    std::string log;
    Record(f, log);
    const auto record = f.OnPacket;
    f.OnPacket = [&](TObject* sender, const std::string& s) {
        record(sender, s);
        f.SetSize(11);
    };
    f.AppendData(FF + "1234567" + FF + "abcdefg" + FF + "z");
    EXPECT_EQ(log, "P[1234567]D[\\ffabcdefg\\ffz]");
    EXPECT_EQ(f.Pending(), "");

    log.clear();
    f.OnPacket = record;
    f.AppendData(FF + "1234567890");
    EXPECT_EQ(log, "P[1234567890]");
}

TEST(ComDataPacket, PortDestroyedClearsComPortOnlyForTheCurrentPort) {
    TComDataPacket f;
    auto first = std::make_unique<TComPort>();
    auto second = std::make_unique<TComPort>();
    f.SetComPort(first.get());
    f.SetComPort(first.get());  // same port: no second attach
    f.SetComPort(second.get());
    first.reset();
    EXPECT_EQ(f.ComPort(), second.get());
    second.reset();
    EXPECT_EQ(f.ComPort(), nullptr);
}

TEST(ComDataPacket, BytesFromTheLineReachOnPacketUntilDetached) {
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    {
        // A framer destroyed first must take its link out of the port's list.
        TComDataPacket gone;
        gone.SetComPort(&port);
    }
    TComDataPacket f;
    f.SetSize(8);
    f.SetStartString(FF);
    f.SetComPort(&port);
    std::vector<std::string> packets;
    f.OnPacket = [&](TObject*, const std::string& s) { packets.push_back(s); };
    port.Open();

    pty.Send(FF + "1234567" + FF + std::string("\0\xFF\x01", 3) + "abcd");
    ASSERT_TRUE(PumpUntil([&] { return packets.size() >= 2; }));
    EXPECT_EQ(packets,
              (std::vector<std::string>{"1234567", std::string("\0\xFF\x01", 3) + "abcd"}));

    f.SetComPort(nullptr);
    pty.Send(FF + "7654321");
    PumpFor(200ms);
    EXPECT_EQ(packets.size(), 2u);
}
