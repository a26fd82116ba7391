#pragma once

class QApplication;

// Ties the program to the Qt application that runs it.
namespace toolkit {

// Loads Qt's own French texts (dialog buttons, the save dialog). Returns
// false when the translation is not installed; the program then runs with
// Qt's English texts.
bool InstallFrenchTranslation(QApplication& app);

// Lets the serial layer's thread wake the main thread: each hand-over it
// queues posts a call to the Qt event loop, which runs what is pending.
void InstallHandOverPump();

}  // namespace toolkit
