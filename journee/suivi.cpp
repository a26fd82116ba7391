#include "journee/suivi.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/textfile.h"

namespace journee {

namespace {

constexpr size_t TailleDebut = 64;

ssize_t LireA(int fd, char* tampon, size_t taille, uint64_t position) {
    for (;;) {
        const ssize_t n = pread(fd, tampon, taille, static_cast<off_t>(position));
        if (n >= 0 || errno != EINTR) return n;
    }
}

}  // namespace

SuiviFichier::SuiviFichier(std::string chemin) : chemin_(std::move(chemin)) {}

SuiviFichier::~SuiviFichier() {
    if (fd_ >= 0) close(fd_);
}

void SuiviFichier::Ouvrir() {
    if (fd_ >= 0) close(fd_);
    fd_ = open(chemin_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw EInOutError(errno);
    struct stat st {};
    if (fstat(fd_, &st) != 0) throw EInOutError(errno);
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    position_ = 0;
    reste_.clear();
    debut_.clear();
}

SuiviFichier::Lecture SuiviFichier::Lire() {
    Lecture lecture;
    struct stat st {};
    if (stat(chemin_.c_str(), &st) != 0) throw EInOutError(errno);
    if (fd_ < 0 || st.st_dev != dev_ || st.st_ino != ino_) {
        Ouvrir();
        lecture.depuisDebut = true;
    }
    if (fstat(fd_, &st) != 0) throw EInOutError(errno);
    const auto taille = static_cast<uint64_t>(st.st_size);
    bool recommencer = taille < position_;
    if (!recommencer && !debut_.empty()) {
        std::string debut(debut_.size(), '\0');
        const ssize_t n = LireA(fd_, debut.data(), debut.size(), 0);
        if (n < 0) throw EInOutError(errno);
        recommencer = static_cast<size_t>(n) != debut.size() || debut != debut_;
    }
    if (recommencer) {
        position_ = 0;
        reste_.clear();
        debut_.clear();
        lecture.depuisDebut = true;
    }
    if (taille == position_) return lecture;

    std::string octets(taille - position_, '\0');
    size_t lus = 0;
    while (lus < octets.size()) {
        const ssize_t n = LireA(fd_, octets.data() + lus, octets.size() - lus, position_ + lus);
        if (n < 0) throw EInOutError(errno);
        if (n == 0) break;
        lus += static_cast<size_t>(n);
    }
    octets.resize(lus);
    if (debut_.size() < TailleDebut) debut_ += octets.substr(0, TailleDebut - debut_.size());
    position_ += lus;

    reste_ += octets;
    size_t debut = 0;
    for (;;) {
        const size_t fin = reste_.find('\n', debut);
        if (fin == std::string::npos) break;
        size_t longueur = fin - debut;
        if (longueur > 0 && reste_[fin - 1] == '\r') --longueur;
        lecture.lignes.push_back(Windows1252ToUtf8(reste_.substr(debut, longueur)));
        debut = fin + 1;
    }
    reste_.erase(0, debut);
    return lecture;
}

}  // namespace journee
