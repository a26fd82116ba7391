#pragma once

#include <cstdint>
#include <functional>

#include "platform/object.h"

// The serial layer's namespace; not `link`, which POSIX gives to a function.
namespace seriallink {

// Enumerations and sets of the serial layer.

enum TBaudRate {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };
enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TDTRFlowControl { dtrDisable, dtrEnable, dtrHandshake };
enum TRTSFlowControl { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };
enum TFlowControl { fcHardware, fcSoftware, fcNone, fcCustom };
enum TSyncMethod { smThreadSync, smWindowSync, smNone };

// Bits per second of a rate other than brCustom.
uint32_t BaudRateValue(TBaudRate rate);

// A small set over an enumeration: the value's position is its bit.
template <typename E>
class TSet {
  public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> values) {
        for (E v : values) bits_ |= Bit(v);
    }
    static constexpr TSet FromBits(uint32_t bits) {
        TSet s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
    constexpr void Include(E v) { bits_ |= Bit(v); }
    constexpr void Exclude(E v) { bits_ &= ~Bit(v); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TSet&) const = default;

  private:
    static constexpr uint32_t Bit(E v) { return 1u << static_cast<unsigned>(v); }
    uint32_t bits_ = 0;
};

enum TComEvent {
    evRxChar,
    evTxEmpty,
    evRxFlag,
    evRing,
    evBreak,
    evCTS,
    evDSR,
    evError,
    evRLSD,
    evRx80Full
};
using TComEvents = TSet<TComEvent>;
inline constexpr TComEvents AllComEvents{evRxChar, evTxEmpty, evRxFlag, evRing, evBreak,
                                         evCTS,    evDSR,     evError,  evRLSD, evRx80Full};

// The device's event mask and back; bits outside the table are ignored.
uint32_t EventsToMask(TComEvents events);
TComEvents MaskToEvents(uint32_t mask);

enum TLineSignal { lsCTS, lsDSR, lsRing, lsRLSD };
using TLineSignals = TSet<TLineSignal>;

enum TComError { erFraming, erParity, erOverrun, erBreak, erIO, erMode, erRxOverflow, erTxFull };
using TComErrors = TSet<TComError>;

enum TTransferDirection { tdWrite = 0, tdRead = 1 };

// Event handler types. Sender is the object that raises the event.
using TNotifyEvent = std::function<void(TObject* Sender)>;
using TRxCharEvent = std::function<void(TObject* Sender, int Count)>;
using TRxBufEvent = std::function<void(TObject* Sender, const char* Buffer, int Count)>;
using TComSignalEvent = std::function<void(TObject* Sender, bool OnOff)>;
using TComErrorEvent = std::function<void(TObject* Sender, TComErrors Errors)>;

}  // namespace seriallink
