#pragma once

#include <cstdint>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "tools/simulator/protocole.h"

// Where the measured counts come from: a clear-sky day at a mid-latitude site,
// or a file of counts.
namespace simulateur {

constexpr double TauRayleighVert = 0.138;
constexpr double TauRayleighRouge = 0.058;
constexpr double TauAerosolVert = 0.15;
constexpr double TauAerosolRouge = 0.10;
// About 21 degrees Celsius once the program has converted it.
constexpr double TemperatureMoyenne = 780.0;
// A count of 1023 reads as 5.00 V, which the program takes for a fault.
constexpr uint16_t CompteMax = 1022;

struct Site {
    double latitude = 45.0;  // degrees, north positive
    double longitude = 5.0;  // degrees, east positive
};

// Degrees above the horizon at that moment; negative at night.
double ElevationSoleil(const Site& site, std::time_t instant);
// The moment of the highest sun, at the minute, within twelve hours of
// `autour`: the site's solar noon nearest to it.
std::time_t MidiSolaire(const Site& site, std::time_t autour);
// What to type as the sun's elevation in the program for the sky at that
// moment, in French: the whole degrees the program takes and the elevation
// to a tenth, or, with the sun too low for a measurement, that the
// measurements stay dark and how to get a day.
std::string ElevationATaper(const Site& site, std::time_t instant);
// Astronomical units, on day 1 to 366 of the year, as the program reckons it.
double DistanceTerreSoleil(int jour);

// The counts without noise, for aerosol optical depths given per channel;
// the calibration gives V0 and the dark voltage Vn of each channel.
Comptes ComptesAttendus(const Site& site, const Identification& calibrage, std::time_t instant,
                        double tauAerosolVert, double tauAerosolRouge);

// A clear sky with a little noise: aerosols wander slowly around their
// typical depth, the counts jitter by about one, the temperature drifts.
class TCielClair {
  public:
    TCielClair(Site site, Identification calibrage, uint32_t graine);
    Comptes Mesurer(std::time_t instant);

  private:
    Site site_;
    Identification calibrage_;
    std::mt19937 alea_;
};

// Lines "green red temperature" (integers separated by blanks or ";"); empty
// lines and lines starting with "#" are skipped. Errors are raised as
// std::runtime_error with a French text.
std::vector<Comptes> LireFichierComptes(const std::string& chemin);

}  // namespace simulateur
