// The main window on the screens of one desktop, as Qt reports them: the
// offscreen platform is given the screens from the file named on the command
// line (see CMakeLists.txt), and the window must open whole on one of them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "app/fond.h"
#include "toolkit/toolkit.h"

namespace {

std::string ecrans;
bool attenduEnPlace = false;

bool Contient(const QRect& zone, const QRect& r) {
    return zone.contains(r.topLeft()) && zone.contains(r.bottomRight());
}

}  // namespace

TEST(Ecrans, TheWindowOpensWholeOnOneScreen) {
    TF_Fond f;
    const QRect fenetre(f.Left(), f.Top(), f.Width(), f.Height());
    bool entiere = false;
    for (const QScreen* s : QGuiApplication::screens())
        entiere = entiere || Contient(s->availableGeometry(), fenetre);
    EXPECT_TRUE(entiere) << ecrans << ": " << f.Left() << "," << f.Top();
    EXPECT_EQ(f.Left() == 639 && f.Top() == 116, attenduEnPlace)
        << ecrans << ": the specified place where it fits, only there";
    f.Show();
    EXPECT_EQ(f.Widget()->pos(), QPoint(f.Left(), f.Top()));
}

// ecrans_tests SCREENS.json in-place|moved
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 3) return 2;
    ecrans = argv[1];
    attenduEnPlace = std::string(argv[2]) == "en-place";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + ecrans).c_str(), 1);
    QApplication app(argc, argv);
    toolkit::SetErrorDisplayHook([](const std::string& t) { ADD_FAILURE() << t; });
    return RUN_ALL_TESTS();
}
