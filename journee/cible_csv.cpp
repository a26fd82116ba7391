#include "journee/cible_csv.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <system_error>

#include "recording/fichiers_programme.h"
#include "science/fichier_journee.h"

namespace journee {

bool MemeFichier(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code e1, e2;
    const auto ca = std::filesystem::weakly_canonical(std::filesystem::absolute(a, e1), e1);
    const auto cb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, e2), e2);
    return !e1 && !e2 && ca == cb;
}

std::optional<std::string> RefusCible(const std::string& cible, const std::string& entree,
                                      const std::vector<std::string>& dossiersProgramme) {
    const std::string debut = "--csv : « " + cible + " » ";
    if (MemeFichier(cible, entree))
        return debut + "est le fichier de mesures lu : il ne sera pas écrasé";
    // Absolute paths: a missing file is judged by its place, and a relative
    // place cannot be compared with another.
    std::error_code erreur;
    const std::string absolue = std::filesystem::absolute(cible, erreur).string();
    for (const std::string& dossier : dossiersProgramme)
        if (const auto nom = recording::FichierDuProgramme(
                absolue, std::filesystem::absolute(dossier, erreur).string()))
            return debut + "est le fichier " + *nom + " du programme : il ne sera pas écrasé";
    if (science::FichierDeMesures(cible))
        return debut + "est un fichier de mesures : il ne sera pas écrasé";
    return std::nullopt;
}

}  // namespace journee
