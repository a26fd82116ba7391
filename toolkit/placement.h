#pragma once

#include <vector>

// Where a window opens among the screens of the desktop.
namespace toolkit {

struct TScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const TScreenRect&) const = default;
};

// The window's rectangle as placed: where it was asked for when one screen's
// available area holds it whole; otherwise moved, as little as it takes, into
// the available area of the screen that held most of it (the first screen,
// the primary one, when none held any of it). A window larger than that area
// keeps its top left corner on it. No screens: as asked.
TScreenRect PlaceOnScreens(const TScreenRect& wanted, const std::vector<TScreenRect>& screens);

}  // namespace toolkit
