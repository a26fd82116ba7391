#include "saisons/csv_saisons.h"

#include <cstdio>

#include "science/nombres.h"

namespace saisons {

namespace {

// A site's name is the user's: it may hold a comma, a quote or a line end.
std::string Champ(const std::string& texte) {
    if (texte.find_first_of(",\"\r\n") == std::string::npos) return texte;
    std::string cite = "\"";
    for (char c : texte) {
        if (c == '"') cite += '"';
        cite += c;
    }
    return cite + "\"";
}

void Plage(std::string& ligne, const std::optional<archive::Plage>& plage, int decimales) {
    if (!plage) {
        ligne += ",,,";
        return;
    }
    for (double v : {plage->mediane, plage->min, plage->max}) {
        ligne += ',';
        ligne += science::Point(v, decimales);
    }
}

}  // namespace

std::string LigneCsvSaisons(const archive::ResumeJour& j) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", j.jour.annee, j.jour.mois, j.jour.jour);
    std::string ligne = date;
    ligne += ',' + Champ(j.site) + ',' + Champ(j.instrument) + ',' +
             std::to_string(j.enregistrements) + ',' + std::to_string(j.niveau15);
    // The decimals of the day's CSV.
    Plage(ligne, j.vert, 4);
    Plage(ligne, j.rouge, 4);
    Plage(ligne, j.angstrom, 3);
    ligne += ',' + std::to_string(j.niveau20) + ',';
    if (j.vert || j.rouge || j.angstrom) ligne += j.NiveauDeux() ? "2.0" : "1.5";
    return ligne;
}

void EcrireCsvSaisons(std::ostream& sortie, const std::vector<archive::ResumeJour>& jours) {
    sortie << EnTeteCsvSaisons << "\r\n";
    for (const archive::ResumeJour& j : jours) sortie << LigneCsvSaisons(j) << "\r\n";
}

}  // namespace saisons
