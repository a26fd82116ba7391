#include "link/comsettings.h"

#include <gtest/gtest.h>

#include "link/comport.h"
#include "tests/support/pty_pair.h"

using namespace seriallink;

namespace {

// Counts how often each setting group is handed to the device.
class CountingPort : public TComPort {
  public:
    int line = 0, timeouts = 0, buffers = 0;
    void ApplyLineSettings() override {
        ++line;
        TComPort::ApplyLineSettings();
    }
    void ApplyTimeoutSettings() override {
        ++timeouts;
        TComPort::ApplyTimeoutSettings();
    }
    void ApplyBufferSizes() override {
        ++buffers;
        TComPort::ApplyBufferSizes();
    }
};

}  // namespace

TEST(LineSettings, BufferSizesDropAnOddByte) {
    struct Case {
        int32_t given, stored;
    } cases[] = {{1025, 1024}, {1024, 1024}, {3, 2},   {1, 0},
                 {0, 0},       {-3, -3},     {-4, -4}, {4097, 4096}};
    for (const auto& c : cases) {
        TComBuffer b;
        b.SetInputSize(c.given);
        b.SetOutputSize(c.given);
        EXPECT_EQ(b.InputSize(), c.stored) << c.given;
        EXPECT_EQ(b.OutputSize(), c.stored) << c.given;
    }
}

TEST(LineSettings, FlowControlSummary) {
    struct Case {
        TRTSFlowControl rts;
        bool cts, xonIn, xonOut;
        TFlowControl summary;
    } cases[] = {
        {rtsDisable, false, false, false, fcNone},   {rtsHandshake, true, false, false, fcHardware},
        {rtsDisable, false, true, true, fcSoftware}, {rtsHandshake, false, false, false, fcCustom},
        {rtsEnable, false, false, false, fcCustom},  {rtsDisable, false, true, false, fcCustom},
        {rtsHandshake, true, true, true, fcCustom},  {rtsDisable, true, false, false, fcCustom},
    };
    for (const auto& c : cases) {
        TComFlowControl f;
        f.SetControlRTS(c.rts);
        f.SetOutCTSFlow(c.cts);
        f.SetXonXoffIn(c.xonIn);
        f.SetXonXoffOut(c.xonOut);
        // DTR and DSR do not enter the summary.
        f.SetControlDTR(dtrHandshake);
        f.SetOutDSRFlow(true);
        EXPECT_EQ(f.FlowControl(), c.summary) << c.rts << c.cts << c.xonIn << c.xonOut;
    }
}

TEST(LineSettings, AssigningTheSummarySetsOnlyItsFields) {
    TComFlowControl f;
    f.SetControlDTR(dtrEnable);
    f.SetOutDSRFlow(true);
    f.SetDSRSensitivity(true);
    f.SetTxContinueOnXoff(true);
    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    f.SetFlowControl(fcSoftware);
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
    EXPECT_EQ(f.ControlDTR(), dtrEnable);
    EXPECT_TRUE(f.OutDSRFlow() && f.DSRSensitivity() && f.TxContinueOnXoff());
    f.SetFlowControl(fcCustom);
    EXPECT_EQ(f.FlowControl(), fcSoftware) << "custom changes no field";
    f.SetFlowControl(fcNone);
    EXPECT_EQ(f.FlowControl(), fcNone);
}

TEST(LineSettings, SettersReapplyTheirGroupOnlyOnChangeAndWholeAssignmentAlways) {
    PtyPair pty;
    CountingPort port;
    port.SetPort(pty.Path());
    port.SetBaudRate(br19200);
    port.Open();
    port.line = port.timeouts = port.buffers = 0;

    port.SetBaudRate(br19200);
    port.Parity().SetBits(prNone);
    port.FlowControl().SetControlDTR(dtrDisable);
    port.Timeouts().SetWriteTotalConstant(1000);
    port.Buffer().SetInputSize(1024);
    EXPECT_EQ(port.line + port.timeouts + port.buffers, 0) << "equal values change nothing";

    port.SetStopBits(sbTwoStopBits);
    port.FlowControl().SetXonChar(0x11 + 1);
    EXPECT_EQ(port.line, 2);
    port.Timeouts().SetReadTotalConstant(5);
    EXPECT_EQ(port.timeouts, 1);
    port.Buffer().SetOutputSize(2049);
    EXPECT_EQ(port.buffers, 1);

    // A whole group assigned re-applies it even when nothing differs.
    TComParity parity;
    port.SetParity(parity);
    TComTimeouts timeouts;
    timeouts.Assign(port.Timeouts());
    port.SetTimeouts(timeouts);
    TComBuffer buffer;
    buffer.Assign(port.Buffer());
    port.SetBuffer(buffer);
    TComFlowControl flow;
    flow.Assign(port.FlowControl());
    port.SetFlowControl(flow);
    port.FlowControl().SetFlowControl(fcNone);
    EXPECT_EQ(port.line, 5);
    EXPECT_EQ(port.timeouts, 2);
    EXPECT_EQ(port.buffers, 2);
    EXPECT_EQ(port.Timeouts().ReadTotalConstant(), 5);
    EXPECT_EQ(port.Buffer().OutputSize(), 2048);
}

TEST(LineSettings, GroupsCopyOnlyFromTheirOwnClass) {
    TComParity parity;
    parity.SetBits(prOdd);
    parity.SetCheck(true);
    parity.SetReplaceChar('?');
    TComParity copy;
    copy.Assign(parity);
    EXPECT_EQ(copy.Bits(), prOdd);
    EXPECT_TRUE(copy.Check());
    EXPECT_EQ(copy.ReplaceChar(), '?');

    TComBuffer buffer;
    EXPECT_THROW(copy.Assign(buffer), Exception);
    EXPECT_EQ(copy.Bits(), prOdd) << "a refused copy changes nothing";

    TComPort port;
    EXPECT_EQ(port.Parity().ComPort(), &port);
    EXPECT_EQ(copy.ComPort(), nullptr) << "the back reference is not copied";
    port.SetParity(copy);
    EXPECT_EQ(port.Parity().ComPort(), &port);
    EXPECT_EQ(port.Parity().Bits(), prOdd);
}

TEST(LineSettings, ParityErrorsAreReportedOnlyWhileChecked) {
    // A pseudo-terminal has no error counters: nothing to report either way,
    // and asking is no failure.
    PtyPair pty;
    TComPort port;
    port.SetPort(pty.Path());
    port.Open();
    EXPECT_TRUE(port.TakeLineErrors().Empty());
    EXPECT_TRUE(port.LineSignals().Empty());
    port.Close();
    EXPECT_THROW(port.TakeLineErrors(), EComPort) << "a closed port refuses";
}

TEST(LineSettings, EventMaskConvertsBothWays) {
    EXPECT_EQ(EventsToMask(AllComEvents), 0x05FFu);
    EXPECT_EQ(EventsToMask(TComEvents{evRxChar, evRLSD}), 0x0021u);
    EXPECT_EQ(MaskToEvents(0x0100 | 0x0400 | 0x0200 | 0x8000), (TComEvents{evRing, evRx80Full}));
    EXPECT_EQ(MaskToEvents(EventsToMask(AllComEvents)), AllComEvents);
}
