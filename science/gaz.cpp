#include "science/gaz.h"

#include <array>
#include <cmath>
#include <numbers>
#include <utility>

namespace science {

namespace {

// Molecules per cm² in one Dobson unit: 10 µm of gas at 0 °C and 1 atm,
// Loschmidt's number 2.6867e19 cm⁻³ (CODATA).
constexpr double MoleculesParDobson = 2.6867e16;

// Serdyuchenko et al. (2014), 293 K, in 1e-21 cm², every 10 to 100 nm from
// the Huggins tail through the Chappuis band (maximum near 603 nm).
constexpr std::array<std::pair<double, double>, 35> Sections = {{
    {400, 0.011}, {420, 0.030}, {440, 0.095}, {460, 0.25}, {480, 0.55}, {490, 0.85}, {500, 1.30},
    {510, 1.75},  {520, 1.95},  {530, 2.65},  {540, 2.95}, {550, 3.25}, {560, 3.95}, {570, 4.55},
    {580, 4.65},  {590, 4.70},  {600, 5.10},  {610, 4.80}, {620, 4.20}, {630, 3.60}, {640, 3.30},
    {650, 2.80},  {660, 2.35},  {670, 1.95},  {680, 1.75}, {690, 1.35}, {700, 1.05}, {720, 0.85},
    {740, 0.60},  {760, 0.42},  {780, 0.37},  {800, 0.30}, {850, 0.17}, {900, 0.10}, {1000, 0.047},
}};

constexpr double RayonTerreKm = 6371.229;  // Komhyr et al. (1989)
constexpr double CoucheOzoneKm = 22;       // Komhyr et al. (1989)

}  // namespace

std::optional<double> TauRayleigh(double lambdaNm, double pressionHpa) {
    if (!(lambdaNm >= 250 && lambdaNm <= 1000) || !(pressionHpa >= 0)) return std::nullopt;
    const double l2 = (lambdaNm / 1000) * (lambdaNm / 1000);
    const double tau = 0.0021520 * (1.0455996 - 341.29061 / l2 - 0.90230850 * l2) /
                       (1 + 0.0027059889 / l2 - 85.968563 * l2);
    return tau * pressionHpa / PressionReference;
}

std::optional<double> SectionOzone(double lambdaNm) {
    if (!(lambdaNm >= Sections.front().first && lambdaNm <= Sections.back().first))
        return std::nullopt;
    size_t i = 1;
    while (i + 1 < Sections.size() && Sections[i].first < lambdaNm) ++i;
    const auto [l0, s0] = Sections[i - 1];
    const auto [l1, s1] = Sections[i];
    return (s0 + (s1 - s0) * (lambdaNm - l0) / (l1 - l0)) * 1e-21;
}

std::optional<double> TauOzone(double lambdaNm, double du) {
    const auto section = SectionOzone(lambdaNm);
    if (!section || !(du >= 0)) return std::nullopt;
    return *section * du * MoleculesParDobson;
}

double OzoneClimatologie(double latitude, double longitude, int jour) {
    // van Heuklon (1979): Ω = J + [A + C sin(D (E + F)) + G sin(H (λ + I))] sin²(β φ),
    // angles in degrees, J = 235 DU, D = 0.9865°/day.
    const bool nord = latitude >= 0;
    const double A = nord ? 150 : 100, beta = nord ? 1.28 : 1.5, C = nord ? 40 : 30;
    const double F = nord ? -30 : 152.625, G = 20, H = nord ? 3 : 2;
    const double I = nord ? (longitude > 0 ? 20 : 0) : -75;
    const double degre = std::numbers::pi / 180;
    const double s = std::sin(beta * latitude * degre);
    return 235 + (A + C * std::sin(0.9865 * (jour + F) * degre) +
                  G * std::sin(H * (longitude + I) * degre)) *
                     s * s;
}

std::optional<double> MasseAirOzone(double h, double altitudeM) {
    if (!(h >= 0 && h <= 90)) return std::nullopt;
    const double rapport = (RayonTerreKm + altitudeM / 1000) / (RayonTerreKm + CoucheOzoneKm);
    const double c = std::cos(h * std::numbers::pi / 180);
    return 1 / std::sqrt(1 - rapport * rapport * c * c);
}

}  // namespace science
