#include "science/refraction.h"

#include <erfa.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace science {

namespace {

constexpr double Degre = std::numbers::pi / 180;
constexpr double Jonction = 5;  // degrees: the SOFA model above, Sæmundsson's below
// Below the horizon the bending is held at its value at −1°: the sun is
// then under it whatever the air does, and the formula's pole is at −5.11°.
constexpr double PlusBasse = -1;

// eraAtioq's refraction for a true elevation h (degrees), in degrees.
double RefractionSofa(double h, double refa, double refb) {
    const double z = std::sin(h * Degre);
    const double r = std::cos(h * Degre);
    const double tz = r / z;
    const double w = refb * tz * tz;
    return (refa + w) * tz / (1 + (refa + 3 * w) / (z * z)) / Degre;
}

}  // namespace

double RefractionSaemundsson(double h) {
    return 1.02 / std::tan((h + 10.3 / (h + 5.11)) * Degre) / 60;
}

double ElevationApparente(double hVraie, double pressionHpa, double temperatureC) {
    if (!(pressionHpa > 0) || !std::isfinite(hVraie)) return hVraie;
    // A file's records share one sky: its coefficients are kept.
    struct Ciel {
        double pression = -1, temperature = 0, refa = 0, refb = 0, echelle = 0, ecart = 0;
    };
    thread_local Ciel ciel;
    if (ciel.pression != pressionHpa || ciel.temperature != temperatureC) {
        ciel.pression = pressionHpa;
        ciel.temperature = temperatureC;
        // Relative humidity 0.5 and 0.55 µm, as the sun's position always took them.
        eraRefco(pressionHpa, temperatureC, 0.5, 0.55, &ciel.refa, &ciel.refb);
        ciel.echelle = pressionHpa / 1010 * 283 / (273 + temperatureC);
        ciel.ecart = RefractionSofa(Jonction, ciel.refa, ciel.refb) -
                     ciel.echelle * RefractionSaemundsson(Jonction);
    }
    if (hVraie >= Jonction) return hVraie + RefractionSofa(hVraie, ciel.refa, ciel.refb);
    return hVraie + ciel.echelle * RefractionSaemundsson(std::max(hVraie, PlusBasse)) + ciel.ecart;
}

}  // namespace science
