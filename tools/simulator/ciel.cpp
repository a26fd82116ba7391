#include "tools/simulator/ciel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <sstream>
#include <stdexcept>

namespace simulateur {
namespace {

constexpr double Pi = std::numbers::pi;

double Radians(double degres) {
    return degres * Pi / 180.0;
}

int JourLocal(std::time_t instant) {
    std::tm local{};
    localtime_r(&instant, &local);
    return local.tm_yday + 1;
}

double TensionCanal(double v0, double vn, double d, double elevation, double tau) {
    if (elevation <= 0.0) return vn;
    const double masseAir = 1.0 / std::sin(Radians(elevation));
    return v0 / (d * d) * std::exp(-tau * masseAir) + vn;
}

uint16_t Compte(double tension, double bruit) {
    const double c = std::nearbyint(tension / VoltsParCompte + bruit);
    return static_cast<uint16_t>(std::clamp(c, 0.0, double{CompteMax}));
}

// Slow enough that successive frames look steady, fast enough to be seen
// in a session.
double TemperatureLente(std::time_t instant) {
    const double t = static_cast<double>(instant);
    return TemperatureMoyenne + 6.0 * std::sin(2 * Pi * t / 3600.0) +
           2.0 * std::sin(2 * Pi * t / 900.0 + 1.0);
}

}  // namespace

double ElevationSoleil(const Site& site, std::time_t instant) {
    std::tm utc{};
    gmtime_r(&instant, &utc);
    const double heures = utc.tm_hour + utc.tm_min / 60.0 + utc.tm_sec / 3600.0;
    // Fractional year, then the declination and the equation of time by their
    // usual Fourier series.
    const double g = 2 * Pi / 365.0 * (utc.tm_yday + (heures - 12.0) / 24.0);
    const double equationTemps =
        229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                  0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
    const double declinaison = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) -
                               0.006758 * std::cos(2 * g) + 0.000907 * std::sin(2 * g) -
                               0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    const double minutesSolaires = heures * 60.0 + equationTemps + 4.0 * site.longitude;
    const double angleHoraire = Radians(minutesSolaires / 4.0 - 180.0);
    const double lat = Radians(site.latitude);
    const double s = std::sin(lat) * std::sin(declinaison) +
                     std::cos(lat) * std::cos(declinaison) * std::cos(angleHoraire);
    return std::asin(std::clamp(s, -1.0, 1.0)) * 180.0 / Pi;
}

std::time_t MidiSolaire(const Site& site, std::time_t autour) {
    std::time_t midi = autour;
    double plusHaute = ElevationSoleil(site, autour);
    for (std::time_t t = autour - 12 * 3600; t <= autour + 12 * 3600; t += 60) {
        const double e = ElevationSoleil(site, t);
        if (e > plusHaute) {
            plusHaute = e;
            midi = t;
        }
    }
    return midi;
}

std::string ElevationATaper(const Site& site, std::time_t instant) {
    const double elevation = ElevationSoleil(site, instant);
    char degres[16];
    std::snprintf(degres, sizeof degres, "%.1f", elevation);
    std::string texte = degres;
    std::replace(texte.begin(), texte.end(), '.', ',');
    if (texte == "-0,0") texte = "0,0";
    // The program takes whole degrees, from 1 to 90.
    const long entier = std::lround(elevation);
    if (entier < 1)
        return "Le soleil simulé est sous l'horizon (" + texte +
               "°) : les mesures restent à la tension de noir (« ------ ») ; --midi ou "
               "--heure HH:MM donne un ciel de jour.";
    return "Angle d'élévation à taper dans Solvenare : " + std::to_string(entier) +
           " (le soleil simulé est à " + texte + "° en ce moment).";
}

double DistanceTerreSoleil(int jour) {
    return 0.99972111 / (1.0 + 0.0167 * std::cos(2 * Pi * jour / 365.25));
}

Comptes ComptesAttendus(const Site& site, const Identification& calibrage, std::time_t instant,
                        double tauAerosolVert, double tauAerosolRouge) {
    const double elevation = ElevationSoleil(site, instant);
    const double d = DistanceTerreSoleil(JourLocal(instant));
    const double vert =
        TensionCanal(TensionDeCompte(calibrage.v0Vert), TensionDeCompte(calibrage.vnVert), d,
                     elevation, TauRayleighVert + tauAerosolVert);
    const double rouge =
        TensionCanal(TensionDeCompte(calibrage.v0Rouge), TensionDeCompte(calibrage.vnRouge), d,
                     elevation, TauRayleighRouge + tauAerosolRouge);
    return {Compte(vert, 0.0), Compte(rouge, 0.0), Compte(0.0, TemperatureLente(instant))};
}

TCielClair::TCielClair(Site site, Identification calibrage, uint32_t graine)
    : site_(site), calibrage_(calibrage), alea_(graine) {}

Comptes TCielClair::Mesurer(std::time_t instant) {
    std::normal_distribution<double> petit(0.0, 1.0);
    // Haze thickens and thins over an hour and a half, the same for both
    // channels, as it would.
    const double voile =
        1.0 + 0.15 * std::sin(2 * Pi * static_cast<double>(instant) / 5400.0) + 0.02 * petit(alea_);
    const double elevation = ElevationSoleil(site_, instant);
    const double d = DistanceTerreSoleil(JourLocal(instant));
    const double vert =
        TensionCanal(TensionDeCompte(calibrage_.v0Vert), TensionDeCompte(calibrage_.vnVert), d,
                     elevation, TauRayleighVert + TauAerosolVert * voile);
    const double rouge =
        TensionCanal(TensionDeCompte(calibrage_.v0Rouge), TensionDeCompte(calibrage_.vnRouge), d,
                     elevation, TauRayleighRouge + TauAerosolRouge * voile);
    return {Compte(vert, 0.4 * petit(alea_)), Compte(rouge, 0.4 * petit(alea_)),
            Compte(0.0, TemperatureLente(instant) + 0.4 * petit(alea_))};
}

std::vector<Comptes> LireFichierComptes(const std::string& chemin) {
    std::ifstream fichier(chemin);
    if (!fichier) throw std::runtime_error("Fichier introuvable : " + chemin);
    std::vector<Comptes> comptes;
    std::string ligne;
    int numero = 0;
    while (std::getline(fichier, ligne)) {
        ++numero;
        if (!ligne.empty() && ligne.back() == '\r') ligne.pop_back();
        std::replace(ligne.begin(), ligne.end(), ';', ' ');
        std::istringstream mots(ligne);
        std::string premier;
        if (!(mots >> premier) || premier.front() == '#') continue;
        mots.seekg(0);
        long valeurs[3];
        std::string reste;
        if (!(mots >> valeurs[0] >> valeurs[1] >> valeurs[2]) || (mots >> reste) ||
            std::any_of(valeurs, valeurs + 3, [](long v) { return v < 0 || v > 65535; }))
            throw std::runtime_error(chemin + ", ligne " + std::to_string(numero) +
                                     " : trois comptes entiers de 0 à 65535 attendus (vert "
                                     "rouge température)");
        comptes.push_back({static_cast<uint16_t>(valeurs[0]), static_cast<uint16_t>(valeurs[1]),
                           static_cast<uint16_t>(valeurs[2])});
    }
    if (comptes.empty()) throw std::runtime_error(chemin + " : aucune ligne de comptes");
    return comptes;
}

}  // namespace simulateur
