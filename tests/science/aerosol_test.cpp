#include "science/aerosol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "science/gaz.h"
#include "science/pression_station.h"

namespace science {
namespace {

// A record's raw inputs: what the uncertainty is propagated from.
struct Entrees {
    double vVert, vRouge, v0Vert, v0Rouge, vn, pression, ozone;
    double masseAir, masseOzone, distance;
};

struct Sorties {
    double vert, rouge, angstrom;
};

// The whole computation from the raw inputs, through the real functions.
Sorties Calculer(const Entrees& e) {
    const Trajet t{e.distance, e.masseAir, e.masseOzone, e.pression};
    const VoieAerosol vert{e.vVert, e.v0Vert, e.vn, *TauRayleigh(505, e.pression),
                           *TauOzone(505, e.ozone)};
    const VoieAerosol rouge{e.vRouge, e.v0Rouge, e.vn, *TauRayleigh(625, e.pression),
                            *TauOzone(625, e.ozone)};
    const double tv = *ProfondeurAerosol(vert, t), tr = *ProfondeurAerosol(rouge, t);
    return {tv, tr, -std::log(tv / tr) / std::log(505.0 / 625.0)};
}

TEST(Aerosol, UncertaintyAgreesWithNumericalPropagation) {
    const IncertitudesEntrees u;
    struct Cas {
        const char* cas;
        Entrees e;
    };
    const Cas cas[] = {
        {"clear noon", {1.60, 1.55, 2.12, 2.05, 0.01, 1008, 320, 1.35, 1.34, 0.985}},
        {"low sun", {0.35, 0.55, 2.12, 2.05, 0.01, 1008, 320, 8.5, 6.9, 0.985}},
        {"clean mountain air", {1.70, 1.65, 2.12, 2.05, 0.01, 850, 280, 1.2, 1.2, 1.016}},
    };
    for (const Cas& c : cas) {
        const Entrees& e = c.e;
        const Sorties centre = Calculer(e);
        // Each input moved by a small step: the derivative times its uncertainty.
        struct Entree {
            std::function<void(Entrees&, double)> bouger;
            double incertitude;
        };
        const Entree entrees[] = {
            {[](Entrees& x, double d) { x.v0Vert *= 1 + d; }, u.v0Relative},
            {[](Entrees& x, double d) { x.v0Rouge *= 1 + d; }, u.v0Relative},
            {[](Entrees& x, double d) { x.vVert += d; }, u.volts},
            {[](Entrees& x, double d) { x.vRouge += d; }, u.volts},
            {[](Entrees& x, double d) { x.pression += d; }, u.pressionHpa},
            {[](Entrees& x, double d) { x.ozone *= 1 + d; }, u.ozoneRelative},
        };
        double vert = 0, rouge = 0, angstrom = 0;
        for (const Entree& x : entrees) {
            const double pas = x.incertitude * 1e-4;
            Entrees plus = e, moins = e;
            x.bouger(plus, pas);
            x.bouger(moins, -pas);
            const Sorties p = Calculer(plus), m = Calculer(moins);
            const double k = x.incertitude / (2 * pas);
            vert += std::pow((p.vert - m.vert) * k, 2);
            rouge += std::pow((p.rouge - m.rouge) * k, 2);
            angstrom += std::pow((p.angstrom - m.angstrom) * k, 2);
        }
        const Trajet t{e.distance, e.masseAir, e.masseOzone, e.pression};
        const IncertitudeAerosol r = Incertitudes(
            {e.vVert, e.v0Vert, e.vn, *TauRayleigh(505, e.pression), *TauOzone(505, e.ozone)},
            {e.vRouge, e.v0Rouge, e.vn, *TauRayleigh(625, e.pression), *TauOzone(625, e.ozone)}, t,
            505, 625, u);
        EXPECT_NEAR(*r.vert / std::sqrt(vert), 1, 1e-5) << c.cas;
        EXPECT_NEAR(*r.rouge / std::sqrt(rouge), 1, 1e-5) << c.cas;
        EXPECT_NEAR(*r.angstrom / std::sqrt(angstrom), 1, 1e-5) << c.cas;
        EXPECT_GT(centre.vert, 0) << c.cas;
    }
}

TEST(Aerosol, V0DominatesAndNoAlphaWithoutTwoPositiveDepths) {
    // 1.5 % on V0 is 0.015/m in depth: at m = 1 it is most of the total.
    const Trajet t{1, 1, 1, 1013.25};
    const VoieAerosol vert{1.6, 2.0, 0.01, 0.1376, 0.0123};
    const IncertitudeAerosol r = Incertitudes(vert, vert, t, 505, 625);
    EXPECT_GT(*r.vert, 0.015);
    EXPECT_LT(*r.vert, 0.0155);
    // Equal depths give α = 0, with its uncertainty.
    EXPECT_TRUE(r.angstrom);
    const VoieAerosol clair{2.5, 2.0, 0.01, 0.1376, 0.0123};  // negative depth
    const IncertitudeAerosol n = Incertitudes(vert, clair, t, 505, 625);
    EXPECT_TRUE(n.vert);
    EXPECT_TRUE(n.rouge);
    EXPECT_FALSE(n.angstrom);
    const VoieAerosol sombre{0.005, 2.0, 0.01, 0.1376, 0.0123};  // V ≤ Vn
    EXPECT_FALSE(ProfondeurAerosol(sombre, t));
    EXPECT_FALSE(Incertitudes(sombre, vert, t, 505, 625).vert);
}

TEST(PressionStation, StandardAtmosphereAndTheRemark) {
    // U.S. Standard Atmosphere (1976): 1013.25 hPa at sea level, 898.76 at
    // 1000 m, 795.01 at 2000 m, 540.48 at 5000 m.
    struct Cas {
        double altitude, pression;
    };
    const Cas table[] = {{0, 1013.25}, {1000, 898.76}, {2000, 795.01}, {5000, 540.48}};
    for (const Cas& c : table) EXPECT_NEAR(PressionStandard(c.altitude), c.pression, 0.3);

    struct Remarque {
        double pression, altitude;
        bool dite;
    };
    const Remarque remarques[] = {{1013, 1500, true}, {845, 1500, false}, {1013, 0, false},
                                  {950, 0, true},     {1060, 0, false},   {790, 2000, false}};
    for (const Remarque& r : remarques)
        EXPECT_EQ(RemarquePression(r.pression, r.altitude).has_value(), r.dite)
            << r.pression << " hPa at " << r.altitude << " m";
    EXPECT_EQ(*RemarquePression(1013, 1500),
              "pression de 1013 hPa, loin des 845,6 hPa de l'atmosphère standard à 1500 m "
              "d'altitude : lue au niveau de la mer ? Les épaisseurs optiques en dépendent "
              "(--pression HPA pour donner celle de la station)");
}

}  // namespace
}  // namespace science
