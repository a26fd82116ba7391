#include "fichier_donnees.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "lignes.h"
#include "textfile.h"

namespace {

// Writes all of data, retrying interrupted and short writes; errno on failure.
int EcrireTout(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// To the disk, not only to the system's cache. Devices that cannot be
// synchronised have nothing to lose.
int Synchroniser(int fd) {
    while (fdatasync(fd) != 0) {
        if (errno == EINTR) continue;
        if (errno == EINVAL || errno == EROFS) return 0;
        return errno;
    }
    return 0;
}

std::string EnFichier(const std::vector<std::string>& lignes) {
    std::string data;
    for (const auto& ligne : lignes) data += Utf8ToWindows1252(ligne) + "\r\n";
    return data;
}

// A new file's name must reach the disk too, or a crash could lose the file
// with its lines. Best effort: the file itself is already safe.
void SynchroniserDossier(const std::string& nom) {
    const size_t slash = nom.rfind('/');
    const std::string dossier = slash == std::string::npos ? "."
                                : slash == 0               ? "/"
                                                           : nom.substr(0, slash);
    const int fd = open(dossier.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

void Creer(const std::string& nom) {
    const int fd = open(nom.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) throw EInOutError(errno);
    int erreur = EcrireTout(fd, EnFichier({LigneCreation()}));
    if (erreur == 0) erreur = Synchroniser(fd);
    if (close(fd) != 0 && erreur == 0 && errno != EINTR) erreur = errno;
    if (erreur != 0) {
        // Not left half made: choosing the file again starts afresh.
        unlink(nom.c_str());
        throw EInOutError(erreur);
    }
    SynchroniserDossier(nom);
}

void Sonder(int fd) {
    // What is read is not used: one read shows the file can be read (and
    // stops on a device that never ends).
    char premiere[4096];
    ssize_t n;
    do {
        n = read(fd, premiere, sizeof premiere);
    } while (n < 0 && errno == EINTR);
    const int erreur = n < 0 ? errno : 0;
    close(fd);
    if (erreur != 0) throw EInOutError(erreur);
}

}  // namespace

TFichierDonnees::~TFichierDonnees() {
    if (fd_ >= 0) close(fd_);
}

void TFichierDonnees::CreerOuSonder(const std::string& nom) {
    Fermer();
    const int fd = open(nom.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        Sonder(fd);
    } else if (errno == ENOENT) {
        Creer(nom);
    } else {
        throw EInOutError(errno);
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
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    // Linux releases the descriptor even when close fails; EINTR loses nothing.
    if (close(fd) != 0 && errno != EINTR) throw EInOutError(errno);
}

void TFichierDonnees::OuvrirEnAjout() {
    Fermer();
    // No bound name: no file to append to.
    if (nom_.empty()) throw EInOutError(ENOENT);
    const int fd = open(nom_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) throw EInOutError(errno);
    fd_ = fd;
}

void TFichierDonnees::Ecrire(const std::vector<std::string>& lignes) {
    struct stat avant {};
    const bool tailleConnue = fstat(fd_, &avant) == 0 && S_ISREG(avant.st_mode);
    int erreur = EcrireTout(fd_, EnFichier(lignes));
    if (erreur == 0) erreur = Synchroniser(fd_);
    if (erreur == 0) return;
    // Take back a partly written line, so that the next one does not start
    // inside it and the file holds nothing the user was told had failed; the
    // file is closed, so the next operation starts from a clean state.
    if (tailleConnue && ftruncate(fd_, avant.st_size) != 0) {
        // The write's own error is the one to report.
    }
    close(fd_);
    fd_ = -1;
    throw EInOutError(erreur);
}
