#include "science/masse_air.h"

#include <cmath>
#include <numbers>

namespace science {

std::optional<double> MasseAirKastenYoung(double h) {
    if (!(h >= 0 && h <= 90)) return std::nullopt;
    return 1.0 /
           (std::sin(h * std::numbers::pi / 180.0) + 0.50572 * std::pow(h + 6.07995, -1.6364));
}

}  // namespace science
