#include "journee/rangs_differes.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "science/export_csv.h"

namespace journee {

using namespace science;

namespace {

// Before each row in the temporary file: its series, its green depth (NaN
// for nothing) and the row's length.
constexpr size_t Prefixe = sizeof(uint64_t) + sizeof(double) + sizeof(uint32_t);
constexpr size_t Bloc = size_t{1} << 16;
// The science writes whole tables: its header line is dropped.
constexpr size_t EnTeteLongueur = sizeof EnTeteCsv - 1 + 2;
// A row of EcrireCsv before any screening ends with these: its two empty cells.
constexpr char FinSansNiveau[] = ",,\r\n";

template <typename T>
void Poser(std::string& octets, T valeur) {
    char brut[sizeof valeur];
    std::memcpy(brut, &valeur, sizeof valeur);
    octets.append(brut, sizeof valeur);
}

template <typename T>
T Prendre(const char*& octets) {
    T valeur;
    std::memcpy(&valeur, octets, sizeof valeur);
    octets += sizeof valeur;
    return valeur;
}

}  // namespace

int RangsDifferes::Ouvrir(const std::string& dossier) {
    return platform::OuvrirAnonyme(dossier, fichier_);
}

int RangsDifferes::Ajouter(const Resultat& r) {
    filtre_.Ajouter(r);
    lot_.push_back(r);
    if (lot_.size() < 256) return 0;
    return Vider();
}

int RangsDifferes::Vider() {
    if (!lot_.empty()) {
        texte_.str("");
        EcrireCsv(texte_, lot_, site_);
        const std::string lignes = texte_.str();
        size_t debut = EnTeteLongueur;
        for (const Resultat& r : lot_) {
            const size_t fin = lignes.find(FinSansNiveau, debut) + 1;
            Poser<uint64_t>(tampon_, r.serie);
            Poser<double>(tampon_, r.eoVert.value_or(std::numeric_limits<double>::quiet_NaN()));
            Poser<uint32_t>(tampon_, static_cast<uint32_t>(fin - debut));
            tampon_.append(lignes, debut, fin - debut);
            debut = fin + sizeof FinSansNiveau - 2;
        }
        lot_.clear();
    }
    if (tampon_.empty()) return 0;
    const int erreur = platform::EcrireTout(fichier_.Get(), tampon_);
    tampon_.clear();
    return erreur;
}

int RangsDifferes::Recopier(std::ostream& sortie, const std::function<void()>& ecrit) {
    if (const int erreur = Vider()) return erreur;
    filtre_.Conclure();
    if (lseek(fichier_.Get(), 0, SEEK_SET) != 0) return errno;
    sortie << EnTeteCsv << "\r\n";
    ecrit();
    std::string lu, rangs;
    size_t debut = 0;
    std::vector<char> bloc(Bloc);
    for (;;) {
        const ssize_t n =
            platform::SansInterruption([&] { return read(fichier_.Get(), bloc.data(), Bloc); });
        if (n < 0) return errno;
        if (n == 0) break;
        lu.erase(0, debut);
        debut = 0;
        lu.append(bloc.data(), static_cast<size_t>(n));
        while (lu.size() - debut >= Prefixe) {
            const char* p = lu.data() + debut;
            const auto serie = Prendre<uint64_t>(p);
            const auto tau = Prendre<double>(p);
            const auto taille = Prendre<uint32_t>(p);
            if (lu.size() - debut < Prefixe + taille) break;
            const Critere c = filtre_.Verdict(serie, NombreFacultatif(tau));
            rangs.append(p, taille);
            rangs += NiveauCritere(c);
            rangs += ',';
            rangs += NomCritere(c);
            rangs += "\r\n";
            debut += Prefixe + taille;
        }
        sortie.write(rangs.data(), static_cast<std::streamsize>(rangs.size()));
        rangs.clear();
        ecrit();
    }
    // A row cut short: the temporary file lost bytes.
    return debut == lu.size() ? 0 : EIO;
}

}  // namespace journee
