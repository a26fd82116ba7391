// solvenare-archive: every day of every instrument in one SQLite archive,
// on the command line (see TexteUsage()).

#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

#include "archivage/commandes.h"
#include "archivage/options.h"
#include "archivage/saisons_archive.h"
#include "platform/commande.h"
#include "platform/fichier_atomique.h"
#include "platform/flux_descripteur.h"

namespace {

bool EcranDisponible() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* valeur = std::getenv(variable);
        if (valeur != nullptr && *valeur != '\0') return true;
    }
    return false;
}

int LigneDeCommande(int argc, char** argv) {
    archivage::Options options;
    try {
        options = archivage::LireOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const archivage::ErreurArguments& e) {
        std::cerr << "solvenare-archive : " << e.what() << "\n\n" << archivage::TexteUsage();
        return archivage::SortieArguments;
    }
    if (options.commande.empty() && !options.aide) {
        if (EcranDisponible()) return archivage::MontrerSaisons(options, argc, argv);
        // No screen (a remote shell): what the command line offers instead.
        std::cerr << "solvenare-archive : pas d'écran pour la fenêtre des saisons\n\n";
    }
    platform::MessagesEnFrancais();
    std::signal(SIGPIPE, SIG_IGN);
    // A full disk is an error to report, not a signal that kills the import.
    std::signal(SIGXFSZ, SIG_IGN);
    platform::EffacerTemporairesSurSignal();
    platform::FluxDescripteur tampon(STDOUT_FILENO);
    std::ostream sortie(&tampon);
    return archivage::Executer(options, sortie, std::cerr);
}

}  // namespace

// No exception leaves the program: any failure is a message and exit 1.
int main(int argc, char** argv) {
    try {
        return LigneDeCommande(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("solvenare-archive : mémoire insuffisante\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "solvenare-archive : %s\n", e.what());
    } catch (...) {
        std::fputs("solvenare-archive : erreur inattendue\n", stderr);
    }
    return archivage::SortieFichier;
}
