#include "science/lignes_fichier.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/textfile.h"

namespace science {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";

bool Ascii(std::string_view t) {
    return std::all_of(t.begin(), t.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// What a path names when it is not a regular file, as the error says it.
std::string Nature(mode_t mode) {
    if (S_ISFIFO(mode)) return "tube nommé";
    if (S_ISCHR(mode)) return "périphérique";
    if (S_ISBLK(mode)) return "périphérique de stockage";
    if (S_ISDIR(mode)) return "dossier";
    if (S_ISSOCK(mode)) return "socket";
    return "fichier spécial";
}

}  // namespace

platform::Descripteur OuvrirFichierOrdinaire(const std::string& chemin) {
    platform::Descripteur fichier(platform::SansInterruption(
        [&] { return open(chemin.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK); }));
    if (!fichier.Valide()) throw EInOutError(errno);
    struct stat st {};
    if (fstat(fichier.Get(), &st) != 0) throw EInOutError(errno);
    if (!S_ISREG(st.st_mode))
        throw EInOutError::Said(S_ISDIR(st.st_mode) ? EISDIR : EINVAL,
                                "n'est pas un fichier ordinaire (" + Nature(st.st_mode) + ")");
    return fichier;
}

// RFC 3629, section 4: the well-formed byte sequences.
bool Utf8Valide(std::string_view s) {
    size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t n = 0;
        unsigned char bas = 0x80, haut = 0xBF;  // range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            n = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 2;
            if (b == 0xE0) bas = 0xA0;
            if (b == 0xED) haut = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 3;
            if (b == 0xF0) bas = 0x90;
            if (b == 0xF4) haut = 0x8F;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if (c < (k == 1 ? bas : 0x80) || c > (k == 1 ? haut : 0xBF)) return false;
        }
        i += n + 1;
    }
    return true;
}

void DecoupeurLignes::Octets(std::string_view bloc) {
    if (debut_) {
        // The mark may straddle two blocks.
        while (!bloc.empty() && bom_.size() < Bom.size() && bloc.front() == Bom[bom_.size()]) {
            bom_ += bloc.front();
            bloc.remove_prefix(1);
        }
        if (bom_.size() < Bom.size() && bloc.empty()) return;
        debut_ = false;
        if (bom_.size() == Bom.size()) {
            utf8Dit_ = true;
            if (OnAnomalie) OnAnomalie(1, "fichier en UTF-8 : lu comme tel");
        } else {
            // Not a mark after all: its bytes belong to the first line.
            ligne_ = bom_;
        }
        bom_.clear();
    }
    size_t i = 0;
    while (i < bloc.size()) {
        const char c = bloc[i];
        if (c == '\n' || c == '\r') {
            if (!(c == '\n' && apresCr_)) FinLigne();
            apresCr_ = c == '\r';
            ++i;
            continue;
        }
        apresCr_ = false;
        // Up to the next line end in one step.
        const size_t fin = std::min(bloc.find_first_of("\r\n", i), bloc.size());
        if (!tropLongue_) {
            const size_t place = LigneMaximale - ligne_.size();
            if (fin - i > place) {
                tropLongue_ = true;
                ligne_.clear();
                ligne_.shrink_to_fit();
            } else {
                ligne_.append(bloc.substr(i, fin - i));
            }
        }
        i = fin;
    }
}

void DecoupeurLignes::Fin() {
    if (debut_ && !bom_.empty()) {
        ligne_ = bom_;
        bom_.clear();
    }
    debut_ = false;
    if (!ligne_.empty() || tropLongue_) FinLigne();
}

void DecoupeurLignes::FinLigne() {
    ++numero_;
    if (tropLongue_) {
        tropLongue_ = false;
        if (OnAnomalie)
            OnAnomalie(numero_, "ligne de plus de " + std::to_string(LigneMaximale) +
                                    " octets : ligne endommagée, ignorée");
        return;
    }
    std::string texte;
    if (Ascii(ligne_)) {
        texte = std::move(ligne_);
    } else if (Utf8Valide(ligne_)) {
        if (!utf8Dit_) {
            utf8Dit_ = true;
            if (OnAnomalie) OnAnomalie(numero_, "fichier en UTF-8 : lu comme tel");
        }
        texte = std::move(ligne_);
    } else {
        texte = Windows1252ToUtf8(ligne_);
    }
    ligne_.clear();
    if (OnLigne) OnLigne(numero_, texte);
}

}  // namespace science
