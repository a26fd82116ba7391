#include "comerror.h"

#include <array>
#include <cstdio>

#include "localisation.h"

namespace {

constexpr const char* englishMessages[EComPort::MessageCount] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};

// The serial layer's texts go through the localisation once, under its own
// text domain, the first time an error is built.
const std::array<std::string, EComPort::MessageCount>& Messages() {
    static const auto messages = [] {
        localisation::AddTextDomain("serial");
        std::array<std::string, EComPort::MessageCount> m;
        for (int i = 0; i < EComPort::MessageCount; ++i)
            m[i] = localisation::Translate(englishMessages[i]);
        return m;
    }();
    return messages;
}

std::string Text(int errorCode, int systemErrorCode) {
    std::string text = EComPort::MessageOf(errorCode);
    if (systemErrorCode != -1) {
        const std::string suffix = localisation::Translate(" (win error code: %d)");
        const int size = std::snprintf(nullptr, 0, suffix.c_str(), systemErrorCode);
        std::string formatted(static_cast<size_t>(size), '\0');
        std::snprintf(formatted.data(), formatted.size() + 1, suffix.c_str(), systemErrorCode);
        text += formatted;
    }
    return text;
}

}  // namespace

EComPort::EComPort(int errorCode, int systemErrorCode)
    : Exception(Text(errorCode, systemErrorCode)),
      errorCode_(errorCode),
      systemErrorCode_(systemErrorCode) {}

const std::string& EComPort::MessageOf(int errorCode) {
    static const std::string none;
    if (errorCode < 1 || errorCode > MessageCount) return none;
    return Messages()[static_cast<size_t>(errorCode - 1)];
}
