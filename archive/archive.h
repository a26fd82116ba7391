#pragma once

#include <memory>
#include <string>

#include "archive/sqlite.h"

// The archive file: every day of every instrument in one SQLite database.
// Opening checks that the file is an archive (never turning some other file
// into one), brings its schema up to date and sets the journal (WAL), the
// foreign keys and the busy timeout.
namespace archive {

inline constexpr char NomArchive[] = "archive.sqlite";

enum class Acces { Lecture, Ecriture };

// How long a writer waits for another one, in milliseconds; the
// SOLVENARE_ARCHIVE_ATTENTE_MS environment variable sets another.
int AttenteArchive();

class Archive {
  public:
    // Lecture opens an existing archive without writing to it, even on a
    // read-only file or folder; Ecriture creates it when it is missing.
    // Raises ErreurArchive with a French message.
    Archive(const std::string& chemin, Acces acces);

    Connexion& Base() { return *base_; }
    const std::string& Chemin() const { return chemin_; }
    bool Ecriture() const { return acces_ == Acces::Ecriture; }

  private:
    void VerifierIdentite();
    std::string chemin_;
    Acces acces_;
    std::unique_ptr<Connexion> base_;
};

}  // namespace archive
