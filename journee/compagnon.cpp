#include "journee/compagnon.h"

#include <unistd.h>

#include <filesystem>

namespace journee {

std::string Compagnon(const std::string& ici, const std::string& nom, const std::string& dossier) {
    if (!ici.empty())
        for (const std::string& candidat : {ici + "/" + nom, ici + "/../" + dossier + "/" + nom})
            if (::access(candidat.c_str(), X_OK) == 0 && !std::filesystem::is_directory(candidat))
                return candidat;
    return nom;
}

std::string DossierDuProgramme() {
    std::error_code e;
    const auto soi = std::filesystem::read_symlink("/proc/self/exe", e);
    return e ? std::string() : soi.parent_path().string();
}

}  // namespace journee
