#include "toolkit/placement.h"

#include <algorithm>

namespace toolkit {
namespace {

bool Holds(const TScreenRect& area, const TScreenRect& r) {
    return r.left >= area.left && r.top >= area.top && r.left + r.width <= area.left + area.width &&
           r.top + r.height <= area.top + area.height;
}

long long Overlap(const TScreenRect& a, const TScreenRect& b) {
    const long long w = std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
    const long long h = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Moved into [start, start + room) as little as it takes; flush with the
// start when it is longer than the room.
int Fit(int position, int length, int start, int room) {
    return std::max(start, std::min(position, start + room - length));
}

}  // namespace

TScreenRect PlaceOnScreens(const TScreenRect& wanted, const std::vector<TScreenRect>& screens) {
    if (screens.empty()) return wanted;
    for (const TScreenRect& area : screens)
        if (Holds(area, wanted)) return wanted;
    const TScreenRect* best = &screens.front();
    long long most = 0;
    for (const TScreenRect& area : screens) {
        if (const long long o = Overlap(area, wanted); o > most) {
            most = o;
            best = &area;
        }
    }
    TScreenRect placed = wanted;
    placed.left = Fit(wanted.left, wanted.width, best->left, best->width);
    placed.top = Fit(wanted.top, wanted.height, best->top, best->height);
    return placed;
}

}  // namespace toolkit
