#include "archive/entretien.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/localisation.h"

namespace archive {

void Sauvegarder(Archive& archive, const std::string& cible) {
    namespace fs = std::filesystem;
    const std::string temporaire =
        (fs::path(cible).parent_path() / ("." + fs::path(cible).filename().string() + ".copie"))
            .string();
    std::remove(temporaire.c_str());
    try {
        Connexion copie(temporaire, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, cible);
        sqlite3_backup* b = sqlite3_backup_init(copie.Get(), "main", archive.Base().Get(), "main");
        if (b == nullptr) copie.Echec(sqlite3_errcode(copie.Get()), "Copie impossible");
        // Pages a few at a time: a writer meanwhile restarts the copy
        // rather than waiting behind it.
        int code = SQLITE_OK;
        do {
            code = sqlite3_backup_step(b, 256);
            if (code == SQLITE_BUSY || code == SQLITE_LOCKED) sqlite3_sleep(20);
        } while (code == SQLITE_OK || code == SQLITE_BUSY || code == SQLITE_LOCKED);
        sqlite3_backup_finish(b);
        if (code != SQLITE_DONE) copie.Echec(code, "Copie impossible");
        // The copy stands alone: its journal back in the file itself.
        copie.Executer("PRAGMA journal_mode = DELETE");
    } catch (...) {
        std::remove(temporaire.c_str());
        throw;
    }
    const int f = ::open(temporaire.c_str(), O_RDONLY | O_CLOEXEC);
    const bool sur = f >= 0 && ::fsync(f) == 0;
    const int erreur = errno;
    if (f >= 0) ::close(f);
    if (!sur || std::rename(temporaire.c_str(), cible.c_str()) != 0) {
        const int e = sur ? errno : erreur;
        std::remove(temporaire.c_str());
        throw ErreurArchive("Impossible d'écrire la copie « " + cible +
                            " » : " + localisation::SystemErrorText(e));
    }
}

std::vector<std::string> Verifier(Archive& archive) {
    std::vector<std::string> defauts;
    {
        Requete r(archive.Base(), "PRAGMA integrity_check");
        while (r.Pas())
            if (r.Texte(0) != "ok") defauts.push_back("intégrité : " + r.Texte(0));
    }
    Requete r(archive.Base(), "PRAGMA foreign_key_check");
    while (r.Pas())
        defauts.push_back("la table " + r.Texte(0) + " (ligne " + std::to_string(r.Entier(1)) +
                          ") renvoie à une ligne absente de " + r.Texte(2));
    return defauts;
}

}  // namespace archive
