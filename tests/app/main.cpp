#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "app/police.h"
#include "toolkit/toolkit.h"

// One application object for every test, laid out as the program is.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The serial layer's messages in English whatever the developer's locale
    // (Qt wants UTF-8, so not plain C).
    setenv("LC_ALL", "C.UTF-8", 1);
    unsetenv("LANGUAGE");
    QApplication app(argc, argv);
    InstallerPoliceDeSubstitution();
    toolkit::SetApplicationTitle("Solvenare 1.0");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
