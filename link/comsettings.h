#pragma once

#include <cstdint>

#include "link/comtypes.h"
#include "platform/persistent.h"

namespace seriallink {

class TCustomComPort;

// The port's setting groups. Each keeps a back reference to its port (may be
// null) and has the port re-apply its group when a field changes; the port
// does nothing with that unless it is open and not loading.

class TComParity : public TPersistent {
  public:
    explicit TComParity(TCustomComPort* port = nullptr) : port_(port) {}
    TCustomComPort* ComPort() const { return port_; }

    TParityBits Bits() const { return bits_; }
    void SetBits(TParityBits value);
    bool Check() const { return check_; }
    void SetCheck(bool value);
    bool Replace() const { return replace_; }
    void SetReplace(bool value);
    char ReplaceChar() const { return replaceChar_; }
    void SetReplaceChar(char value);

  protected:
    void AssignFrom(const TPersistent& source) override;

  private:
    void Changed();

    TCustomComPort* port_;
    TParityBits bits_ = prNone;
    bool check_ = false;
    bool replace_ = false;
    char replaceChar_ = 0;
};

class TComFlowControl : public TPersistent {
  public:
    explicit TComFlowControl(TCustomComPort* port = nullptr) : port_(port) {}
    TCustomComPort* ComPort() const { return port_; }

    // A summary of the fields below; assigning it sets them.
    TFlowControl FlowControl() const;
    void SetFlowControl(TFlowControl value);

    bool OutCTSFlow() const { return outCTSFlow_; }
    void SetOutCTSFlow(bool value);
    bool OutDSRFlow() const { return outDSRFlow_; }
    void SetOutDSRFlow(bool value);
    TDTRFlowControl ControlDTR() const { return controlDTR_; }
    void SetControlDTR(TDTRFlowControl value);
    TRTSFlowControl ControlRTS() const { return controlRTS_; }
    void SetControlRTS(TRTSFlowControl value);
    bool XonXoffOut() const { return xonXoffOut_; }
    void SetXonXoffOut(bool value);
    bool XonXoffIn() const { return xonXoffIn_; }
    void SetXonXoffIn(bool value);
    bool DSRSensitivity() const { return dsrSensitivity_; }
    void SetDSRSensitivity(bool value);
    bool TxContinueOnXoff() const { return txContinueOnXoff_; }
    void SetTxContinueOnXoff(bool value);
    char XonChar() const { return xonChar_; }
    void SetXonChar(char value);
    char XoffChar() const { return xoffChar_; }
    void SetXoffChar(char value);

  protected:
    void AssignFrom(const TPersistent& source) override;

  private:
    void Changed();

    TCustomComPort* port_;
    bool outCTSFlow_ = false;
    bool outDSRFlow_ = false;
    TDTRFlowControl controlDTR_ = dtrDisable;
    TRTSFlowControl controlRTS_ = rtsDisable;
    bool xonXoffOut_ = false;
    bool xonXoffIn_ = false;
    bool dsrSensitivity_ = false;
    bool txContinueOnXoff_ = false;
    char xonChar_ = 17;
    char xoffChar_ = 19;
};

// Milliseconds; -1 stands for "no time-out" in the read interval.
class TComTimeouts : public TPersistent {
  public:
    explicit TComTimeouts(TCustomComPort* port = nullptr) : port_(port) {}
    TCustomComPort* ComPort() const { return port_; }

    int32_t ReadInterval() const { return readInterval_; }
    void SetReadInterval(int32_t value);
    int32_t ReadTotalMultiplier() const { return readTotalMultiplier_; }
    void SetReadTotalMultiplier(int32_t value);
    int32_t ReadTotalConstant() const { return readTotalConstant_; }
    void SetReadTotalConstant(int32_t value);
    int32_t WriteTotalMultiplier() const { return writeTotalMultiplier_; }
    void SetWriteTotalMultiplier(int32_t value);
    int32_t WriteTotalConstant() const { return writeTotalConstant_; }
    void SetWriteTotalConstant(int32_t value);

  protected:
    void AssignFrom(const TPersistent& source) override;

  private:
    void Set(int32_t& field, int32_t value);

    TCustomComPort* port_;
    int32_t readInterval_ = -1;
    int32_t readTotalMultiplier_ = 0;
    int32_t readTotalConstant_ = 0;
    int32_t writeTotalMultiplier_ = 100;
    int32_t writeTotalConstant_ = 1000;
};

// Sizes of the driver's queues, in bytes. A positive odd size is stored less one.
class TComBuffer : public TPersistent {
  public:
    explicit TComBuffer(TCustomComPort* port = nullptr) : port_(port) {}
    TCustomComPort* ComPort() const { return port_; }

    int32_t InputSize() const { return inputSize_; }
    void SetInputSize(int32_t value);
    int32_t OutputSize() const { return outputSize_; }
    void SetOutputSize(int32_t value);

  protected:
    void AssignFrom(const TPersistent& source) override;

  private:
    void Set(int32_t& field, int32_t value);

    TCustomComPort* port_;
    int32_t inputSize_ = 1024;
    int32_t outputSize_ = 1024;
};

}  // namespace seriallink
