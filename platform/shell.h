#pragma once

#include <functional>
#include <string>

// Opens a document or an address with the application the desktop has
// registered for it (a PDF reader, a web browser).
namespace shell {

// Hands the text, as one single argument and never through a command
// interpreter, to the desktop's opener ("xdg-open"), and returns without
// waiting for it. Failures are ignored: nothing is reported when no
// application can open the text. A text holding a NUL byte cannot be handed
// over whole and opens nothing.
void Open(const std::string& target);

// Replaces the whole opening, for tests; an empty function restores it.
void SetOpenerForTests(std::function<void(const std::string&)> opener);
// Runs this program instead of "xdg-open", for tests; "" restores it.
void SetOpenerProgramForTests(const std::string& program);

}  // namespace shell
