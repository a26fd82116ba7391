#pragma once

#include <functional>

#include "platform/object.h"

namespace seriallink {

// What a port tells an attached object (the packet framer) about its line.
// Each callback counts as set when it holds a function.
class TComLink {
  public:
    std::function<void(TObject* Sender, bool OnOff)> OnConnectionChanged;
    std::function<void(TObject* Sender, const char* Buffer, int Count)> OnRxBuffer;
    std::function<void(TObject* Sender, const char* Buffer, int Count)> OnTxBuffer;
    std::function<void(TObject* Sender)> OnTxEmptied;
    std::function<void(TObject* Sender)> OnRxFlagSeen;
    std::function<void(TObject* Sender, bool OnOff)> OnCTSChanged;
    std::function<void(TObject* Sender, bool OnOff)> OnDSRChanged;
    std::function<void(TObject* Sender, bool OnOff)> OnRLSDChanged;
    std::function<void(TObject* Sender)> OnRingSeen;
    std::function<void(TObject* Sender, bool OnOff)> OnTxActivity;
    std::function<void(TObject* Sender, bool OnOff)> OnRxActivity;
};

}  // namespace seriallink
