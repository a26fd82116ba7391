#include "science/soleil.h"

#include <gtest/gtest.h>

#include <utility>

#include "science/masse_air.h"

namespace science {
namespace {

// The published example of Reda and Andreas' solar position algorithm:
// 17 October 2003, 12:30:30 at UTC−7, which is 19:30:30 UTC.
constexpr double InstantExemple = 1066419030.0;
const Site SiteExemple{39.742476, -105.1786, 1830.14, "UTC-7"};
const Meteo MeteoExemple{820, 11};

TEST(Soleil, ReproducesThePublishedExample) {
    const PositionSoleil p = CalculerPositionSoleil(InstantExemple, SiteExemple, MeteoExemple, 67);
    EXPECT_NEAR(90 - p.elevationApparente, 50.111622, 0.01);
    EXPECT_NEAR(p.azimut, 194.340241, 0.01);
    EXPECT_NEAR(p.elevationVraie, 39.872046, 0.01);
    EXPECT_NEAR(p.distance, 0.996542, 1e-5);
}

TEST(Soleil, InterpolatedEphemerisAgreesWithTheDirectOneThroughADay) {
    Soleil soleil(67);
    // Each instant asked again, and again from another place or under another
    // sky: the result kept for the last instant must not answer for those.
    const Site ailleurs{-33.9, 151.2, 40, ""};
    // Each of the place's figures on its own, each asked between two
    // questions from the example's place.
    const Site auSud{SiteExemple.latitude - 5, SiteExemple.longitude, SiteExemple.altitude, ""};
    const Site aLOuest{SiteExemple.latitude, SiteExemple.longitude - 5, SiteExemple.altitude, ""};
    // Far higher than any site, so that its parallax shows beyond 1e-6°.
    const Site plusHaut{SiteExemple.latitude, SiteExemple.longitude, 100000, ""};
    const Meteo autreCiel{1013, 25};
    for (double t = InstantExemple - 43200; t < InstantExemple + 43200; t += 1234.5)
        for (const auto& [site, meteo] :
             {std::pair{SiteExemple, MeteoExemple}, std::pair{SiteExemple, MeteoExemple},
              std::pair{ailleurs, MeteoExemple}, std::pair{SiteExemple, MeteoExemple},
              std::pair{auSud, MeteoExemple}, std::pair{SiteExemple, MeteoExemple},
              std::pair{aLOuest, MeteoExemple}, std::pair{SiteExemple, MeteoExemple},
              std::pair{plusHaut, MeteoExemple}, std::pair{SiteExemple, MeteoExemple},
              std::pair{SiteExemple, autreCiel}, std::pair{SiteExemple, MeteoExemple},
              std::pair{SiteExemple, Meteo{820, 30}}, std::pair{SiteExemple, MeteoExemple},
              std::pair{SiteExemple, Meteo{0, 11}}, std::pair{SiteExemple, MeteoExemple}}) {
            const PositionSoleil direct = CalculerPositionSoleil(t, site, meteo, 67);
            const PositionSoleil interpole = soleil.Position(t, site, meteo);
            EXPECT_NEAR(interpole.elevationVraie, direct.elevationVraie, 1e-6) << t;
            EXPECT_NEAR(interpole.elevationApparente, direct.elevationApparente, 1e-6) << t;
            EXPECT_NEAR(interpole.azimut, direct.azimut, 1e-6) << t;
            EXPECT_NEAR(interpole.distance, direct.distance, 1e-10) << t;
        }
}

TEST(Soleil, NoPressureMeansNoRefraction) {
    const PositionSoleil p = CalculerPositionSoleil(InstantExemple, SiteExemple, Meteo{0, 11}, 67);
    EXPECT_DOUBLE_EQ(p.elevationApparente, p.elevationVraie);
}

TEST(Soleil, SunBelowTheHorizonAtLocalMidnight) {
    // 07:00 UTC is midnight at the example's site.
    const PositionSoleil p =
        CalculerPositionSoleil(InstantExemple + 11.5 * 3600, SiteExemple, MeteoExemple);
    EXPECT_LT(p.elevationApparente, -20);
    EXPECT_FALSE(MasseAirKastenYoung(p.elevationApparente));
}

TEST(MasseAir, KastenAndYoungValues) {
    // Worked from the formula independently of the code.
    const struct {
        double h, m;
    } cas[] = {{0, 37.919608}, {5, 10.305791}, {10, 5.586036},
               {30, 1.994293}, {60, 1.153992}, {90, 0.999712}};
    for (const auto& c : cas) {
        const auto m = MasseAirKastenYoung(c.h);
        ASSERT_TRUE(m) << c.h;
        EXPECT_NEAR(*m, c.m, 1e-6) << c.h;
    }
    EXPECT_FALSE(MasseAirKastenYoung(-0.01));
    EXPECT_FALSE(MasseAirKastenYoung(std::numeric_limits<double>::quiet_NaN()));
}

}  // namespace
}  // namespace science
