#include "archive/archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "archive/schema.h"

namespace archive {

namespace {

constexpr char EnTeteSqlite[] = "SQLite format 3";  // and its NUL: 16 bytes

std::string Dossier(const std::string& chemin) {
    const auto parent = std::filesystem::path(chemin).parent_path();
    return parent.empty() ? "." : parent.string();
}

// Whether the file's first bytes are an SQLite database's; a shorter file
// than a database's header is a truncated one.
bool EnTeteBase(const std::string& chemin, off_t taille) {
    if (taille < 100) return false;
    std::ifstream f(chemin, std::ios::binary);
    char tete[16] = {};
    f.read(tete, sizeof tete);
    return f.gcount() == 16 && std::memcmp(tete, EnTeteSqlite, 16) == 0;
}

// A "file:" URI for the path, its special characters escaped.
std::string Uri(const std::string& chemin, const char* parametres) {
    std::string uri = "file:";
    const std::string absolu = std::filesystem::absolute(chemin).string();
    for (const unsigned char c : absolu) {
        if (c == '%' || c == '?' || c == '#' || c < 0x20) {
            char tampon[4];
            std::snprintf(tampon, sizeof tampon, "%%%02X", c);
            uri += tampon;
        } else {
            uri += static_cast<char>(c);
        }
    }
    return uri + "?" + parametres;
}

}  // namespace

int AttenteArchive() {
    if (const char* reglage = std::getenv("SOLVENARE_ARCHIVE_ATTENTE_MS"); reglage && *reglage) {
        char* fin = nullptr;
        const long ms = std::strtol(reglage, &fin, 10);
        if (fin != nullptr && *fin == '\0' && ms >= 0 && ms <= 3600000) return static_cast<int>(ms);
    }
    return 10000;
}

Archive::Archive(const std::string& chemin, Acces acces) : chemin_(chemin), acces_(acces) {
    const std::string debut = "l'archive « " + chemin + " »";
    struct stat st {};
    const bool existe = ::stat(chemin.c_str(), &st) == 0;
    if (existe && !S_ISREG(st.st_mode))
        throw ErreurArchive("Impossible d'ouvrir " + debut +
                            " : ce n'est pas un fichier ordinaire");
    if (!existe && acces == Acces::Lecture)
        throw ErreurArchive("Impossible d'ouvrir " + debut +
                            " : elle n'existe pas (solvenare-archive importer FICHIER… la crée)");
    // Anything else than a database (a data file given by mistake, a
    // truncated copy) is refused before SQLite could write to it.
    if (existe && st.st_size > 0 && !EnTeteBase(chemin, st.st_size))
        throw ErreurArchive("Impossible d'ouvrir " + debut +
                                (st.st_size < 100 ? " : fichier tronqué, ce n'est pas une archive"
                                                  : " : ce n'est pas une archive de Solvenare") +
                                " (il n'est pas modifié)",
                            SQLITE_NOTADB);
    if (acces == Acces::Ecriture) {
        struct stat dossier {};
        if (::stat(Dossier(chemin).c_str(), &dossier) != 0 || !S_ISDIR(dossier.st_mode))
            throw ErreurArchive("Impossible de créer " + debut + " : le dossier « " +
                                    Dossier(chemin) + " » n'existe pas",
                                SQLITE_CANTOPEN);
        // WAL writes two files beside the archive: the folder must take them.
        if ((existe && ::access(chemin.c_str(), W_OK) != 0) ||
            ::access(Dossier(chemin).c_str(), W_OK) != 0)
            throw ErreurArchive("Impossible d'écrire dans " + debut +
                                    " : elle est en lecture seule (fichier ou dossier protégé)",
                                SQLITE_READONLY);
        base_ =
            std::make_unique<Connexion>(chemin, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, chemin);
    } else {
        // mode=ro reads a WAL archive while its folder lets SQLite make the
        // shared-memory file; on a read-only folder or medium, immutable=1
        // reads it as it stands (no other writer can be there).
        try {
            base_ = std::make_unique<Connexion>(Uri(chemin, "mode=ro"),
                                                SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, chemin);
            base_->Entier("SELECT count(*) FROM sqlite_master");
        } catch (const ErreurArchive& e) {
            // Only where the shared-memory file cannot be made: a busy
            // archive has a writer, and must not be read as it stands.
            const int code = e.Code() & 0xff;
            if (code != SQLITE_CANTOPEN && code != SQLITE_READONLY && code != SQLITE_IOERR) throw;
            base_.reset();
            base_ = std::make_unique<Connexion>(Uri(chemin, "immutable=1"),
                                                SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, chemin);
        }
    }
    sqlite3_busy_timeout(base_->Get(), AttenteArchive());
    VerifierIdentite();
    if (acces == Acces::Ecriture) {
        Requete journal(*base_, "PRAGMA journal_mode = WAL");
        if (!journal.Pas() || journal.Texte(0) != "wal")
            throw ErreurArchive("Impossible d'ouvrir " + debut +
                                " : le journal WAL est refusé par ce système de fichiers");
        // In WAL mode, NORMAL keeps the file whole through a crash or a power
        // cut and syncs at checkpoints only: a cut may take back the last
        // files imported, which the next import brings in again from the
        // data files; FULL would sync each file's transaction.
        base_->Executer("PRAGMA synchronous = NORMAL");
    }
    base_->Executer("PRAGMA foreign_keys = ON");
    const int version = VersionFichier(*base_);
    if (version > VersionSchema())
        throw ErreurArchive("Impossible d'ouvrir " + debut +
                            " : elle a été faite par une version plus récente du programme "
                            "(schéma " +
                            std::to_string(version) + ", celui-ci connaît le " +
                            std::to_string(VersionSchema()) + ")");
    if (version < VersionSchema()) {
        if (acces == Acces::Ecriture)
            Migrer(*base_, VersionSchema());
        else
            throw ErreurArchive(
                "Impossible de lire " + debut +
                (version == 0 ? std::string(" : elle est vide")
                              : " : elle doit d'abord être mise à jour par un import (schéma " +
                                    std::to_string(version) + ")"));
    }
}

void Archive::VerifierIdentite() {
    const int64_t identite = base_->Entier("PRAGMA application_id");
    if (identite == IdentiteArchive) return;
    // A database of some other program: never taken over.
    if (identite != 0 || base_->Entier("SELECT count(*) FROM sqlite_master") > 0)
        throw ErreurArchive("Impossible d'ouvrir l'archive « " + chemin_ +
                                " » : c'est une base SQLite d'un autre programme, pas une archive "
                                "de Solvenare (elle n'est pas modifiée)",
                            SQLITE_NOTADB);
}

}  // namespace archive
