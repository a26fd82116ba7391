#include "bench/lecteur_lignes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace banc {

LecteurLignes::LecteurLignes(const std::string& nom, LigneLue ligneLue)
    : ligneLue_(std::move(ligneLue)) {
    fichier_ = open(nom.c_str(), O_RDONLY | O_CLOEXEC);
    inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    arret_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fichier_ < 0 || inotify_ < 0 || arret_ < 0 ||
        inotify_add_watch(inotify_, nom.c_str(), IN_MODIFY) < 0 ||
        lseek(fichier_, 0, SEEK_END) < 0) {
        const int erreur = errno;
        for (int fd : {fichier_, inotify_, arret_})
            if (fd >= 0) close(fd);
        throw std::runtime_error("cannot watch " + nom + ": " + std::strerror(erreur));
    }
    fil_ = std::thread([this] { Boucle(); });
}

LecteurLignes::~LecteurLignes() {
    const uint64_t un = 1;
    [[maybe_unused]] const ssize_t n = write(arret_, &un, sizeof un);
    fil_.join();
    close(fichier_);
    close(inotify_);
    close(arret_);
}

void LecteurLignes::Boucle() {
    for (;;) {
        pollfd p[2] = {{inotify_, POLLIN, 0}, {arret_, POLLIN, 0}};
        if (poll(p, 2, -1) < 0 && errno != EINTR) return;
        if (p[0].revents & POLLIN) {
            char evenements[4096];
            while (read(inotify_, evenements, sizeof evenements) > 0) {
            }
            LireAjouts();
        }
        if (p[1].revents & POLLIN) {
            // What was written before the stop is still read.
            LireAjouts();
            return;
        }
    }
}

void LecteurLignes::LireAjouts() {
    char octets[65536];
    for (;;) {
        const ssize_t n = read(fichier_, octets, sizeof octets);
        if (n <= 0) break;
        reste_.append(octets, static_cast<size_t>(n));
    }
    const auto lue = Horloge::now();
    size_t debut = 0;
    for (size_t fin; (fin = reste_.find("\r\n", debut)) != std::string::npos; debut = fin + 2)
        ligneLue_(reste_.substr(debut, fin - debut), lue);
    reste_.erase(0, debut);
}

}  // namespace banc
