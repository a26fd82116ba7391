#include "archivage/ouverture_jour.h"

#include <charconv>

#include "archive/fichiers_jour.h"
#include "archive/lecture.h"

namespace archivage {

namespace {

// The shortest text that reads back to the same double.
std::string Exact(double valeur) {
    char texte[32];
    const auto [fin, erreur] = std::to_chars(texte, texte + sizeof texte, valeur);
    return erreur == std::errc() ? std::string(texte, fin) : std::to_string(valeur);
}

}  // namespace

SourceJour TrouverSource(archive::Archive& a, const archive::ResumeJour& jour) {
    SourceJour s;
    const auto fichiers = archive::FichiersDuJour(a, jour.jour, jour.instrument, jour.site);
    if (fichiers.empty()) return s;
    const archive::FichierDuJour& f = fichiers.front();
    const archive::FichierArchive details = archive::Fichier(a, f.id);
    s.chemin = f.chemin;
    // A file merged from another station's archive names a path of its disks.
    s.intact = f.origine.empty() && archive::OctetsIntacts(f.chemin, f.taille, f.empreinte);
    s.site = details.reglages.site;
    s.annee = details.reglages.annee;
    s.ozone = details.reglages.ozone;
    return s;
}

std::vector<std::string> CommandeJour(const std::string& archive, const archive::ResumeJour& jour,
                                      const SourceJour& source,
                                      std::optional<science::DemiJour> demi) {
    const std::string moitie = demi == science::DemiJour::Matin ? "matin"
                               : demi                           ? "apres-midi"
                                                                : "";
    if (!source.intact) {
        std::vector<std::string> arguments = {"--archive",    archive,
                                              "--jour",       archive::TexteDate(jour.jour),
                                              "--instrument", jour.instrument};
        // A half-day clicked may come without its site: the view then takes the day's.
        if (!jour.site.empty()) arguments.insert(arguments.end(), {"--site", jour.site});
        if (demi) arguments.insert(arguments.end(), {"--demi-journee", moitie});
        return arguments;
    }
    const science::Site& site = source.site;
    // The view adds what the file gains to the same archive.
    std::vector<std::string> arguments = {
        source.chemin, "--archive", archive, "--site",
        Exact(site.latitude) + "," + Exact(site.longitude) + "," + Exact(site.altitude)};
    if (!site.fuseau.empty()) arguments.insert(arguments.end(), {"--fuseau", site.fuseau});
    if (source.annee) arguments.insert(arguments.end(), {"--annee", std::to_string(*source.annee)});
    if (source.ozone) arguments.insert(arguments.end(), {"--ozone", Exact(*source.ozone)});
    if (demi)
        arguments.insert(arguments.end(),
                         {"--demi-journee", archive::TexteDate(jour.jour) + "," + moitie});
    return arguments;
}

}  // namespace archivage
