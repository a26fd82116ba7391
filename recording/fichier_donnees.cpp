#include "recording/fichier_donnees.h"

#include <cerrno>

#include "platform/descripteur.h"
#include "platform/textfile.h"
#include "recording/lignes.h"

namespace recording {

namespace {

std::string EnFichier(const std::vector<std::string>& lignes) {
    std::string data;
    for (const auto& ligne : lignes) data += Utf8ToWindows1252(ligne) + "\r\n";
    return data;
}

void Creer(const std::string& nom) {
    platform::Descripteur fichier;
    if (const int erreur = platform::Ouvrir(nom, platform::Acces::CreationExclusive, fichier))
        throw EInOutError(erreur, nom);
    int erreur = platform::EcrireTout(fichier.Get(), EnFichier({LigneCreation()}));
    if (erreur == 0) erreur = platform::Synchroniser(fichier.Get());
    if (const int fermeture = fichier.Fermer(); erreur == 0) erreur = fermeture;
    if (erreur != 0) {
        // Not left half made: choosing the file again starts afresh.
        platform::Supprimer(nom);
        throw EInOutError(erreur, nom);
    }
    // A new file's name must reach the disk too, or a crash could lose the
    // file with its lines.
    platform::SynchroniserDossierDe(nom);
}

}  // namespace

TFichierDonnees::~TFichierDonnees() = default;

void TFichierDonnees::CreerOuSonder(const std::string& nom) {
    Fermer();
    platform::Descripteur existant;
    if (const int erreur = platform::Ouvrir(nom, platform::Acces::Lecture, existant); erreur == 0) {
        if (const int lecture = platform::SonderLecture(existant.Get()))
            throw EInOutError(lecture, nom);
    } else if (erreur == ENOENT) {
        Creer(nom);
    } else {
        throw EInOutError(erreur, nom);
    }
    nom_ = nom;
}

void TFichierDonnees::EcrireEnTeteA(const std::string& nom,
                                    const std::vector<std::string>& lignes) {
    Fermer();
    nom_ = nom;
    OuvrirEnAjout();
    Ecrire(lignes);
}

bool TFichierDonnees::EcrireEnTeteB(const std::string& nom,
                                    const std::vector<std::string>& lignes) {
    if (!FileExists(nom)) return false;
    EcrireEnTeteA(nom, lignes);
    return true;
}

void TFichierDonnees::AjouterLigne(const std::string& ligne) {
    OuvrirEnAjout();
    Ecrire({ligne});
}

void TFichierDonnees::Fermer() {
    if (const int erreur = fichier_.Fermer()) throw EInOutError(erreur, nom_);
}

void TFichierDonnees::OuvrirEnAjout() {
    Fermer();
    // No bound name: no file to append to.
    if (nom_.empty()) throw EInOutError(ENOENT);
    if (const int erreur = platform::Ouvrir(nom_, platform::Acces::Ajout, fichier_))
        throw EInOutError(erreur, nom_);
}

void TFichierDonnees::Ecrire(const std::vector<std::string>& lignes) {
    const auto avant = platform::TailleReguliere(fichier_.Get());
    int erreur = platform::EcrireTout(fichier_.Get(), EnFichier(lignes));
    if (erreur == 0) erreur = platform::Synchroniser(fichier_.Get());
    if (erreur == 0) return;
    // Take back a partly written line, so that the next one does not start
    // inside it and the file holds nothing the user was told had failed; the
    // file is closed, so the next operation starts from a clean state. The
    // write's own error is the one to report.
    if (avant) platform::Tronquer(fichier_.Get(), *avant);
    fichier_.Fermer();
    throw EInOutError(erreur, nom_);
}

}  // namespace recording
