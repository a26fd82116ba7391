#pragma once

#include <cstddef>
#include <vector>

// Where a curve of the day breaks: a line joined across a long gap (clouds
// screened out, the instrument stopped) shows values nobody measured.
namespace journee {

// The longest stretch, in hours, that a curve is drawn across.
inline constexpr double TrouMax = 10.0 / 60;

// Whether the line from a point at `avant` to the next at `apres` (hours)
// breaks there: more than `trou` between them, or time going back (a clock
// set back), which a line would draw as a scribble.
bool Trou(double avant, double apres, double trou = TrouMax);

// The first point of each piece of a curve whose points are at `x` (hours,
// in drawing order): 0 first when there is any point.
std::vector<size_t> Troncons(const std::vector<double>& x, double trou = TrouMax);

}  // namespace journee
