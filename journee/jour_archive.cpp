#include "journee/jour_archive.h"

#include <set>

#include "archive/fichiers_jour.h"
#include "archive/lecture.h"

namespace journee {

JourArchive LireJourArchive(const std::string& chemin, const science::Date& jour,
                            const std::optional<std::string>& instrument,
                            const std::optional<std::string>& site) {
    archive::Archive a(chemin, archive::Acces::Lecture);
    const auto fichiers = archive::FichiersDuJour(a, jour, instrument, site);
    const std::string quand = "le " + archive::TexteDate(jour);
    if (fichiers.empty())
        throw archive::ErreurArchive(
            "L'archive « " + chemin + " » n'a aucune mesure " + quand +
            (instrument ? " du photomètre n°" + *instrument : std::string()) +
            (site ? " au site " + *site : std::string()));
    std::set<std::string> instruments, sites;
    for (const auto& f : fichiers) {
        instruments.insert(f.instrument);
        sites.insert(f.site);
    }
    if (instruments.size() > 1 || sites.size() > 1)
        throw archive::ErreurArchive(
            "L'archive « " + chemin + " » a " + quand +
            " les mesures de plusieurs photomètres ou sites : choisissez-en un (--instrument N, "
            "--site NOM)");
    const archive::FichierDuJour& choisi = fichiers.front();
    const archive::FichierArchive f = archive::Fichier(a, choisi.id);
    JourArchive j;
    j.source = f.chemin;
    j.instrument = choisi.instrument;
    j.site = choisi.site;
    j.journee = archive::JourneeDe(a, choisi.id);
    j.reglages.site = f.reglages.site;
    j.reglages.annee = f.reglages.annee;
    j.reglages.ozone = f.reglages.ozone;
    j.reglages.modification = f.reglages.modification;
    j.fichiers = fichiers.size();
    return j;
}

}  // namespace journee
