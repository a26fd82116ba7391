// The photometer simulator: the instrument on a pseudo-terminal, for people
// without one and for the program's tests.

#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/descripteur.h"
#include "tools/simulator/ligne_commande.h"
#include "tools/simulator/photometre_simule.h"

using namespace simulateur;

namespace {

void Afficher(const std::string& texte) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char heure[16];
    std::strftime(heure, sizeof heure, "%H:%M:%S", &local);
    std::printf("%s  %s\n", heure, texte.c_str());
    std::fflush(stdout);
}

const char* NomMode(Mode m) {
    return m == Mode::Simple ? "simple (A0)" : "continu (F0)";
}

// Keys are read only from a terminal we are in the foreground of, or from a
// pipe; a background job would be stopped by reading its terminal.
bool ClavierUtilisable() {
    if (!isatty(STDIN_FILENO)) return true;
    return tcgetpgrp(STDIN_FILENO) == getpgrp();
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = LireOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "solvenare-simulateur : %s\n", e.what());
        return 2;
    }
    if (options.aide) {
        std::fputs(TexteAide().c_str(), stdout);
        return 0;
    }
    if (!options.discret) options.reglages.journal = Afficher;

    // Signals are taken as events, by every thread started after this.
    sigset_t signaux;
    sigemptyset(&signaux);
    sigaddset(&signaux, SIGINT);
    sigaddset(&signaux, SIGTERM);
    sigaddset(&signaux, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signaux, nullptr);
    std::signal(SIGTTIN, SIG_IGN);
    const platform::Descripteur signauxRecus(signalfd(-1, &signaux, SFD_CLOEXEC));
    if (!signauxRecus.Valide()) {
        // Blocked and never read, the signals could not stop the simulator.
        std::perror("solvenare-simulateur : signalfd");
        return 1;
    }

    TPhotometreSimule photometre(options.reglages);
    try {
        photometre.Demarrer();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "solvenare-simulateur : %s\n", e.what());
        return 1;
    }
    if (!options.discret) {
        Afficher("Photomètre simulé publié sous le nom " + photometre.Nom() + " (" +
                 photometre.CheminEsclave() + ") : choisissez " + photometre.Nom() +
                 " dans le menu des ports de Solvenare.");
        char cadence[32];
        std::snprintf(cadence, sizeof cadence, "%g", options.reglages.cadence);
        Afficher(std::string("Mode ") + NomMode(options.reglages.mode) + ", " + cadence +
                 " trame(s) de mesure par seconde.");
    }
    // Said even when discreet: the user must type it in the program.
    if (options.reglages.comptes.empty()) {
        const auto instant = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now() +
                                                                  options.reglages.decalageHorloge);
        Afficher(ElevationATaper(options.reglages.site, instant));
    }
    bool clavier = ClavierUtilisable();
    if (clavier && !options.discret && isatty(STDIN_FILENO))
        Afficher("Tapez s (mode simple), c (mode continu) ou q (quitter), puis Entrée.");

    std::string ligne;
    for (bool fin = false; !fin;) {
        pollfd p[2] = {{signauxRecus.Get(), POLLIN, 0}, {clavier ? STDIN_FILENO : -1, POLLIN, 0}};
        // Anything but an interruption would fail again at once.
        if (platform::SansInterruption([&] { return poll(p, 2, -1); }) < 0) break;
        if (p[0].revents & POLLIN) break;
        if (!(p[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char octets[256];
        const ssize_t n =
            platform::SansInterruption([&] { return read(STDIN_FILENO, octets, sizeof octets); });
        if (n <= 0) {
            // End of input (a script, /dev/null): run on until a signal.
            clavier = false;
            continue;
        }
        ligne.append(octets, static_cast<size_t>(n));
        for (size_t retour; !fin && (retour = ligne.find('\n')) != std::string::npos;) {
            std::string commande = ligne.substr(0, retour);
            ligne.erase(0, retour + 1);
            while (!commande.empty() && std::isspace(static_cast<unsigned char>(commande.back())))
                commande.pop_back();
            if (commande == "s" || commande == "c") {
                photometre.DefinirMode(commande == "s" ? Mode::Simple : Mode::Continu);
                Afficher(std::string("Mode ") + NomMode(photometre.ModeCourant()));
            } else if (commande == "q") {
                fin = true;
            } else if (!commande.empty()) {
                Afficher("Commandes : s (mode simple), c (mode continu), q (quitter).");
            }
        }
    }
    photometre.Arreter();
    if (!options.discret) Afficher("Simulateur arrêté, port " + photometre.Nom() + " retiré.");
    return 0;
}
