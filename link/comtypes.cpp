#include "link/comtypes.h"

#include "platform/serial.h"

namespace seriallink {

namespace {

struct EventBit {
    TComEvent event;
    uint32_t bit;
};

constexpr EventBit eventBits[] = {
    {evRxChar, serial::EV_RXCHAR}, {evTxEmpty, serial::EV_TXEMPTY},
    {evRxFlag, serial::EV_RXFLAG}, {evRing, serial::EV_RING},
    {evBreak, serial::EV_BREAK},   {evCTS, serial::EV_CTS},
    {evDSR, serial::EV_DSR},       {evError, serial::EV_ERR},
    {evRLSD, serial::EV_RLSD},     {evRx80Full, serial::EV_RX80FULL},
};

}  // namespace

uint32_t BaudRateValue(TBaudRate rate) {
    static constexpr uint32_t values[] = {0,     110,    300,    600,   1200,  2400,
                                          4800,  9600,   14400,  19200, 38400, 56000,
                                          57600, 115200, 128000, 256000};
    return values[rate];
}

uint32_t EventsToMask(TComEvents events) {
    uint32_t mask = 0;
    for (const auto& e : eventBits)
        if (events.Contains(e.event)) mask |= e.bit;
    return mask;
}

TComEvents MaskToEvents(uint32_t mask) {
    TComEvents events;
    for (const auto& e : eventBits)
        if (mask & e.bit) events.Include(e.event);
    return events;
}

}  // namespace seriallink
