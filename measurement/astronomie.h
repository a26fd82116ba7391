#pragma once

namespace measurement {

// Earth–Sun distance in astronomical units for a day of the year (1 on
// 1 January): about 0.9833 early in January, 1.0167 early in July.
double DistanceTerreSoleil(int jourDeLAnnee);

}  // namespace measurement
