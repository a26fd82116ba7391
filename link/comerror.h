#pragma once

#include "platform/exception.h"

namespace seriallink {

// A failure of the serial layer: a numbered English message (French where
// the serial domain's catalogue applies, see localisation.h), with the
// system's error number (errno) where the failure has one, else -1.
class EComPort : public Exception {
  public:
    EComPort(int errorCode, int systemErrorCode = -1);
    int ErrorCode() const { return errorCode_; }
    int SystemErrorCode() const { return systemErrorCode_; }

    static constexpr int MessageCount = 23;
    // The message of a code from 1 to 23, as passed through the localisation.
    static const std::string& MessageOf(int errorCode);

  private:
    int errorCode_;
    int systemErrorCode_;
};

// Error codes used by the serial layer.
enum : int {
    CError_OpenFailed = 1,
    CError_WriteFailed = 2,
    CError_ReadFailed = 3,
    CError_InvalidAsync = 4,
    CError_PurgeFailed = 5,
    CError_AsyncCheck = 6,
    CError_SetStateFailed = 7,
    CError_TimeoutsFailed = 8,
    CError_SetupComFailed = 9,
    CError_ClearComFailed = 10,
    CError_ModemStatFailed = 11,
    CError_EscapeComFailed = 12,
    CError_TransmitFailed = 13,
    CError_ConnChangeProp = 14,
    CError_EnumPortsFailed = 15,
    CError_StoreFailed = 16,
    CError_LoadFailed = 17,
    CError_RegFailed = 18,
    CError_LedStateFailed = 19,
    CError_ThreadCreated = 20,
    CError_WaitFailed = 21,
    CError_HasLink = 22,
    CError_RegError = 23,
};

}  // namespace seriallink
