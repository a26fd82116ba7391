#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/descripteur.h"

// The serial device calls on POSIX termios, shaped after the operations the
// serial layer needs: open for exclusive use, device control block, queue
// sizes, time-outs, event mask and event wait, error and modem status, purge,
// and transfers that start at once and are then awaited. Every call returns 0
// or the errno of its failure; the layer above turns that into its errors.
namespace serial {

// Line events, as bits of an event mask.
constexpr uint32_t EV_RXCHAR = 0x0001;
constexpr uint32_t EV_RXFLAG = 0x0002;
constexpr uint32_t EV_TXEMPTY = 0x0004;
constexpr uint32_t EV_CTS = 0x0008;
constexpr uint32_t EV_DSR = 0x0010;
constexpr uint32_t EV_RLSD = 0x0020;
constexpr uint32_t EV_BREAK = 0x0040;
constexpr uint32_t EV_ERR = 0x0080;
constexpr uint32_t EV_RING = 0x0100;
constexpr uint32_t EV_RX80FULL = 0x0400;

// Line error flags.
constexpr uint32_t CE_RXOVER = 0x0001;
constexpr uint32_t CE_OVERRUN = 0x0002;
constexpr uint32_t CE_RXPARITY = 0x0004;
constexpr uint32_t CE_FRAME = 0x0008;
constexpr uint32_t CE_BREAK = 0x0010;
constexpr uint32_t CE_TXFULL = 0x0100;
constexpr uint32_t CE_IOE = 0x0400;
constexpr uint32_t CE_MODE = 0x8000;

// Modem input lines.
constexpr uint32_t MS_CTS_ON = 0x0010;
constexpr uint32_t MS_DSR_ON = 0x0020;
constexpr uint32_t MS_RING_ON = 0x0040;
constexpr uint32_t MS_RLSD_ON = 0x0080;

// Purge flags.
constexpr uint32_t PURGE_TXABORT = 0x0001;
constexpr uint32_t PURGE_RXABORT = 0x0002;
constexpr uint32_t PURGE_TXCLEAR = 0x0004;
constexpr uint32_t PURGE_RXCLEAR = 0x0008;

// Time-out value meaning "none" for the read interval.
constexpr uint32_t MAXDWORD = 0xFFFFFFFFu;

// The device control block: line speed, format, flow control and characters.
struct DeviceControl {
    uint32_t BaudRate = 0;
    bool fBinary = false;
    bool fParity = false;
    bool fOutxCtsFlow = false;
    bool fOutxDsrFlow = false;
    uint8_t fDtrControl = 0;  // 0 off, 1 on, 2 handshake
    bool fDsrSensitivity = false;
    bool fTXContinueOnXoff = false;
    bool fOutX = false;
    bool fInX = false;
    bool fErrorChar = false;
    bool fNull = false;
    uint8_t fRtsControl = 0;  // 0 off, 1 on, 2 handshake, 3 toggle
    bool fAbortOnError = false;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 0;  // 5 to 8
    uint8_t Parity = 0;    // none, odd, even, mark, space
    uint8_t StopBits = 0;  // one, one and a half, two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EvtChar = 0;
};

// Milliseconds; see SetCommTimeouts.
struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

struct Device;
using Handle = Device*;
constexpr Handle InvalidHandle = nullptr;

// A transfer started by BeginWrite or BeginRead and finished by AwaitTransfer.
struct Transfer {
    bool write = false;
    const char* source = nullptr;
    char* destination = nullptr;
    size_t count = 0;
    size_t done = 0;
    bool hasDeadline = false;
    std::chrono::steady_clock::time_point deadline{};
};

// The device path of a port name: an absolute path as it is, else the name
// under /dev, or the device a program published under that short name.
std::string DevicePath(const std::string& portName);

int OpenDevice(const std::string& portName, Handle& handle);
void CloseDevice(Handle handle);
// The file descriptor behind a handle, for inspection; -1 for none.
int NativeDescriptor(Handle handle);

int SetupComm(Handle handle, int inputSize, int outputSize);
int SetCommState(Handle handle, const DeviceControl& control);
// A read returns what arrived when the interval is MAXDWORD and both read
// totals are 0; a write of n bytes gives up after multiplier * n + constant.
int SetCommTimeouts(Handle handle, const CommTimeouts& timeouts);
int SetCommMask(Handle handle, uint32_t mask);
// Fetches and clears the error flags; also the bytes waiting to be read.
int ClearCommError(Handle handle, uint32_t& errors, int& inputQueue);
int GetCommModemStatus(Handle handle, uint32_t& status);
int PurgeComm(Handle handle, uint32_t flags);

int BeginWrite(Handle handle, const char* data, size_t count, Transfer& transfer);
int BeginRead(Handle handle, char* destination, size_t count, Transfer& transfer);
// Waits for the transfer's end under the time-outs in force.
int AwaitTransfer(Handle handle, Transfer& transfer);

// Waits for the line events of the device's event mask, or for a stop.
// Never spins: an idle device blocks, and a device that is gone ends the wait.
class EventWait {
  public:
    enum class Result { Events, Stopped, Failed };

    EventWait(Handle handle, int stopDescriptor);
    ~EventWait();
    EventWait(const EventWait&) = delete;
    EventWait& operator=(const EventWait&) = delete;

    // Events: mask holds what occurred. Failed: error holds the errno.
    Result Wait(uint32_t& mask, int& error);

  private:
    uint32_t TakeChanges(uint32_t watched);

    Handle handle_;
    int stop_;
    platform::Descripteur epoll_;
    int setupError_ = 0;
    uint32_t modemLines_ = 0;
    struct Counters {
        int cts = 0, dsr = 0, rng = 0, dcd = 0, brk = 0, errors = 0;
    } counters_;
};

}  // namespace serial
