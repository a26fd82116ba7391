#pragma once

#include <exception>
#include <utility>

// Every call from Qt into a program's handler goes through Guarded: an
// exception must not unwind through Qt's event loop, so it ends the handler
// and goes to the application's error display instead.
namespace toolkit {

void ReportError(std::exception_ptr error) noexcept;

template <typename F>
void Guarded(F&& fn) noexcept {
    try {
        std::forward<F>(fn)();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

}  // namespace toolkit
