#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>

#include "platform/object.h"

// The events that controls raise. An event is called only when set.

namespace toolkit {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

// The keys and mouse buttons held during a mouse event.
class TShiftState {
  public:
    constexpr TShiftState() = default;
    constexpr TShiftState(std::initializer_list<TShiftStateItem> items) {
        for (TShiftStateItem i : items) Include(i);
    }
    constexpr bool Contains(TShiftStateItem i) const { return (bits_ & Bit(i)) != 0; }
    constexpr void Include(TShiftStateItem i) { bits_ |= Bit(i); }
    constexpr void Exclude(TShiftStateItem i) { bits_ &= static_cast<uint8_t>(~Bit(i)); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const TShiftState&) const = default;

  private:
    static constexpr uint8_t Bit(TShiftStateItem i) { return static_cast<uint8_t>(1u << i); }
    uint8_t bits_ = 0;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

}  // namespace toolkit
