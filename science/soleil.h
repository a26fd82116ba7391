#pragma once

#include <cstdint>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "science/site.h"

// The sun's place in the sky seen from a site, from the IAU SOFA routines
// (ERFA): ephemeris of the Earth, precession-nutation, Earth rotation, the
// observer's parallax, annual and diurnal aberration, and refraction.
namespace science {

// TT − UT1 in seconds. The default is near its value in the 2020s (69 s);
// a second of error moves the sun by 0.004° at most.
inline constexpr double DeltaTDefaut = 69.0;

struct Meteo {
    double pressionHpa = 1013.25;  // 0: no refraction
    double temperatureC = 15.0;
};

struct PositionSoleil {
    double elevationVraie = 0;      // degrees, geometric (topocentric, unrefracted)
    double elevationApparente = 0;  // degrees, refracted
    double azimut = 0;              // degrees from north through east
    double distance = 0;            // Earth–Sun, astronomical units
};

// utc: seconds since 1970-01-01 00:00 UTC. UT1 is taken as UTC (they differ
// by under 0.9 s) and TT as UT1 + deltaT.
PositionSoleil CalculerPositionSoleil(double utc, const Site& site, const Meteo& meteo,
                                      double deltaT = DeltaTDefaut);

// The same for many instants: the slowly changing part (the Earth's
// ephemeris, precession-nutation) is computed every three hours and
// interpolated by a parabola through three nodes, which moves the result by
// less than 1e-7° (a day's records share half a dozen ephemerides); leaving
// UT1 − UTC out moves it by up to 0.004°. Records stamped to the
// second come many to an instant: the last instant's result is kept.
class Soleil {
  public:
    explicit Soleil(double deltaT = DeltaTDefaut) : deltaT_(deltaT) {}
    PositionSoleil Position(double utc, const Site& site, const Meteo& meteo);

    struct Lent {
        double ebpv[2][3];  // Earth, barycentric position (AU) and velocity (AU/day)
        double ehp[3];      // Earth, heliocentric position (AU)
        double x, y, s;     // CIP and CIO locator
    };

  private:
    const Lent& Noeud(int64_t noeud);

    double deltaT_;
    std::unordered_map<int64_t, Lent> noeuds_;
    // The instant, the place and the sky last asked for, and the answer.
    using Question = std::tuple<double, double, double, double, double, double>;
    std::optional<std::pair<Question, PositionSoleil>> dernier_;
};

}  // namespace science
