#pragma once

#include <functional>
#include <string>

// Message boxes: the program's messages and the application's error display.
// Both are modal, titled with the application's title, with an OK button.

namespace toolkit {

// A message to the user.
void ShowMessage(const std::string& text);

using MessageHook = std::function<void(const std::string& text)>;

// The title of message boxes ("Solvenare 1.0"); the application's name
// until set.
void SetApplicationTitle(const std::string& title);
std::string ApplicationTitle();

// Makes the application's error display a message box with the error's text.
void InstallErrorDisplay();

// While set, the text goes to the hook instead of a box, so that tests never
// wait on a modal box.
void SetShowMessageHook(MessageHook hook);
void SetErrorDisplayHook(MessageHook hook);

}  // namespace toolkit
