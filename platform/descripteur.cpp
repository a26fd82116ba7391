#include "platform/descripteur.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

Descripteur::~Descripteur() {
    Fermer();
}

Descripteur& Descripteur::operator=(Descripteur&& autre) noexcept {
    if (this != &autre) {
        Fermer();
        fd_ = autre.Lacher();
    }
    return *this;
}

int Descripteur::Lacher() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int Descripteur::Fermer() noexcept {
    if (fd_ < 0) return 0;
    const int fd = Lacher();
    return close(fd) != 0 && errno != EINTR ? errno : 0;
}

int Ouvrir(const std::string& chemin, Acces acces, Descripteur& fichier) {
    int drapeaux = O_CLOEXEC;
    switch (acces) {
        case Acces::Lecture:
            drapeaux |= O_RDONLY;
            break;
        case Acces::CreationExclusive:
            drapeaux |= O_WRONLY | O_CREAT | O_EXCL;
            break;
        case Acces::Ajout:
            drapeaux |= O_WRONLY | O_APPEND;
            break;
        case Acces::Remplacement:
            drapeaux |= O_WRONLY | O_CREAT | O_TRUNC;
            break;
        case Acces::Dossier:
            drapeaux |= O_RDONLY | O_DIRECTORY;
            break;
    }
    const int fd = SansInterruption([&] { return open(chemin.c_str(), drapeaux, 0666); });
    if (fd < 0) return errno;
    fichier = Descripteur(fd);
    return 0;
}

int OuvrirAnonyme(const std::string& dossier, Descripteur& fichier) {
    int fd = SansInterruption(
        [&] { return open(dossier.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600); });
    if (fd >= 0) {
        fichier = Descripteur(fd);
        return 0;
    }
    // File systems without unnamed files: a hidden name, removed at once,
    // with signals held off so that none can leave it behind.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
    std::string modele = dossier + "/.solvenare-XXXXXX";
    sigset_t tous, avant;
    sigfillset(&tous);
    pthread_sigmask(SIG_BLOCK, &tous, &avant);
    fd = mkostemp(modele.data(), O_CLOEXEC);
    int erreur = fd < 0 ? errno : 0;
    if (fd >= 0 && unlink(modele.c_str()) != 0) {
        erreur = errno;
        close(fd);
    }
    pthread_sigmask(SIG_SETMASK, &avant, nullptr);
    if (erreur != 0) return erreur;
    fichier = Descripteur(fd);
    return 0;
}

int EcrireTout(int fd, const char* data, size_t taille) {
    size_t fait = 0;
    while (fait < taille) {
        const ssize_t n = SansInterruption([&] { return write(fd, data + fait, taille - fait); });
        if (n < 0) return errno;
        if (n == 0) return EIO;
        fait += static_cast<size_t>(n);
    }
    return 0;
}

int LireTout(int fd, std::string& data) {
    char bloc[65536];
    for (;;) {
        const ssize_t n = SansInterruption([&] { return read(fd, bloc, sizeof bloc); });
        if (n < 0) return errno;
        if (n == 0) return 0;
        data.append(bloc, static_cast<size_t>(n));
    }
}

int SonderLecture(int fd) {
    // One read stops on a device that never ends.
    char premiere[4096];
    return SansInterruption([&] { return read(fd, premiere, sizeof premiere); }) < 0 ? errno : 0;
}

int Synchroniser(int fd) {
    if (SansInterruption([&] { return fdatasync(fd); }) == 0) return 0;
    return errno == EINVAL || errno == EROFS ? 0 : errno;
}

std::optional<off_t> TailleReguliere(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return st.st_size;
}

int Tronquer(int fd, off_t taille) {
    return SansInterruption([&] { return ftruncate(fd, taille); }) == 0 ? 0 : errno;
}

int Supprimer(const std::string& chemin) {
    return unlink(chemin.c_str()) == 0 ? 0 : errno;
}

void SynchroniserDossierDe(const std::string& chemin) {
    const size_t slash = chemin.rfind('/');
    const std::string dossier = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                                           : chemin.substr(0, slash);
    Descripteur d;
    if (Ouvrir(dossier, Acces::Dossier, d) != 0) return;
    SansInterruption([&] { return fsync(d.Get()); });
}

}  // namespace platform
