#include "platform/commande.h"

#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "platform/flux_descripteur.h"
#include "platform/localisation.h"
#include "platform/textfile.h"

namespace platform {

std::string TexteErreurSysteme(int erreur) {
    if (erreur == ENOENT) return EInOutError(erreur).Message();
    return localisation::SystemErrorText(erreur);
}

void VerifierSortie(std::ostream& flux, const std::string& nom, int code) {
    if (flux) return;
    const auto* tampon = dynamic_cast<FluxDescripteur*>(flux.rdbuf());
    const int erreur = tampon != nullptr && tampon->Erreur() != 0 ? tampon->Erreur() : EIO;
    if (erreur == EPIPE && nom == SortieStandard) throw LecteurParti{};
    throw ArretCommande{
        code, nom == SortieStandard
                  ? "Impossible d'écrire sur la sortie standard : " + TexteErreurSysteme(erreur)
                  : "Impossible d'écrire « " + nom + " » : " + TexteErreurSysteme(erreur)};
}

void TerminerSortie(std::ostream& flux, const std::string& nom, int code) {
    flux.flush();
    if (auto* tampon = dynamic_cast<FluxDescripteur*>(flux.rdbuf()))
        if (tampon->Vider() != 0) flux.setstate(std::ios::badbit);
    VerifierSortie(flux, nom, code);
}

void MessagesEnFrancais() {
    const char* environnement = std::setlocale(LC_MESSAGES, "");
    if (environnement != nullptr && std::string(environnement).starts_with("fr")) {
        std::setlocale(LC_CTYPE, "");
        return;
    }
    for (const char* nom : {"fr_FR.UTF-8", "fr_FR.utf8"})
        if (std::setlocale(LC_MESSAGES, nom) != nullptr) {
            std::setlocale(LC_CTYPE, nom);
            return;
        }
}

std::vector<std::string> DossiersProgramme() {
    std::vector<std::string> dossiers = {"."};
    if (const char* reglage = std::getenv("SOLVENARE_DOSSIER"); reglage && *reglage)
        dossiers.push_back(reglage);
    else if (const char* maison = std::getenv("HOME"); maison && *maison)
        dossiers.push_back(std::string(maison) + "/Solvenare");
    return dossiers;
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

}  // namespace platform
