#include "saisons/texte_jour.h"

#include "platform/numbers.h"

namespace saisons {

namespace {

constexpr const char* NomsMois[] = {"janvier",   "février", "mars",     "avril",
                                    "mai",       "juin",    "juillet",  "août",
                                    "septembre", "octobre", "novembre", "décembre"};

// "vert 0,102 (0,095–0,110)", or "vert —" without a level-1.5 value.
std::string Valeur(const char* nom, const std::optional<archive::Plage>& plage, int decimales) {
    std::string texte = nom;
    if (!plage) return texte + " —";
    return texte + " " + FormatFixe(plage->mediane, decimales) + " (" +
           FormatFixe(plage->min, decimales) + "–" + FormatFixe(plage->max, decimales) + ")";
}

std::string Comptes(const archive::ResumeJour& j) {
    return TexteEntier(j.enregistrements) + (j.enregistrements > 1 ? " mesures" : " mesure") +
           " dont " + TexteEntier(j.niveau15) + " de niveau 1,5" +
           (j.niveau20 > 0 ? " et " + TexteEntier(j.niveau20) + " de niveau 2,0" : "");
}

// Everything after the date.
std::string Chiffres(const archive::ResumeJour& j) {
    if (!j.vert && !j.rouge && !j.angstrom) return "aucune valeur de niveau 1,5, " + Comptes(j);
    // Each value has one level: the day's level-2.0 records' when it has any.
    return std::string(j.NiveauDeux() ? "niveau 2,0" : "niveau 1,5") + " : " +
           Valeur("vert", j.vert, 3) + ", " + Valeur("rouge", j.rouge, 3) + ", " +
           Valeur("α", j.angstrom, 2) + ", " + Comptes(j);
}

}  // namespace

std::string DateEnFrancais(const science::Date& d) {
    const std::string mois = d.mois >= 1 && d.mois <= 12 ? NomsMois[d.mois - 1] : "?";
    return (d.jour == 1 ? std::string("1er") : std::to_string(d.jour)) + " " + mois + " " +
           std::to_string(d.annee);
}

std::string TexteJour(const archive::ResumeJour& j) {
    return DateEnFrancais(j.jour) + " — " + Chiffres(j);
}

std::string TexteJours(const std::vector<archive::ResumeJour>& jours) {
    if (jours.empty()) return {};
    if (jours.size() == 1) return TexteJour(jours.front());
    std::string texte = DateEnFrancais(jours.front().jour);
    for (const archive::ResumeJour& j : jours)
        texte += "\n" + j.site + ", n° " + j.instrument + " — " + Chiffres(j);
    return texte;
}

}  // namespace saisons
