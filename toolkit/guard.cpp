#include "toolkit/guard.h"

#include <cstdio>
#include <utility>

#include "platform/application.h"

namespace toolkit {

void ReportError(std::exception_ptr error) noexcept {
    try {
        application::ShowError(std::move(error));
    } catch (...) {
        // The display itself failed: the error has nowhere else to go.
        std::fputs("error display failed\n", stderr);
    }
}

}  // namespace toolkit
