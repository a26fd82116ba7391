#include "science/sous_horizon.h"

#include <algorithm>
#include <cstdio>

#include "platform/numbers.h"

namespace science {
namespace {

struct Jour {
    int64_t jour;  // days since 1970
    int secondes;  // in the day
};

Jour Decouper(int64_t local) {
    int64_t jour = local / 86400;
    int64_t secondes = local % 86400;
    if (secondes < 0) {
        secondes += 86400;
        --jour;
    }
    return {jour, static_cast<int>(secondes)};
}

std::string Heure(int secondes) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "%02d:%02d:%02d", secondes / 3600, secondes / 60 % 60,
                  secondes % 60);
    return texte;
}

// "7/12 à 22:10:00", for a span that crosses midnight.
std::string DateHeure(const Jour& j) {
    // Howard Hinnant's civil-from-days (2013), for the day and month.
    const int64_t z = j.jour + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t jour = doy - (153 * mp + 2) / 5 + 1;
    const int64_t mois = mp < 10 ? mp + 3 : mp - 9;
    return "le " + std::to_string(jour) + "/" + std::to_string(mois) + " à " + Heure(j.secondes);
}

std::string Degres(double valeur) {
    return FormatFixe(valeur, 1) + "°";
}

}  // namespace

bool SoleilSousHorizon(const Resultat& r) {
    return r.elevation.has_value() && !r.masseAir.has_value();
}

void SousHorizon::Ajouter(const Resultat& r) {
    ++total_;
    if (!SoleilSousHorizon(r)) return;
    ++nombre_;
    if (r.utc) {
        const int64_t local = *r.utc + r.decalage;
        premier_ = premier_ ? std::min(*premier_, local) : local;
        dernier_ = dernier_ ? std::max(*dernier_, local) : local;
    }
    elevationMin_ = elevationMin_ ? std::min(*elevationMin_, *r.elevation) : *r.elevation;
    elevationMax_ = elevationMax_ ? std::max(*elevationMax_, *r.elevation) : *r.elevation;
}

std::string SousHorizon::Phrase() const {
    if (nombre_ == 0) return "";
    std::string quand;
    if (premier_ && dernier_) {
        const Jour a = Decouper(*premier_), b = Decouper(*dernier_);
        if (*premier_ == *dernier_)
            quand = " à " + Heure(a.secondes);
        else if (a.jour == b.jour)
            quand = " entre " + Heure(a.secondes) + " et " + Heure(b.secondes);
        else
            quand = " entre " + DateHeure(a) + " et " + DateHeure(b);
    }
    const std::string soleil =
        *elevationMin_ == *elevationMax_
            ? " (soleil à " + Degres(*elevationMin_) + ")"
            : " (soleil de " + Degres(*elevationMin_) + " à " + Degres(*elevationMax_) + ")";
    if (nombre_ == total_) {
        const std::string lesquels = nombre_ == 1
                                         ? "le seul enregistrement"
                                         : "les " + std::to_string(nombre_) + " enregistrements";
        return "Aucune épaisseur optique : le soleil était sous l'horizon pour " + lesquels +
               quand + soleil + ".";
    }
    return std::to_string(nombre_) + (nombre_ == 1 ? " enregistrement" : " enregistrements") +
           " sur " + std::to_string(total_) +
           " sans épaisseur optique : le soleil était sous l'horizon" + quand + soleil + ".";
}

}  // namespace science
