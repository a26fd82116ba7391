#pragma once

#include <optional>
#include <string>

// The header's pressure against the site's altitude: a barometer's
// sea-level figure typed at a mountain site biases every depth.
namespace science {

// Beyond this gap (hPa) from the standard atmosphere the pressure was most
// likely read at sea level: weather moves a station's pressure by some
// 30 hPa around its mean, a reduction to sea level by 60 at 500 m.
inline constexpr double EcartPressionSignale = 60;

// Pressure (hPa) of the U.S. Standard Atmosphere (1976) at an altitude (m),
// its tropospheric barometric formula: 1013.25 (1 − 2.25577e-5 h)^5.25588.
double PressionStandard(double altitudeM);

// What to say (French, decimal comma) when the pressure is more than
// EcartPressionSignale from the standard one at the altitude; nothing else.
std::optional<std::string> RemarquePression(double pressionHpa, double altitudeM);

}  // namespace science
