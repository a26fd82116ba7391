#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

// One application object for every test; widgets need it.
int main(int argc, char** argv) {
    // Test discovery runs this program outside CTest's environment too.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
