#include "platform/fichier_atomique.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <random>

namespace platform {

namespace {

std::string Dossier(const std::string& chemin) {
    const size_t slash = chemin.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : chemin.substr(0, slash);
}

std::string Nom(const std::string& chemin) {
    const size_t slash = chemin.rfind('/');
    return slash == std::string::npos ? chemin : chemin.substr(slash + 1);
}

// The temporary files a signal handler removes: fixed storage, as the
// handler may neither allocate nor lock.
constexpr int Places = 8;
char temporaires[Places][4096];
std::atomic<bool> occupees[Places];

void Effacer(int signal) {
    for (int i = 0; i < Places; ++i)
        if (occupees[i].load() && temporaires[i][0] != '\0') unlink(temporaires[i]);
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// Signals held off while the table changes, so the handler never sees half a name.
class SignauxRetenus {
  public:
    SignauxRetenus() {
        sigset_t tous;
        sigfillset(&tous);
        pthread_sigmask(SIG_BLOCK, &tous, &avant_);
    }
    ~SignauxRetenus() { pthread_sigmask(SIG_SETMASK, &avant_, nullptr); }

  private:
    sigset_t avant_;
};

}  // namespace

void EffacerTemporairesSurSignal() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction actuelle {};
        if (sigaction(signal, nullptr, &actuelle) != 0 || actuelle.sa_handler == SIG_IGN) continue;
        struct sigaction nouvelle {};
        nouvelle.sa_handler = Effacer;
        sigemptyset(&nouvelle.sa_mask);
        sigaction(signal, &nouvelle, nullptr);
    }
}

void FichierAtomique::Inscrire(const std::string& temporaire) noexcept {
    SignauxRetenus retenus;
    if (place_ >= 0) {
        temporaires[place_][0] = '\0';
        occupees[place_].store(false);
        place_ = -1;
    }
    if (temporaire.empty() || temporaire.size() >= sizeof temporaires[0]) return;
    for (int i = 0; i < Places; ++i) {
        bool libre = false;
        if (!occupees[i].compare_exchange_strong(libre, true)) continue;
        std::memcpy(temporaires[i], temporaire.c_str(), temporaire.size() + 1);
        place_ = i;
        return;
    }
}

FichierAtomique::~FichierAtomique() {
    Abandonner();
}

int FichierAtomique::Ouvrir(const std::string& cible) {
    Abandonner();
    cible_ = cible;
    struct stat st {};
    const bool existe = ::stat(cible.c_str(), &st) == 0;
    if (existe && S_ISDIR(st.st_mode)) return EISDIR;
    if (existe && !S_ISREG(st.st_mode)) {
        // O_NONBLOCK: a pipe nobody reads must not hang the command.
        const int fd = SansInterruption(
            [&] { return open(cible.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK); });
        if (fd < 0) return errno;
        fichier_ = Descripteur(fd);
        const int drapeaux = fcntl(fd, F_GETFL);
        if (drapeaux >= 0) fcntl(fd, F_SETFL, drapeaux & ~O_NONBLOCK);
        return 0;
    }
    if (existe) {
        char* reel = realpath(cible.c_str(), nullptr);
        if (reel == nullptr) return errno;
        cible_ = reel;
        free(reel);
    }
    // A hidden name beside the target, never one that exists already.
    static std::atomic<unsigned> compteur{0};
    std::random_device hasard;
    for (int essai = 0; essai < 100; ++essai) {
        const std::string nom = Dossier(cible_) + "/." + Nom(cible_) + "." +
                                std::to_string(getpid()) + "-" + std::to_string(compteur++) + "-" +
                                std::to_string(hasard() % 1000000) + ".tmp";
        const int erreur = platform::Ouvrir(nom, Acces::CreationExclusive, fichier_);
        if (erreur == EEXIST) continue;
        if (erreur != 0) return erreur;
        temporaire_ = nom;
        Inscrire(nom);
        // The new file keeps the permissions of the one it replaces.
        if (existe) fchmod(fichier_.Get(), st.st_mode & 07777);
        return 0;
    }
    return EEXIST;
}

int FichierAtomique::Valider() {
    if (!fichier_.Valide()) return EBADF;
    int erreur = Synchroniser(fichier_.Get());
    if (const int fermeture = fichier_.Fermer(); erreur == 0) erreur = fermeture;
    if (temporaire_.empty()) return erreur;
    if (erreur == 0 && rename(temporaire_.c_str(), cible_.c_str()) != 0) erreur = errno;
    if (erreur != 0) {
        Abandonner();
        return erreur;
    }
    Inscrire("");
    temporaire_.clear();
    SynchroniserDossierDe(cible_);
    return 0;
}

void FichierAtomique::Abandonner() noexcept {
    fichier_.Fermer();
    Inscrire("");
    if (!temporaire_.empty()) unlink(temporaire_.c_str());
    temporaire_.clear();
}

}  // namespace platform
