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

}  // namespace archive
