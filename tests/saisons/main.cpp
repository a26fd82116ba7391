#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/support/dossier.h"

// One application for every test, on the offscreen platform; the V0 link to
// the main window lives in a folder of this run's own, so that runs side by
// side never meet.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Dossier lien;
    setenv("XDG_RUNTIME_DIR", lien.chemin.c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
