#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace measurement {

// Rayleigh optical depth of each channel at standard pressure.
inline constexpr double TauRayleighVert = 0.138;
inline constexpr double TauRayleighRouge = 0.058;
inline constexpr int PressionStandard = 1013;  // hPa

double RapportPression(int pression);

// 1 / sin(elevation). An elevation whose sine is exactly 0 raises EZeroDivide.
double MasseAir(int angle);

// Aerosol optical depth of a channel (Beer–Lambert with the Rayleigh part
// removed), in extended precision. Nothing when the dark voltage vn is not
// below v, or when the formula has no meaning (v0 not positive, air mass not
// finite or not positive, a result that is not finite).
std::optional<long double> EpaisseurOptique(double v, double v0, double vn, double tau,
                                            double distance, double rapportPression,
                                            double masseAir);

// Degrees Celsius from the sensor count; nothing above a count of 5051, where
// the value under the root turns negative.
std::optional<double> Temperature(int32_t count);

// The texts of the reception panel, as recorded in the data file.
std::string TexteEO(std::optional<long double> eo);  // "0,66", "-0,05", "-0,00" or "------"
std::string TexteTension(double volts);              // "2,124"
// Whole degrees, halves to even, never "-0"; "----" for a value that is not finite.
std::string TexteTemperature(double degres);

}  // namespace measurement
