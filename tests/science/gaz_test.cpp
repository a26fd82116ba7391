#include "science/gaz.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace science {
namespace {

// Bodhaine et al. (1999) from first principles, at sea level, 45° and
// 360 ppm CO2: Peck and Reeder's (1972) refractive index with the CO2
// correction (eqs. 18–19), Bates's (1984) King factors (eqs. 5, 22–23), the
// cross-section (eq. 2), and τ = σ P A / (m_a g) with g at the column's
// mass-weighted height (eqs. 9–11). The fit the program uses must agree.
double RayleighPremiersPrincipes(double lambdaNm) {
    const double pi = std::numbers::pi;
    const double l = lambdaNm / 1000, s2 = 1 / (l * l);
    const double co2 = 0.00036;
    const double n300 = (8060.51 + 2480990 / (132.274 - s2) + 17455.7 / (39.32957 - s2)) * 1e-8;
    const double n = 1 + n300 * (1 + 0.54 * (co2 - 0.0003));
    const double fN2 = 1.034 + 3.17e-4 / (l * l);
    const double fO2 = 1.096 + 1.385e-3 / (l * l) + 1.448e-4 / (l * l * l * l);
    const double c = co2 * 100;
    const double king =
        (78.084 * fN2 + 20.946 * fO2 + 0.934 + c * 1.15) / (78.084 + 20.946 + 0.934 + c);
    const double ns = 2.546899e19, lcm = l * 1e-4;
    const double sigma = 24 * pi * pi * pi * std::pow(n * n - 1, 2) /
                         (std::pow(lcm, 4) * ns * ns * std::pow(n * n + 2, 2)) * king;
    const double ma = 15.0556 * co2 + 28.9595;
    const double zc = 5517.56, g0 = 980.6160 * (1 + 0.0000059);  // cos 2φ = 0 at 45°
    const double g = g0 - 3.085462e-4 * zc + 7.254e-11 * zc * zc - 1.517e-17 * zc * zc * zc;
    return sigma * 1013250 * 6.0221367e23 / (ma * g);
}

TEST(Gaz, RayleighAgreesWithBodhaineFromFirstPrinciples) {
    for (const double lambda : {400.0, 440.0, 500.0, 505.0, 550.0, 625.0, 670.0, 870.0}) {
        const double attendu = RayleighPremiersPrincipes(lambda);
        EXPECT_NEAR(*TauRayleigh(lambda, 1013.25) / attendu, 1, 2e-4) << lambda;
    }
}

TEST(Gaz, RayleighAtTheChannelsAndPressures) {
    struct Cas {
        double lambda, pression, tau, tolerance;
    };
    // 0.138 and 0.058 are the panel's constants for 505 and 625 nm.
    const Cas cas[] = {{505, 1013.25, 0.138, 0.002},       {625, 1013.25, 0.058, 0.002},
                       {505, 1013.25, 0.137623, 1e-6},     {625, 1013.25, 0.057674, 1e-6},
                       {505, 506.625, 0.137623 / 2, 1e-6}, {670, 1013.25, 0.043494, 1e-6}};
    for (const Cas& c : cas)
        EXPECT_NEAR(*TauRayleigh(c.lambda, c.pression), c.tau, c.tolerance) << c.lambda;
    EXPECT_FALSE(TauRayleigh(200, 1013.25));
    EXPECT_FALSE(TauRayleigh(1100, 1013.25));
    EXPECT_FALSE(TauRayleigh(std::nan(""), 1013.25));
}

TEST(Gaz, OzoneCrossSectionsAndDepths) {
    // The Chappuis band's maximum, near 603 nm, is about 5.1e-21 cm² at room
    // temperature (Serdyuchenko et al. 2014; Bogumil et al. 2003); at 500 nm
    // it is about a quarter of that.
    EXPECT_NEAR(*SectionOzone(600), 5.1e-21, 0.2e-21);
    EXPECT_NEAR(*SectionOzone(500), 1.3e-21, 0.2e-21);
    EXPECT_NEAR(*SectionOzone(505), (1.30e-21 + 1.75e-21) / 2, 1e-25);  // interpolated
    // 300 DU at the instrument's wavelengths.
    const double vert = *TauOzone(505, 300), rouge = *TauOzone(625, 300);
    EXPECT_GE(vert, 0.010);
    EXPECT_LE(vert, 0.014);
    EXPECT_GE(rouge, 0.027);
    EXPECT_LE(rouge, 0.035);
    EXPECT_NEAR(*TauOzone(625, 600), 2 * rouge, 1e-12);
    EXPECT_FALSE(SectionOzone(350));
    EXPECT_FALSE(TauOzone(505, -1));
}

TEST(Gaz, OzoneClimatologyByPlaceAndSeason) {
    struct Cas {
        const char* cas;
        double latitude, longitude;
        int jour;
        double du;
    };
    // Worked from van Heuklon's (1979) equation and coefficients.
    const Cas cas[] = {
        {"equator", 0, 0, 100, 235},
        {"Lyon, early December", 45.764, 4.8357, 341, 334.94},
        {"Lyon, end of April", 45.764, 4.8357, 120, 387.39},
        {"Golden, mid October", 39.742476, -105.1786, 290, 310.29},
        {"Lauder, mid October", -45.04, 169.68, 290, 342.59},
    };
    for (const Cas& c : cas)
        EXPECT_NEAR(OzoneClimatologie(c.latitude, c.longitude, c.jour), c.du, 0.1) << c.cas;
}

TEST(Gaz, OzoneAirMassOfALayerAt22Km) {
    EXPECT_NEAR(*MasseAirOzone(90, 0), 1, 1e-12);
    // At the horizon: (R + 22) / sqrt((R + 22)² − R²) for R = 6371.229 km.
    const double r = 6371.229, h = r + 22;
    EXPECT_NEAR(*MasseAirOzone(0, 0), h / std::sqrt(h * h - r * r), 1e-9);
    EXPECT_NEAR(*MasseAirOzone(0, 0), 12.06, 0.01);
    // Smaller than the secant far from the zenith, the same near it.
    EXPECT_LT(*MasseAirOzone(10, 0), 1 / std::sin(10 * std::numbers::pi / 180));
    EXPECT_NEAR(*MasseAirOzone(60, 1500), 1 / std::sin(60 * std::numbers::pi / 180), 2e-3);
    EXPECT_FALSE(MasseAirOzone(-0.1, 0));
}

}  // namespace
}  // namespace science
