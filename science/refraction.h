#pragma once

// Atmospheric refraction from the sun's true (geometric) elevation, down to
// the horizon and a little below it.
namespace science {

// The apparent elevation (degrees) of a body at true elevation hVraie, for
// the air's pressure (hPa; 0 or less: no refraction) and temperature (°C).
// Above 5° it is the model of the IAU SOFA routines (eraRefco's A tan z +
// B tan³ z, as eraAtioq applies it); below, where that model fails,
// Sæmundsson (1986), Sky & Telescope 72, 70, in the form Meeus (1998,
// Astronomical Algorithms, ch. 16) gives, scaled by P/1010 × 283/(273 + T),
// shifted to meet the first at 5° so that nothing jumps.
double ElevationApparente(double hVraie, double pressionHpa, double temperatureC);

// Sæmundsson's refraction in degrees at true elevation h, 1010 hPa and 10 °C.
double RefractionSaemundsson(double h);

}  // namespace science
