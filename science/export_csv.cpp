#include "science/export_csv.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "science/fuseau.h"
#include "science/nombres.h"

namespace science {

namespace {

std::string DateHeure(int64_t secondes) {
    using namespace std::chrono;
    const sys_seconds t{seconds{secondes}};
    const sys_days jour = floor<days>(t);
    const year_month_day ymd{jour};
    const hh_mm_ss hms{t - jour};
    char texte[64];
    std::snprintf(texte, sizeof texte, "%04d-%02u-%02uT%02ld:%02ld:%02ld",
                  static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()), static_cast<long>(hms.hours().count()),
                  static_cast<long>(hms.minutes().count()),
                  static_cast<long>(hms.seconds().count()));
    return texte;
}

template <typename T>
void Cellule(std::string& ligne, const T& valeur, int decimales) {
    ligne += ',';
    if (valeur) ligne += Point(static_cast<double>(*valeur), decimales);
}

// The same digits as Point for the small values of the gases and the
// uncertainties, without its general conversion: the value scaled to an
// integer, unless it lies too near a half for the scaling to round alike.
void CelluleRapide(std::string& ligne, NombreFacultatif valeur, int decimales) {
    ligne += ',';
    if (!valeur) return;
    static constexpr double Puissances[] = {1, 10, 100, 1000, 10000};
    const double echelle = *valeur * Puissances[decimales];
    const double entier = std::floor(std::fabs(echelle));
    const double reste = std::fabs(echelle) - entier;
    if (decimales > 4 || !(std::fabs(echelle) < 1e12) || std::fabs(reste - 0.5) < 1e-6) {
        ligne += Point(*valeur, decimales);
        return;
    }
    auto n = static_cast<long long>(entier) + (reste > 0.5 ? 1 : 0);
    if (n != 0 && echelle < 0) ligne += '-';
    char chiffres[32];
    int k = 0;
    for (int i = 0; i <= decimales || n > 0; ++i) {
        chiffres[k++] = static_cast<char>('0' + n % 10);
        n /= 10;
        if (i + 1 == decimales) chiffres[k++] = '.';
    }
    while (k > 0) ligne += chiffres[--k];
}

}  // namespace

std::string IsoUtc(int64_t utc) {
    return DateHeure(utc) + "Z";
}

std::string IsoLocal(int64_t utc, int32_t decalage) {
    return DateHeure(utc + decalage) + TexteDecalage(decalage);
}

void EcrireCsv(std::ostream& sortie, const std::vector<Resultat>& resultats, const Site& site) {
    sortie << EnTeteCsv << "\r\n";
    const std::string lieu = "," + Point(site.latitude, 6) + "," + Point(site.longitude, 6) + "," +
                             Point(site.altitude, 1);
    std::string ligne;
    for (const Resultat& r : resultats) {
        ligne.clear();
        if (r.utc) {
            ligne += IsoUtc(*r.utc);
            ligne += ',';
            ligne += IsoLocal(*r.utc, r.decalage);
        } else {
            ligne += ',';
        }
        ligne += lieu;
        Cellule(ligne, r.pression, 0);
        Cellule(ligne, r.elevation, 4);
        Cellule(ligne, r.masseAir, 4);
        Cellule(ligne, r.vVert, 3);
        Cellule(ligne, r.vRouge, 3);
        Cellule(ligne, r.eoVert, 4);
        Cellule(ligne, r.eoRouge, 4);
        Cellule(ligne, r.angstrom, 3);
        Cellule(ligne, r.temperature, 0);
        // No field can hold a comma, a quote or a line end: none is quoted.
        ligne += r.mode == Mode::Simple ? ",simple," : ",continu,";
        ligne += std::to_string(r.ligne);
        CelluleRapide(ligne, r.ozoneDu, 1);
        CelluleRapide(ligne, r.tauRayleighVert, 4);
        CelluleRapide(ligne, r.tauRayleighRouge, 4);
        CelluleRapide(ligne, r.tauOzoneVert, 4);
        CelluleRapide(ligne, r.tauOzoneRouge, 4);
        CelluleRapide(ligne, r.uEoVert, 4);
        CelluleRapide(ligne, r.uEoRouge, 4);
        CelluleRapide(ligne, r.uAngstrom, 3);
        // The screening's words hold no comma, quote or line end either.
        ligne += ',';
        if (r.critere) {
            ligne += r.niveau20 && *r.critere == Critere::Aucun ? "2.0" : NiveauCritere(*r.critere);
            ligne += ',';
            ligne += NomCritere(*r.critere);
        } else {
            ligne += ',';
        }
        ligne += "\r\n";
        sortie << ligne;
    }
}

}  // namespace science
