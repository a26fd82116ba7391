#include "link/photometerline.h"

namespace seriallink {

void ConfigurePhotometerLine(TCustomComPort& port) {
    port.SetBaudRate(br19200);
    port.Parity().SetBits(prNone);
    port.SetStopBits(sbOneStopBit);
    port.SetDataBits(dbEight);
    port.SetEvents(AllComEvents);
    port.FlowControl().SetOutCTSFlow(false);
    port.FlowControl().SetOutDSRFlow(false);
    port.FlowControl().SetControlDTR(dtrDisable);
    port.FlowControl().SetControlRTS(rtsDisable);
    port.FlowControl().SetXonXoffOut(false);
    port.FlowControl().SetXonXoffIn(false);
}

}  // namespace seriallink
