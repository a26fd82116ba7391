#include "archive/fichiers_jour.h"

#include <sys/stat.h>

#include <fstream>

#include "archive/empreinte.h"
#include "archive/lecture.h"

namespace archive {

std::vector<FichierDuJour> FichiersDuJour(Archive& archive, const science::Date& jour,
                                          const std::optional<std::string>& instrument,
                                          const std::optional<std::string>& site) {
    Requete r(archive.Base(),
              "SELECT f.id, f.chemin, f.origine, f.taille, f.empreinte, j.instrument, s.nom, "
              "(SELECT count(*) FROM mesures m JOIN series e ON e.id = m.serie WHERE e.fichier "
              "= f.id) AS n FROM jours_fichiers j JOIN fichiers f ON f.id = j.fichier JOIN sites "
              "s ON s.id = j.site WHERE j.jour = ? AND (? IS NULL OR j.instrument = ?) AND (? IS "
              "NULL OR s.nom = ?) ORDER BY n DESC, f.id DESC");
    r.Lier(1, TexteDate(jour)).Lier(2, instrument).Lier(3, instrument).Lier(4, site).Lier(5, site);
    std::vector<FichierDuJour> fichiers;
    while (r.Pas()) {
        FichierDuJour f;
        f.id = r.Entier(0);
        f.chemin = r.Texte(1);
        f.origine = r.Texte(2);
        f.taille = r.Entier(3);
        f.empreinte = r.Texte(4);
        f.instrument = r.Texte(5);
        f.site = r.Texte(6);
        f.enregistrements = r.Entier(7);
        fichiers.push_back(std::move(f));
    }
    return fichiers;
}

bool OctetsIntacts(const std::string& chemin, int64_t taille, const std::string& empreinte) {
    struct stat st {};
    if (::stat(chemin.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < taille)
        return false;
    std::ifstream f(chemin, std::ios::binary);
    Empreinte e;
    std::string bloc(64 * 1024, '\0');
    int64_t reste = taille;
    while (reste > 0 && f) {
        f.read(bloc.data(), static_cast<std::streamsize>(std::min<int64_t>(reste, 64 * 1024)));
        const auto n = f.gcount();
        if (n <= 0) return false;
        e.Ajouter(std::string_view(bloc.data(), static_cast<size_t>(n)));
        reste -= n;
    }
    return reste == 0 && e.Hex() == empreinte;
}

}  // namespace archive
