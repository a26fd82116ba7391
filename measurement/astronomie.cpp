#include "measurement/astronomie.h"

#include <cmath>
#include <numbers>

namespace measurement {

double DistanceTerreSoleil(int jourDeLAnnee) {
    return 0.99972111 / (1.0 + 0.0167 * std::cos(2.0 * std::numbers::pi * jourDeLAnnee / 365.25));
}

}  // namespace measurement
