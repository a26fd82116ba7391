#include "link/comerror.h"

#include <array>

#include "platform/localisation.h"

namespace seriallink {

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

// The suffix as the catalogue gives it: %d takes the error number and %s the
// system's text for it. Any other '%' is kept as written, so no catalogue can
// make the formatting read what was not passed.
std::string Suffix(int systemErrorCode) {
    const std::string format = localisation::Translate(" (win error code: %d)");
    std::string suffix;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'd') {
            suffix += std::to_string(systemErrorCode);
            ++i;
        } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            suffix += localisation::SystemErrorText(systemErrorCode);
            ++i;
        } else {
            suffix += format[i];
        }
    }
    return suffix;
}

std::string Text(int errorCode, int systemErrorCode) {
    std::string text = EComPort::MessageOf(errorCode);
    if (systemErrorCode != -1) text += Suffix(systemErrorCode);
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

}  // namespace seriallink
