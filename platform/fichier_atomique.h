#pragma once

#include <string>

#include "platform/descripteur.h"

// A file replaced whole or not at all. The bytes go to a temporary file in
// the target's folder (a rename is atomic only within one file system); once
// complete it is synchronised, renamed over the target and the folder
// synchronised, so a crash or a kill at any moment leaves either the old
// file or the new one, never half of one.
namespace platform {

// From then on an interruption (SIGINT, SIGTERM, SIGHUP) removes the
// temporary files of the exports under way before the process ends as the
// signal asks; a signal the process ignores stays ignored. SIGKILL cannot be
// caught: its temporary file stays, hidden, and the target whole.
void EffacerTemporairesSurSignal();

class FichierAtomique {
  public:
    FichierAtomique() = default;
    // An export that never reached Valider is abandoned: its temporary file goes.
    ~FichierAtomique();
    FichierAtomique(const FichierAtomique&) = delete;
    FichierAtomique& operator=(const FichierAtomique&) = delete;

    // Prepares the writing of cible; the errno of a failure, 0 otherwise.
    // A link is followed, so the file it names is replaced and the link kept.
    // A target that exists and is not a regular file (a device, a pipe) is
    // written in place: renaming over it would replace the device itself.
    int Ouvrir(const std::string& cible);
    int Get() const { return fichier_.Get(); }
    // The temporary file while one is being written, "" otherwise.
    const std::string& Temporaire() const { return temporaire_; }
    // Puts the file in place; the errno of a failure (the old target then
    // stays as it was), 0 otherwise.
    int Valider();
    void Abandonner() noexcept;

  private:
    void Inscrire(const std::string& temporaire) noexcept;
    Descripteur fichier_;
    int place_ = -1;  // in the table of files a signal removes
    std::string cible_, temporaire_;
};

}  // namespace platform
