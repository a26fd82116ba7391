#include "toolkit/placement.h"

#include <gtest/gtest.h>

using toolkit::PlaceOnScreens;
using toolkit::TScreenRect;

TEST(Placement, TheWindowLiesWholeOnOneScreen) {
    // The main window's frame at its specified place.
    const TScreenRect voulu{639, 116, 719, 398};
    const struct {
        const char* what;
        std::vector<TScreenRect> screens;
        TScreenRect placed;
    } cases[] = {
        {"full HD: where asked", {{0, 0, 1920, 1040}}, voulu},
        {"1024x768 projector: moved left", {{0, 0, 1024, 768}}, {305, 116, 719, 398}},
        {"1280x800 laptop: moved left", {{0, 0, 1280, 800}}, {561, 116, 719, 398}},
        {"a panel at the top of a small screen", {{0, 400, 1024, 368}}, {305, 400, 719, 398}},
        {"across two screens: onto the one holding most of it",
         {{0, 0, 1280, 800}, {1280, 0, 1920, 1080}},
         {561, 116, 719, 398}},
        {"whole on the second screen: where asked",
         {{1920, 0, 1366, 768}, {0, 0, 1920, 1080}},
         voulu},
        {"on no screen: onto the primary one", {{3000, 200, 800, 600}}, {3000, 200, 719, 398}},
        {"a screen narrower than the window: flush with its left side",
         {{100, 50, 640, 480}},
         {100, 116, 719, 398}},
        {"no screen known", {}, voulu},
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceOnScreens(voulu, c.screens), c.placed) << c.what;
}
