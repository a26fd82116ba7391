#include "archive/lieu.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "archive/archive.h"

namespace archive {

std::string ArchiveParDefaut() {
    struct stat st {};
    if (::stat("Parametres.txt", &st) == 0) return NomArchive;
    std::string installe;
    if (const char* reglage = std::getenv("SOLVENARE_DOSSIER"); reglage && *reglage)
        installe = reglage;
    else if (const char* maison = std::getenv("HOME"); maison && *maison)
        installe = std::string(maison) + "/Solvenare";
    if (!installe.empty() && ::stat(installe.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return installe + "/" + NomArchive;
    return NomArchive;
}

std::string FuseauSysteme() {
    if (const char* tz = std::getenv("TZ"); tz && *tz) return tz;
    char lien[256];
    const ssize_t n = ::readlink("/etc/localtime", lien, sizeof lien - 1);
    if (n <= 0) return "";
    const std::string chemin(lien, static_cast<size_t>(n));
    const auto zoneinfo = chemin.find("zoneinfo/");
    return zoneinfo == std::string::npos ? "" : chemin.substr(zoneinfo + 9);
}

}  // namespace archive
