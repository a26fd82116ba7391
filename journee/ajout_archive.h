#pragma once

#include <sys/types.h>

#include <memory>
#include <optional>
#include <string>

#include "archive/archive.h"
#include "archive/importation.h"

// What the day view follows, added to the archive as it comes. Never in the
// view's way: an archive that does not exist is not made, a busy one is
// waited for briefly, and any failure is a message; the next call tries
// again.
namespace journee {

// How long the view waits for another writer, in milliseconds.
inline constexpr int AttenteVue = 200;

class AjoutArchive {
  public:
    explicit AjoutArchive(std::string chemin);
    ~AjoutArchive();

    const std::string& Chemin() const { return chemin_; }
    bool Existe() const;

    struct Issue {
        bool fait = false;   // the file's lines are in the archive
        size_t ajoutes = 0;  // records added by this call
        std::string erreur;  // French, when it failed
    };
    // The file's complete lines not yet in the archive; nothing when the
    // archive does not exist.
    Issue Ajouter(const std::string& fichier, const archive::ReglagesImport& reglages);

  private:
    std::string chemin_;
    std::unique_ptr<archive::Archive> archive_;
    dev_t dev_ = 0;
    ino_t ino_ = 0;
};

}  // namespace journee
