#include "journee/suivi.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/descripteur.h"
#include "platform/textfile.h"

namespace journee {

namespace {

constexpr size_t TailleDebut = 64;

ssize_t LireA(int fd, char* tampon, size_t taille, uint64_t position) {
    return platform::SansInterruption(
        [&] { return pread(fd, tampon, taille, static_cast<off_t>(position)); });
}

}  // namespace

SuiviFichier::SuiviFichier(std::string chemin) : chemin_(std::move(chemin)) {}

SuiviFichier::~SuiviFichier() = default;

void SuiviFichier::Ouvrir() {
    // The old file goes first: one that cannot be opened leaves none.
    fichier_ = platform::Descripteur();
    fichier_ = science::OuvrirFichierOrdinaire(chemin_);
    struct stat st {};
    if (fstat(fichier_.Get(), &st) != 0) throw EInOutError(errno);
    dev_ = st.st_dev;
    ino_ = st.st_ino;
    position_ = 0;
    decoupeur_ = science::DecoupeurLignes();
    debut_.clear();
}

SuiviFichier::Lecture SuiviFichier::Lire() {
    Lecture lecture;
    struct stat st {};
    if (stat(chemin_.c_str(), &st) != 0) throw EInOutError(errno);
    if (!fichier_.Valide() || st.st_dev != dev_ || st.st_ino != ino_) {
        Ouvrir();
        lecture.depuisDebut = true;
    }
    if (fstat(fichier_.Get(), &st) != 0) throw EInOutError(errno);
    const auto taille = static_cast<uint64_t>(st.st_size);
    bool recommencer = taille < position_;
    if (!recommencer && !debut_.empty()) {
        std::string debut(debut_.size(), '\0');
        const ssize_t n = LireA(fichier_.Get(), debut.data(), debut.size(), 0);
        if (n < 0) throw EInOutError(errno);
        recommencer = static_cast<size_t>(n) != debut.size() || debut != debut_;
    }
    if (recommencer) {
        position_ = 0;
        decoupeur_ = science::DecoupeurLignes();
        debut_.clear();
        lecture.depuisDebut = true;
    }
    if (taille == position_) return lecture;

    decoupeur_.OnLigne = [&lecture](size_t numero, std::string_view texte) {
        lecture.lignes.push_back({numero, std::string(texte)});
    };
    decoupeur_.OnAnomalie = [&lecture](size_t numero, std::string message) {
        lecture.anomalies.push_back({numero, std::move(message)});
    };
    // A block at a time: what is read is cut into lines as it comes.
    std::string bloc(64 * 1024, '\0');
    while (position_ < taille) {
        const size_t voulu =
            static_cast<size_t>(std::min<uint64_t>(bloc.size(), taille - position_));
        const ssize_t n = LireA(fichier_.Get(), bloc.data(), voulu, position_);
        if (n < 0) throw EInOutError(errno);
        if (n == 0) break;
        const std::string_view lu(bloc.data(), static_cast<size_t>(n));
        if (debut_.size() < TailleDebut) debut_ += lu.substr(0, TailleDebut - debut_.size());
        position_ += static_cast<uint64_t>(n);
        decoupeur_.Octets(lu);
    }
    decoupeur_.OnLigne = nullptr;
    decoupeur_.OnAnomalie = nullptr;
    return lecture;
}

}  // namespace journee
