#pragma once

#include <optional>

// The gases between the sun and the photometer that are not aerosol: the
// molecules' Rayleigh scattering and the ozone's absorption, each as a
// vertical optical depth at a channel's wavelength.
namespace science {

// hPa at which the Rayleigh depths are tabulated.
inline constexpr double PressionReference = 1013.25;

// Vertical Rayleigh optical depth at lambda (nm) and pressure (hPa):
// Bodhaine et al. (1999), J. Atmos. Oceanic Technol. 16, 1854, eq. (30),
// for sea level at 45° latitude and 360 ppm of CO2, scaled by P / 1013.25.
// Nothing outside 250–1000 nm, where the fit was not made.
std::optional<double> TauRayleigh(double lambdaNm, double pressionHpa);

// Ozone absorption cross-section at 293 K (cm² per molecule) at lambda (nm),
// interpolated in a table of Serdyuchenko et al. (2014), Atmos. Meas. Tech.
// 7, 625: the Chappuis band. Nothing outside 400–1000 nm.
std::optional<double> SectionOzone(double lambdaNm);

// Vertical ozone optical depth of a column of du Dobson units at lambda (nm).
std::optional<double> TauOzone(double lambdaNm, double du);

// Total ozone column (DU) by van Heuklon (1979), Solar Energy 22, 63, eq. (1)
// with his coefficients for each hemisphere: latitude and longitude in
// degrees (north and east positive), jour the day of the year (1–366).
double OzoneClimatologie(double latitude, double longitude, int jour);

// Air mass of the ozone, a thin layer at 22 km (Komhyr et al. 1989,
// J. Geophys. Res. 94, 9847): 1 / sqrt(1 − ((R + z)/(R + 22 km))² cos² h),
// R = 6371.229 km, z the site's altitude, h the apparent elevation (degrees).
// Nothing when the sun is below the horizon.
std::optional<double> MasseAirOzone(double elevationApparente, double altitudeM);

}  // namespace science
