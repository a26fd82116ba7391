#include "platform/application.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace application {
namespace {

std::mutex mutex;
std::function<void(std::exception_ptr)>& Handler() {
    static std::function<void(std::exception_ptr)> handler;
    return handler;
}

}  // namespace

void SetErrorHandler(std::function<void(std::exception_ptr)> handler) {
    std::lock_guard lock(mutex);
    Handler() = std::move(handler);
}

std::string ErrorText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Erreur inconnue";
    }
}

void ShowError(std::exception_ptr error) {
    if (!error) return;
    std::function<void(std::exception_ptr)> handler;
    {
        std::lock_guard lock(mutex);
        handler = Handler();
    }
    if (handler) {
        handler(error);
    } else {
        std::fprintf(stderr, "%s\n", ErrorText(error).c_str());
    }
}

}  // namespace application
