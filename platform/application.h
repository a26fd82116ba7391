#pragma once

#include <exception>
#include <functional>
#include <string>

// The application's error display: where an error ends up that no caller is
// left to receive (an event handler's, or one that ended a background thread).
// The window shows it in a message box; until one is set, it goes to stderr.
namespace application {

void SetErrorHandler(std::function<void(std::exception_ptr)> handler);
// Shows the error. Runs on the main thread.
void ShowError(std::exception_ptr error);
// The error's text, as the display shows it.
std::string ErrorText(std::exception_ptr error);

}  // namespace application
