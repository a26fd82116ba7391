#pragma once

#include <optional>

namespace science {

// Relative optical air mass by Kasten and Young (1989),
// m = 1 / (sin h + 0.50572 (h + 6.07995°)^−1.6364), from the apparent
// (refracted) elevation h in degrees, as the formula is defined. Nothing
// when the sun is below the horizon (h < 0) or h is not a number.
std::optional<double> MasseAirKastenYoung(double elevationApparente);

}  // namespace science
