#pragma once

class QApplication;

// What the program's entry sets up before the window is made: the title, Qt's
// French texts, the error display, the hand-over pump, the font and the icon.
// The benchmarks start the program the same way.
void PreparerApplication(QApplication& application);
