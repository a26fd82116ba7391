#include "science/refraction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace science {
namespace {

constexpr double Degre = std::numbers::pi / 180;

// Bennett (1982), J. Navigation 35, 255: refraction (degrees) from the
// apparent elevation, R = cot(h + 7.31/(h + 4.4)) arcminutes at 1010 hPa and
// 10 °C, the formula behind the Nautical Almanac's table, within 0.07' of
// Garfinkel's. An independent model: Sæmundsson's goes the other way.
double RefractionBennett(double apparente) {
    return 1 / std::tan((apparente + 7.31 / (apparente + 4.4)) * Degre) / 60;
}

TEST(Refraction, DownToTheHorizonAgainstBennett) {
    struct Cas {
        double pression, temperature;
    };
    const Cas meteo[] = {{1010, 10}, {1013.25, 15}, {850, -5}, {1030, 30}};
    for (const Cas& m : meteo)
        for (double apparente = 0; apparente <= 10; apparente += 0.25) {
            const double echelle = m.pression / 1010 * 283 / (273 + m.temperature);
            const double vraie = apparente - echelle * RefractionBennett(apparente);
            EXPECT_NEAR(ElevationApparente(vraie, m.pression, m.temperature), apparente, 0.05)
                << apparente << "° at " << m.pression << " hPa, " << m.temperature << " °C";
        }
}

TEST(Refraction, PublishedValuesNearTheHorizon) {
    // The almanac's refraction at the horizon, 34.5' (Bennett 1982; Meeus 1998,
    // ch. 16), at 1010 hPa and 10 °C; 0.0 at the zenith.
    const double horizon = -34.5 / 60;  // true elevation of a body seen at 0°
    EXPECT_NEAR(ElevationApparente(horizon, 1010, 10), 0, 0.03);
    EXPECT_NEAR(ElevationApparente(90, 1010, 10), 90, 1e-6);
    EXPECT_NEAR(RefractionSaemundsson(0), 29.0 / 60, 0.1 / 60);
}

TEST(Refraction, ContinuousAtTheJoinAndWithoutAir) {
    for (const double p : {600.0, 1013.25})
        EXPECT_NEAR(ElevationApparente(5 - 1e-9, p, 15), ElevationApparente(5, p, 15), 1e-6) << p;
    // Rising true elevation, rising apparent one: nothing folds back.
    double avant = ElevationApparente(-2, 1013.25, 15);
    for (double h = -1.9; h < 20; h += 0.1) {
        const double a = ElevationApparente(h, 1013.25, 15);
        EXPECT_GT(a, avant) << h;
        avant = a;
    }
    EXPECT_EQ(ElevationApparente(1.5, 0, 15), 1.5);
    EXPECT_NEAR(ElevationApparente(-30, 1013.25, 15), ElevationApparente(-1, 1013.25, 15) - 29,
                1e-9);
}

}  // namespace
}  // namespace science
