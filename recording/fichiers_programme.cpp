#include "recording/fichiers_programme.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace recording {

namespace {

// The same file, by its device and inode when both exist, otherwise by the
// path that remains once links and dots are resolved.
bool MemeFichier(const std::filesystem::path& a, const std::filesystem::path& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code e1, e2;
    const auto ca = std::filesystem::weakly_canonical(a, e1);
    const auto cb = std::filesystem::weakly_canonical(b, e2);
    return !e1 && !e2 && ca == cb;
}

}  // namespace

const std::vector<std::string>& FichiersDuProgramme() {
    static const std::vector<std::string> noms = {"Parametres.txt", "SitesWeb.txt",
                                                  "Doc_Solvenare.pdf", "Site.txt"};
    return noms;
}

std::optional<std::string> FichierDuProgramme(const std::string& chemin,
                                              const std::string& dossierProgramme) {
    if (chemin.empty()) return std::nullopt;
    const std::filesystem::path dossier(dossierProgramme);
    for (const std::string& nom : FichiersDuProgramme())
        if (MemeFichier(chemin, dossier / nom)) return nom;
    return std::nullopt;
}

}  // namespace recording
