#include "link/comsettings.h"

#include "link/comport.h"

namespace seriallink {

namespace {

template <typename T, typename Apply>
void Store(T& field, T value, Apply apply) {
    if (field == value) return;
    field = value;
    apply();
}

}  // namespace

// --- TComParity ------------------------------------------------------------

void TComParity::Changed() {
    if (port_) port_->ApplyLineSettings();
}
void TComParity::SetBits(TParityBits value) {
    Store(bits_, value, [this] { Changed(); });
}
void TComParity::SetCheck(bool value) {
    Store(check_, value, [this] { Changed(); });
}
void TComParity::SetReplace(bool value) {
    Store(replace_, value, [this] { Changed(); });
}
void TComParity::SetReplaceChar(char value) {
    Store(replaceChar_, value, [this] { Changed(); });
}

void TComParity::AssignFrom(const TPersistent& source) {
    const auto& other = static_cast<const TComParity&>(source);
    bits_ = other.bits_;
    check_ = other.check_;
    replace_ = other.replace_;
    replaceChar_ = other.replaceChar_;
}

// --- TComFlowControl ---------------------------------------------------------

void TComFlowControl::Changed() {
    if (port_) port_->ApplyLineSettings();
}

TFlowControl TComFlowControl::FlowControl() const {
    if (controlRTS_ == rtsHandshake && outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_)
        return fcHardware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && xonXoffIn_ && xonXoffOut_) return fcSoftware;
    if (controlRTS_ == rtsDisable && !outCTSFlow_ && !xonXoffIn_ && !xonXoffOut_) return fcNone;
    return fcCustom;
}

void TComFlowControl::SetFlowControl(TFlowControl value) {
    if (value != fcCustom) {
        controlRTS_ = rtsDisable;
        outCTSFlow_ = false;
        xonXoffIn_ = false;
        xonXoffOut_ = false;
        if (value == fcHardware) {
            controlRTS_ = rtsHandshake;
            outCTSFlow_ = true;
        } else if (value == fcSoftware) {
            xonXoffIn_ = true;
            xonXoffOut_ = true;
        }
    }
    Changed();
}

void TComFlowControl::SetOutCTSFlow(bool value) {
    Store(outCTSFlow_, value, [this] { Changed(); });
}
void TComFlowControl::SetOutDSRFlow(bool value) {
    Store(outDSRFlow_, value, [this] { Changed(); });
}
void TComFlowControl::SetControlDTR(TDTRFlowControl value) {
    Store(controlDTR_, value, [this] { Changed(); });
}
void TComFlowControl::SetControlRTS(TRTSFlowControl value) {
    Store(controlRTS_, value, [this] { Changed(); });
}
void TComFlowControl::SetXonXoffOut(bool value) {
    Store(xonXoffOut_, value, [this] { Changed(); });
}
void TComFlowControl::SetXonXoffIn(bool value) {
    Store(xonXoffIn_, value, [this] { Changed(); });
}
void TComFlowControl::SetDSRSensitivity(bool value) {
    Store(dsrSensitivity_, value, [this] { Changed(); });
}
void TComFlowControl::SetTxContinueOnXoff(bool value) {
    Store(txContinueOnXoff_, value, [this] { Changed(); });
}
void TComFlowControl::SetXonChar(char value) {
    Store(xonChar_, value, [this] { Changed(); });
}
void TComFlowControl::SetXoffChar(char value) {
    Store(xoffChar_, value, [this] { Changed(); });
}

void TComFlowControl::AssignFrom(const TPersistent& source) {
    const auto& other = static_cast<const TComFlowControl&>(source);
    outCTSFlow_ = other.outCTSFlow_;
    outDSRFlow_ = other.outDSRFlow_;
    controlDTR_ = other.controlDTR_;
    controlRTS_ = other.controlRTS_;
    xonXoffOut_ = other.xonXoffOut_;
    xonXoffIn_ = other.xonXoffIn_;
    dsrSensitivity_ = other.dsrSensitivity_;
    txContinueOnXoff_ = other.txContinueOnXoff_;
    xonChar_ = other.xonChar_;
    xoffChar_ = other.xoffChar_;
}

// --- TComTimeouts ------------------------------------------------------------

void TComTimeouts::Set(int32_t& field, int32_t value) {
    Store(field, value, [this] {
        if (port_) port_->ApplyTimeoutSettings();
    });
}
void TComTimeouts::SetReadInterval(int32_t value) {
    Set(readInterval_, value);
}
void TComTimeouts::SetReadTotalMultiplier(int32_t value) {
    Set(readTotalMultiplier_, value);
}
void TComTimeouts::SetReadTotalConstant(int32_t value) {
    Set(readTotalConstant_, value);
}
void TComTimeouts::SetWriteTotalMultiplier(int32_t value) {
    Set(writeTotalMultiplier_, value);
}
void TComTimeouts::SetWriteTotalConstant(int32_t value) {
    Set(writeTotalConstant_, value);
}

void TComTimeouts::AssignFrom(const TPersistent& source) {
    const auto& other = static_cast<const TComTimeouts&>(source);
    readInterval_ = other.readInterval_;
    readTotalMultiplier_ = other.readTotalMultiplier_;
    readTotalConstant_ = other.readTotalConstant_;
    writeTotalMultiplier_ = other.writeTotalMultiplier_;
    writeTotalConstant_ = other.writeTotalConstant_;
}

// --- TComBuffer --------------------------------------------------------------

void TComBuffer::Set(int32_t& field, int32_t value) {
    if (field == value) return;
    field = value > 0 && value % 2 == 1 ? value - 1 : value;
    if (port_) port_->ApplyBufferSizes();
}
void TComBuffer::SetInputSize(int32_t value) {
    Set(inputSize_, value);
}
void TComBuffer::SetOutputSize(int32_t value) {
    Set(outputSize_, value);
}

void TComBuffer::AssignFrom(const TPersistent& source) {
    const auto& other = static_cast<const TComBuffer&>(source);
    inputSize_ = other.inputSize_;
    outputSize_ = other.outputSize_;
}

}  // namespace seriallink
