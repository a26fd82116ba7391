#include "archivage/saisons_archive.h"

#include <sys/stat.h>

#include <cerrno>

#include "archivage/commandes.h"
#include "archive/archive.h"
#include "saisons/montrer.h"

namespace archivage {

saisons::SourceJours SourceArchive(std::string chemin) {
    return [chemin = std::move(chemin)](const archive::ChoixJours& choix) {
        struct stat st {};
        if (::stat(chemin.c_str(), &st) != 0 && errno == ENOENT)
            throw saisons::ArchiveAbsente{chemin};
        archive::Archive a(chemin, archive::Acces::Lecture);
        return archive::Jours(a, choix);
    };
}

int MontrerSaisons(const Options& o, int argc, char** argv) {
    const std::string chemin = o.archive ? *o.archive : ArchiveParDefaut();
    return saisons::Montrer(argc, argv, SourceArchive(chemin));
}

}  // namespace archivage
