#include "science/export_csv.h"

#include <chrono>
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
void Cellule(std::string& ligne, const std::optional<T>& valeur, int decimales) {
    ligne += ',';
    if (valeur) ligne += Point(static_cast<double>(*valeur), decimales);
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
        Cellule(ligne, r.ozoneDu, 1);
        Cellule(ligne, r.tauRayleighVert, 4);
        Cellule(ligne, r.tauRayleighRouge, 4);
        Cellule(ligne, r.tauOzoneVert, 4);
        Cellule(ligne, r.tauOzoneRouge, 4);
        Cellule(ligne, r.uEoVert, 4);
        Cellule(ligne, r.uEoRouge, 4);
        Cellule(ligne, r.uAngstrom, 3);
        // The screening's words hold no comma, quote or line end either.
        ligne += ',';
        ligne += r.niveau;
        ligne += ',';
        ligne += r.filtre;
        ligne += "\r\n";
        sortie << ligne;
    }
}

}  // namespace science
