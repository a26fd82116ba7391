#pragma once

#include <string>
#include <vector>

#include "platform/descripteur.h"

namespace recording {

// The data file: only ever appended to, Windows-1252 with CR LF. Every
// operation reports its failure at once as an EInOutError ("Fichier
// introuvable", "Erreur E/S <errno>", then a line naming the file and the
// system's French text for the error), and every line written is on the disk
// when the operation returns, so a crash or a power cut loses no recorded
// measurement. Lines are given in UTF-8, without their line end.
class TFichierDonnees {
  public:
    TFichierDonnees() = default;
    ~TFichierDonnees();
    TFichierDonnees(const TFichierDonnees&) = delete;
    TFichierDonnees& operator=(const TFichierDonnees&) = delete;

    // A file that does not exist is created with the creation line alone;
    // an existing one is only read from, never changed. The file is closed
    // afterwards, and its name bound; on a failure the name bound before
    // stays, so that lines still coming go where they went.
    void CreerOuSonder(const std::string& nom);

    // Binds the name, opens the file for appending and writes the header
    // block; the file stays open. What was open before is closed first.
    void EcrireEnTeteA(const std::string& nom, const std::vector<std::string>& lignes);
    // The same, but a file that no longer exists is left alone: false.
    bool EcrireEnTeteB(const std::string& nom, const std::vector<std::string>& lignes);

    // Reopens the bound file for appending (closing it first) and writes one
    // record line. Appending never creates the file: one removed under the
    // program is reported as "Fichier introuvable".
    void AjouterLigne(const std::string& ligne);

    void Fermer();
    bool Ouvert() const { return fichier_.Valide(); }
    const std::string& Nom() const { return nom_; }

  private:
    void OuvrirEnAjout();
    void Ecrire(const std::vector<std::string>& lignes);

    std::string nom_;
    platform::Descripteur fichier_;
};

}  // namespace recording
